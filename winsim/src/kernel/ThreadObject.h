// A thread made by CreateThread: a host thread running the routine, counted by the clock while it runs.
// Its handle is signalled when the routine has returned. Host threads are detached, not joined: process
// exit (Clock::EndProcess) stops a thread still running at its next wait and waits for that instead.
#pragma once

#include <cstdint>
#include <memory>

#include "core/KernelObject.h"
#include "windows.h"

namespace winsim
{

class Clock;
class Runtime;

class ThreadObject : public KernelObject
{
public:
    ThreadObject(Clock& clock, uint32_t tid, uint32_t suspendCount)
        : m_clock(clock), m_tid(tid), m_suspendCount(suspendCount)
    {
    }

    // Starts `routine(parameter)` on a new thread (suspended until Resume when asked). nullptr with a
    // Win32 error code when the process is ending or the host cannot make a thread.
    static std::shared_ptr<ThreadObject> Start(Runtime& rt, LPTHREAD_START_ROUTINE routine, void* parameter,
                                               bool suspended, uint32_t& error);

    ObjectKind Kind() const override { return ObjectKind::Thread; }
    bool IsWaitable() const override { return true; }
    bool IsSignaled(uint32_t /*tid*/) override { return m_ended; }

    uint32_t Id() const { return m_tid; }
    // STILL_ACTIVE while the routine runs, then what it returned.
    uint32_t ExitCode();
    // Lowers the suspend count; returns the count before.
    uint32_t Resume();

private:
    static void Run(Runtime* rt, std::shared_ptr<ThreadObject> self, LPTHREAD_START_ROUTINE routine, void* parameter);

    Clock& m_clock;
    const uint32_t m_tid;
    // Guarded by the clock's lock.
    uint32_t m_suspendCount;
    bool m_ended = false;
    uint32_t m_exitCode = STILL_ACTIVE;
};

} // namespace winsim
