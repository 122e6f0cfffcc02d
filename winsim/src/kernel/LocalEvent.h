// An unnamed event: its state lives in the process and changes under the clock's lock.
#pragma once

#include "SyncObject.h"

namespace winsim
{

class Clock;

class LocalEvent : public SyncObject
{
public:
    LocalEvent(Clock& clock, bool manualReset, bool initialState)
        : m_clock(clock), m_manualReset(manualReset), m_signaled(initialState)
    {
    }

    ObjectKind Kind() const override { return ObjectKind::Event; }
    bool IsSignaled(uint32_t /*tid*/) override { return m_signaled; }
    bool Acquire(uint32_t tid) override;
    uint32_t SetEventState(bool signaled) override;

private:
    Clock& m_clock;
    const bool m_manualReset;
    bool m_signaled;
};

} // namespace winsim
