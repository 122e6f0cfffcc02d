// An INF whose bytes a fuzzer keeps in memory (winsim::SetMemoryInf): SetupOpenInfFileA reads it from there.
#pragma once

#include <string>

namespace winsim
{

class MemoryInf
{
public:
    static void Set(const std::string& windowsPath, const std::string& bytes);
    // The bytes when the path is the memory INF's; false otherwise.
    static bool Get(const std::string& windowsPath, std::string& bytes);
};

} // namespace winsim
