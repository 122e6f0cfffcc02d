// Reads the [SerialPorts] and [WaveOut] sections of a profile's machine.ini into the machine.
#pragma once

#include <string>

namespace winsim
{

class Store;

class HardwareProfileReader
{
public:
    static bool IsHardwareSection(const std::string& lowerSection);
    // False with `error` ("file:line: what") for a malformed line.
    static bool Read(const std::string& path, Store& store, std::string& error);
};

} // namespace winsim
