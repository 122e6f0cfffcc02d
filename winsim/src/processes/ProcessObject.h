// A handle to a process of the machine (or to its first thread, which lives as long as the process).
// The process's state is in the machine store, where other processes change it, so waits on it poll
// (IsExternal); it is signalled once the process has ended. A declared process with a lifetime tells
// the wait when it will end, so that virtual time can jump there.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/KernelObject.h"

namespace winsim
{

class Runtime;

class ProcessObject : public KernelObject
{
public:
    ProcessObject(Runtime& rt, uint32_t pid, uint32_t access, bool thread, std::optional<uint64_t> endsMs)
        : m_rt(rt), m_pid(pid), m_access(access), m_thread(thread), m_endsMs(endsMs)
    {
    }

    ObjectKind Kind() const override { return m_thread ? ObjectKind::Thread : ObjectKind::Process; }
    bool IsWaitable() const override { return true; }
    bool IsExternal() const override { return true; }
    bool IsSignaled(uint32_t tid) override;
    uint64_t SignalTimeMs() const override;

    // The process a handle stands for: a process handle of the table, or the pseudo handle of
    // GetCurrentProcess() (all access). nullptr for anything else.
    static std::shared_ptr<ProcessObject> FromHandle(Runtime& rt, const void* handle);

    uint32_t Pid() const { return m_pid; }
    bool Allows(uint32_t access) const { return (m_access & access) != 0; }
    // STILL_ACTIVE while the process runs, then its exit code.
    uint32_t ExitCode();

private:
    Runtime& m_rt;
    const uint32_t m_pid;
    const uint32_t m_access;
    const bool m_thread;
    const std::optional<uint64_t> m_endsMs;
};

} // namespace winsim
