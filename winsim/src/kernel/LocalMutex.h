// An unnamed mutex: owner thread and recursion count live in the process and change under the clock's
// lock. A thread that ends while owning it leaves it abandoned: the next owner's wait says so.
#pragma once

#include <memory>

#include "SyncObject.h"

namespace winsim
{

class Clock;

class LocalMutex : public SyncObject, public std::enable_shared_from_this<LocalMutex>
{
public:
    explicit LocalMutex(Clock& clock) : m_clock(clock) {}

    ObjectKind Kind() const override { return ObjectKind::Mutex; }
    bool IsSignaled(uint32_t tid) override { return m_owner == 0 || m_owner == tid; }
    // Must run in thread `tid` (the thread remembers what it owns, to abandon it when it ends).
    bool Acquire(uint32_t tid) override;
    bool TakeAbandoned() override;
    uint32_t ReleaseMutex(uint32_t tid) override;

    // Thread `tid` ended: if it still owns the mutex, the mutex becomes free and abandoned.
    void Abandon(uint32_t tid);

private:
    Clock& m_clock;
    uint32_t m_owner = 0;
    uint32_t m_recursion = 0;
    bool m_abandoned = false;
    bool m_lastAcquireAbandoned = false;
};

} // namespace winsim
