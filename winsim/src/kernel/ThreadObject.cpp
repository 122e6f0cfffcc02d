#include "ThreadObject.h"

#include <system_error>
#include <thread>

#include "CurrentThread.h"
#include "core/Runtime.h"

namespace winsim
{

std::shared_ptr<ThreadObject> ThreadObject::Start(Runtime& rt, LPTHREAD_START_ROUTINE routine, void* parameter,
                                                  bool suspended, uint32_t& error)
{
    Clock& clock = rt.GetClock();
    auto thread = std::make_shared<ThreadObject>(clock, CurrentThread::Allocate(rt), suspended ? 1 : 0);
    if (!clock.ReserveThread())
    {
        error = ERROR_NOT_READY;
        return nullptr;
    }
    try
    {
        std::thread(&ThreadObject::Run, &rt, thread, routine, parameter).detach();
    }
    catch (const std::system_error&)
    {
        clock.CancelReservedThread();
        error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    return thread;
}

void ThreadObject::Run(Runtime* rt, std::shared_ptr<ThreadObject> self, LPTHREAD_START_ROUTINE routine, void* parameter)
{
    Clock& clock = rt->GetClock();
    if (!clock.AdoptReservedThread())
        return;
    CurrentThread::Assign(*rt, self->m_tid);
    // A suspended thread counts as blocked until ResumeThread lets it go.
    clock.WaitUntil([&] { return self->m_suspendCount == 0; }, Clock::kForever, false);
    DWORD code = routine(parameter);
    CurrentThread::AbandonMutexes(*rt);
    clock.Update(
        [&]
        {
            self->m_exitCode = code;
            self->m_ended = true;
        });
    self.reset();
    // The last use of the process's state: once unregistered, process exit may tear it down.
    clock.UnregisterThread();
}

uint32_t ThreadObject::ExitCode()
{
    uint32_t code = 0;
    m_clock.Inspect([&] { code = m_exitCode; });
    return code;
}

uint32_t ThreadObject::Resume()
{
    uint32_t previous = 0;
    m_clock.Update(
        [&]
        {
            previous = m_suspendCount;
            if (m_suspendCount > 0)
                --m_suspendCount;
        });
    return previous;
}

} // namespace winsim
