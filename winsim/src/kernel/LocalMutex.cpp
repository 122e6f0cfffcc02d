#include "LocalMutex.h"

#include "CurrentThread.h"
#include "core/Clock.h"

namespace winsim
{

bool LocalMutex::Acquire(uint32_t tid)
{
    m_lastAcquireAbandoned = false;
    if (m_owner == tid)
    {
        ++m_recursion;
        return true;
    }
    if (m_owner != 0)
        return false;
    m_owner = tid;
    m_recursion = 1;
    m_lastAcquireAbandoned = m_abandoned;
    m_abandoned = false;
    CurrentThread::NoteOwned(weak_from_this());
    return true;
}

bool LocalMutex::TakeAbandoned()
{
    bool abandoned = m_lastAcquireAbandoned;
    m_lastAcquireAbandoned = false;
    return abandoned;
}

uint32_t LocalMutex::ReleaseMutex(uint32_t tid)
{
    uint32_t error = ERROR_SUCCESS;
    m_clock.Update(
        [&]
        {
            if (m_owner != tid)
            {
                error = ERROR_NOT_OWNER;
                return;
            }
            if (--m_recursion == 0)
                m_owner = 0;
        });
    return error;
}

void LocalMutex::Abandon(uint32_t tid)
{
    m_clock.Update(
        [&]
        {
            if (m_owner != tid)
                return;
            m_owner = 0;
            m_recursion = 0;
            m_abandoned = true;
        });
}

} // namespace winsim
