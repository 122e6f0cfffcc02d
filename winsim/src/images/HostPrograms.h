// Where the host programs and plugins that images stand for live: beside the winsim command, which is
// $WINSIM_BIN when set (the tests set it), else the folder of the running program.
#pragma once

#include <string>

namespace winsim
{

class HostPrograms
{
public:
    static std::string Folder();
    // The host executable of an image's Program=NAME; empty when there is no such executable.
    static std::string Executable(const std::string& program);
};

} // namespace winsim
