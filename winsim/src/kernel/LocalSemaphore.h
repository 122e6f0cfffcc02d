// An unnamed semaphore: its count lives in the process and changes under the clock's lock.
#pragma once

#include "SyncObject.h"

namespace winsim
{

class Clock;

class LocalSemaphore : public SyncObject
{
public:
    LocalSemaphore(Clock& clock, int32_t initialCount, int32_t maximumCount)
        : m_clock(clock), m_count(initialCount), m_maximum(maximumCount)
    {
    }

    ObjectKind Kind() const override { return ObjectKind::Semaphore; }
    bool IsSignaled(uint32_t /*tid*/) override { return m_count > 0; }
    bool Acquire(uint32_t tid) override;
    uint32_t ReleaseSemaphore(int32_t count, int32_t* previous) override;

private:
    Clock& m_clock;
    int32_t m_count;
    const int32_t m_maximum;
};

} // namespace winsim
