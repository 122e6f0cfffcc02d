// An .exe or .dll on the simulated drive is a small text file that says what it stands for:
//
//   WINSIM-IMAGE 1
//   Kind=exe                 exe or dll
//   Program=setup            the host program (or plugin) it runs as, found beside the winsim command
//   Machine=x86              x86 or x64
//   FileVersion=1.0.0.0      version resource fields, read by the VERSION functions
//   ProductVersion=1.0.0.0
//   CompanyName=...
//
// Being plain files, images can be copied, renamed and deleted like any other file.
#pragma once

#include <map>
#include <string>

namespace winsim
{

struct ImageDescriptor
{
    std::string kind = "exe";
    std::string program;
    std::string machine = "x86";
    std::map<std::string, std::string> versionFields; // FileVersion, ProductVersion, CompanyName, ...

    static constexpr const char* kMagic = "WINSIM-IMAGE 1";

    std::string Format() const;
    // False (with a reason) for a file that is not an image descriptor.
    static bool Parse(const std::string& text, ImageDescriptor& image, std::string& error);
};

} // namespace winsim
