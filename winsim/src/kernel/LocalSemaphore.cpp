#include "LocalSemaphore.h"

#include "core/Clock.h"

namespace winsim
{

bool LocalSemaphore::Acquire(uint32_t tid)
{
    if (!IsSignaled(tid))
        return false;
    --m_count;
    return true;
}

uint32_t LocalSemaphore::ReleaseSemaphore(int32_t count, int32_t* previous)
{
    uint32_t error = ERROR_SUCCESS;
    m_clock.Update(
        [&]
        {
            // Past the maximum nothing is released at all.
            if (static_cast<int64_t>(m_count) + count > m_maximum)
            {
                error = ERROR_TOO_MANY_POSTS;
                return;
            }
            if (previous)
                *previous = m_count;
            m_count += count;
        });
    return error;
}

} // namespace winsim
