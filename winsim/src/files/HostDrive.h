// The host side of drive C:: what the simulated file functions need from the host file system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

struct HostStat
{
    bool exists = false;
    bool isDirectory = false;
    uint64_t size = 0;
    uint64_t writeMs = 0; // host modification time, milliseconds since 1601
};

class HostDrive
{
public:
    static HostStat Stat(const std::string& hostPath);
    // Names in a folder, without "." and "..", in no particular order.
    static bool List(const std::string& hostDir, std::vector<std::string>& names);
    static bool IsEmptyDirectory(const std::string& hostDir);
    // Copies the bytes of a file over (or into a new) destination; false with errno set.
    static bool CopyData(const std::string& from, const std::string& to);
    // The Win32 error for an errno value of a failed host call.
    static uint32_t ErrorFromErrno(int error);
    // The folder part of a host path.
    static std::string Parent(const std::string& hostPath);
};

} // namespace winsim
