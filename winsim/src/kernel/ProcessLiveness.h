// Whether a process of the machine still runs. A process that ended normally has its exit recorded; one
// that crashed has not, but its host process is gone (or a zombie nobody has reaped yet).
#pragma once

#include <cstdint>

namespace winsim
{

class Store;

class ProcessLiveness
{
public:
    // `selfPid` (the caller's own process) always runs. A pid the machine never had does not.
    static bool IsRunning(Store& store, uint32_t pid, uint32_t selfPid);
    static bool IsHostRunning(int64_t hostPid);
};

} // namespace winsim
