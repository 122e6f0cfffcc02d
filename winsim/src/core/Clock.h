// The machine's clock and the process's waits on it.
//
// Virtual mode (tests): time stands still while any thread of the process runs; when every thread is
// blocked in a winsim wait, and every waiter has looked at the state since it last changed, the clock
// jumps to the earliest deadline. A wait that another process could end (a named object, a process
// handle) holds the jump back for a short real grace period first, while another process of the machine
// runs (when none does, nothing but this process can end the wait). Jumps are published to the machine
// store, and waits on other processes adopt a later published time, so that the processes of one
// machine agree on the time.
// Scaled mode (demos): virtual time runs N times faster than real time.
//
// Lock order: the clock's lock may be taken before the store's lock (waits on named objects read the
// store under it), never after. NowMs() and TickMs() take no lock, so they are safe anywhere.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "winsim/winsim.h"

namespace winsim
{

class Store;

class Clock
{
public:
    static constexpr uint64_t kForever = UINT64_MAX;

    Clock() = default;
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

    // Starts from the machine's stored time (meta clock.now_ms).
    void Start(Store* store, TimeMode mode, double scale);
    // The machine's stored time, for code that runs on a machine without being attached to it.
    static uint64_t StoredTime(Store& store);
    // Writes the clock back so that the next process on this machine starts where this one is now.
    void Persist();

    // Milliseconds since 1601-01-01 UTC.
    uint64_t NowMs() const;
    // Milliseconds since the machine booted (GetTickCount).
    uint64_t TickMs() const;
    // Tells attachments within one host process apart (thread-local caches key on it).
    uint64_t Generation() const { return m_generation; }
    TimeMode Mode() const { return m_mode; }
    double Scale() const { return m_scale; }

    // Blocks until ready() holds (true) or the deadline in NowMs() terms passes (false). ready() is
    // evaluated under the clock's lock, may take what the wait takes (it is the only one looking), and
    // must not wait itself. `external` says that another process may make ready() true, so the wait
    // polls and the virtual clock gives it a grace period. Must not be called with the store locked.
    bool WaitUntil(const std::function<bool()>& ready, uint64_t deadlineMs, bool external);

    // Tells whether another process of the machine runs, one that could end an external wait; called under
    // the clock's lock. Without it another process is assumed to run.
    void SetPeerCheck(std::function<bool()> othersRun);

    // Something a waiter may be waiting for changed state in this process.
    void Notify();
    // Runs `change` under the clock's lock (where waitable state lives), then wakes the waiters.
    void Update(const std::function<void()>& change);
    // Runs `look` under the clock's lock.
    void Inspect(const std::function<void()>& look);

    // The attaching thread.
    void RegisterThread();
    void UnregisterThread();
    // A new thread is counted by its creator before it starts, so that time cannot jump past its start.
    // False when the process is ending.
    bool ReserveThread();
    // Called first thing in the new thread. False when the process is ending: the thread must then
    // return without touching the clock again.
    bool AdoptReservedThread();
    // The thread could not be started after all.
    void CancelReservedThread();

    // Process exit: every other thread of the process stops for good at its next wait (as if the process
    // had terminated it) and this returns once all of them have stopped or finished.
    void EndProcess();
    // Stops the calling thread for good if its process is ending (for calls that do not wait).
    void StopIfEnding();

private:
    struct Waiter
    {
        uint64_t deadline;
        bool external;
        uint64_t seenEpoch;
    };

    bool AdvanceIfSettled();
    void AdoptStoredTime();
    void PublishTime(uint64_t nowMs);
    bool MustStop() const;
    [[noreturn]] void Stop(std::unique_lock<std::mutex>& lock, bool counted);
    void RemoveWaiter(const Waiter* waiter);

    std::mutex m_mutex;
    std::condition_variable m_cv;
    Store* m_store = nullptr;
    TimeMode m_mode = TimeMode::Virtual;
    double m_scale = 1.0;
    uint64_t m_generation = 0;
    // Virtual mode: the time. Scaled mode: the time at m_realBase.
    std::atomic<uint64_t> m_base{0};
    uint64_t m_bootMs = 0;
    std::chrono::steady_clock::time_point m_realBase;

    int m_threads = 0;
    std::vector<Waiter*> m_waiters;
    // Bumped whenever waitable state changes; a waiter that has not looked since cannot be counted as blocked.
    uint64_t m_epoch = 0;
    // Last change of anything that may let another process's wait end: the grace period runs from here.
    std::chrono::steady_clock::time_point m_quietSince;
    std::function<bool()> m_othersRun;
    bool m_ending = false;
    std::thread::id m_endingThread;
};

} // namespace winsim
