#include "LocalEvent.h"

#include "core/Clock.h"

namespace winsim
{

bool LocalEvent::Acquire(uint32_t tid)
{
    if (!IsSignaled(tid))
        return false;
    // An auto-reset event lets exactly one waiter through per SetEvent.
    if (!m_manualReset)
        m_signaled = false;
    return true;
}

uint32_t LocalEvent::SetEventState(bool signaled)
{
    m_clock.Update([&] { m_signaled = signaled; });
    return ERROR_SUCCESS;
}

} // namespace winsim
