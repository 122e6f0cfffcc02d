// The MS-DOS device names that Windows (up to Windows 10) finds in any path: when the last component,
// without what follows its first '.' or ':' and without trailing blanks, is a device's name, the path
// stands for the device and its folder is not looked at ("C:\LOGS\NUL.txt" is the null device).
#pragma once

#include <string>

namespace winsim
{

enum class DosDevice
{
    None,
    Nul,    // accepts every write, reads as empty
    Console // CON: the console's input or output, by the access asked for
};

class DosDeviceName
{
public:
    static DosDevice Of(const std::string& path);
};

} // namespace winsim
