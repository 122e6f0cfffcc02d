// Reads the [Device.N] sections of a profile's machine.ini, in file order, which is the order devices
// enumerate in (the profile loader reads the other sections). Errors name the file and line, as the
// profile loader's do.
#pragma once

#include <string>
#include <vector>

#include "ProfileDevice.h"

namespace winsim
{

class DeviceProfileReader
{
public:
    static bool Read(const std::string& path, std::vector<ProfileDevice>& devices, std::string& error);
    // Whether a section name (any case, without brackets) is one this reader takes.
    static bool IsDeviceSection(const std::string& name);
};

} // namespace winsim
