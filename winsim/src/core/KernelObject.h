// Base of everything a HANDLE can stand for in winsim. Waitable objects answer the wait protocol;
// their state changes happen under the clock's lock (Clock::WaitUntil evaluates waits under it).
#pragma once

#include <cstdint>

namespace winsim
{

enum class ObjectKind
{
    File,
    FindFile,
    RegistryKey,
    Event,
    Semaphore,
    Mutex,
    Thread,
    Process,
    Other
};

class KernelObject
{
public:
    virtual ~KernelObject() = default;
    virtual ObjectKind Kind() const = 0;

    virtual bool IsWaitable() const { return false; }
    // True when a wait by thread `tid` would be satisfied now.
    virtual bool IsSignaled(uint32_t /*tid*/) { return false; }
    // Takes what a satisfied wait takes: resets an auto-reset event, a semaphore count, mutex ownership.
    // Returns false if the object was taken by someone else in between (the wait goes on).
    virtual bool Acquire(uint32_t /*tid*/) { return true; }
    // True when another process can change the object's state (named objects, processes).
    virtual bool IsExternal() const { return false; }
    // For mutexes: true once after the owner ended without releasing it (WAIT_ABANDONED).
    virtual bool TakeAbandoned() { return false; }
    // The virtual time (NowMs() terms) at which the object becomes signalled by itself, such as the end
    // of a declared process's lifetime; a wait in virtual time may jump there. UINT64_MAX: no such time.
    virtual uint64_t SignalTimeMs() const { return UINT64_MAX; }
};

} // namespace winsim
