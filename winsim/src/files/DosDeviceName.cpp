#include "DosDeviceName.h"

#include "NameCase.h"

namespace winsim
{

DosDevice DosDeviceName::Of(const std::string& path)
{
    // "\\.\NUL" names the device directly.
    std::string name = path.compare(0, 4, "\\\\.\\") == 0 ? path.substr(4) : path;
    size_t slash = name.find_last_of("\\/");
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    else if (name.size() >= 2 && name[1] == ':')
        name = name.substr(2);
    name = name.substr(0, name.find_first_of(".:"));
    size_t end = name.find_last_not_of(' ');
    name = end == std::string::npos ? std::string() : name.substr(0, end + 1);
    const std::string upper = NameCase::Upper(name);
    if (upper == "NUL")
        return DosDevice::Nul;
    if (upper == "CON")
        return DosDevice::Console;
    return DosDevice::None;
}

} // namespace winsim
