// What a declared installer program leaves on the machine when it is started, as the companion
// applications of a driver package do: the InstallShield result file beside its image, an Add/Remove
// Programs entry with the uninstaller it registers, or, for that uninstaller, the entry's removal.
//   ResultCode=0                     SETUP.LOG in the image's folder: [ResponseResult] ResultCode=0
//   UninstallKey=SampleCallHold      HKLM ...\CurrentVersion\Uninstall\SampleCallHold, with
//   DisplayName=Sample Call Hold     its DisplayName
//   UninstallString=C:\...\UNINST.EXE  and its UninstallString
//   RemovesUninstallKey=SampleCallHold  an uninstaller: the entry goes
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace winsim
{

class Runtime;

struct InstallerEffects
{
    std::optional<uint32_t> resultCode;
    std::string uninstallKey;
    std::string displayName;
    std::string uninstallString;
    std::string removesUninstallKey;

    // One name=value line; false (with `what` empty) for a name that is not an installer's, false with
    // `what` for a malformed value.
    bool Set(const std::string& key, const std::string& value, std::string& what);
    // The lines the profile gave, one "Key=value" a line.
    std::string Text() const;
    bool Empty() const;

    // Carries the effects out for a start of `image`, through the machine's own registry and files.
    void Apply(const std::string& image) const;
};

} // namespace winsim
