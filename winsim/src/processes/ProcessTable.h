// The machine's processes (table processes): attached processes with a host process behind them, and
// declared processes, which are rows only, scripted by the profile (DeclaredProgram).
//
// Whether a process still runs is decided lazily, by whoever looks: a declared process whose lifetime
// is over, and a host process that is gone without recording its exit (it crashed, or was killed), are
// recorded as ended on the way, and their windows go. Callers run the store transaction around changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DeclaredProgram.h"

namespace winsim
{

class Runtime;
class Store;

struct ProcessRow
{
    uint32_t pid = 0;
    int64_t hostPid = 0;
    std::string image;
    std::string commandLine;
    uint32_t parent = 0;
    uint64_t startedMs = 0;
    bool exited = false;
    uint32_t exitCode = 0;
    bool declared = false;
    std::optional<uint64_t> endsMs;
};

class ProcessTable
{
public:
    // What a process that ended without saying how (a crash) exits with: an access violation.
    static constexpr uint32_t kCrashExitCode = 0xC0000005;

    // nowMs is the looker's virtual time; selfPid its own process, which always runs (0: none).
    ProcessTable(Store& store, uint64_t nowMs, uint32_t selfPid) : m_store(store), m_nowMs(nowMs), m_self(selfPid) {}
    static ProcessTable Of(Runtime& rt);

    // The row as stored; false for a pid the machine never had.
    bool Find(uint32_t pid, ProcessRow& row);
    // Brings the row up to date (see above); true while the process runs.
    bool Refresh(ProcessRow& row);
    bool IsRunning(uint32_t pid);
    // Every process still running, by pid.
    std::vector<ProcessRow> Running();

    // A row for a host process its parent is about to start; the host pid follows with SetHostPid.
    uint32_t AddHost(const std::string& image, const std::string& commandLine, uint32_t parent);
    bool SetHostPid(uint32_t pid, int64_t hostPid);
    // Starts a declared process of `program`: its row, its modules and its windows.
    uint32_t AddDeclared(const DeclaredProgram& program, const std::string& image, const std::string& commandLine,
                         uint32_t parent);
    // Records the end unless the process has ended already; its windows go. `why` is for the journal.
    bool End(uint32_t pid, uint32_t exitCode, uint64_t atMs, const std::string& why);
    // Removes the windows of processes that are no longer running.
    void PruneWindows();
    // A declared process whose last window was closed ends, with its declared exit code.
    bool EndIfWindowless(uint32_t pid);

    // The thread id of a process's first thread (CurrentThread gives the first thread pid * 256 + 4).
    static uint32_t MainThreadId(uint32_t pid) { return pid * 256 + 4; }

private:
    uint32_t NextPid();

    Store& m_store;
    uint64_t m_nowMs;
    uint32_t m_self;
};

} // namespace winsim
