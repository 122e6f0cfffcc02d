// The host processes this host process started for the machine (CreateProcessA, ShellExecuteA, reboot).
// Only the parent can reap a host child, so it keeps their wait statuses: a child's end is known even
// after its host pid has been reused.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace winsim
{

// What a host child is started with: the program beside the winsim command and the environment through
// which it attaches (see winsim/winsim.h).
struct HostLaunch
{
    std::string executable;
    std::string machineDir;
    std::string imagePath;
    std::string commandLine;
    std::string currentDirectory;
    std::string timeMode; // "virtual" or "scaled:N"
    uint32_t pid = 0;
    uint32_t parentPid = 0;
};

class HostChildren
{
public:
    // Starts the child; its host pid, or -1 (with the reason) when it cannot be started.
    static pid_t Start(const HostLaunch& launch, std::string& error);
    // Whether `hostPid` is a child this process started (only the wait status tells when it ends).
    static bool Owns(pid_t hostPid);
    // True, with the wait status, when `hostPid` is a child of this process that has ended.
    static bool Ended(pid_t hostPid, int& status);
    // Kills a host process (a child or not) at once.
    static void Kill(pid_t hostPid);
};

} // namespace winsim
