#include "Clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Store.h"

namespace winsim
{

namespace
{

using SteadyClock = std::chrono::steady_clock;

// How long a process whose threads all wait, some on other processes, is given before time jumps.
constexpr auto kExternalGrace = std::chrono::milliseconds(20);
// How often a wait that another process may end looks at the machine store again.
constexpr auto kPollInterval = std::chrono::milliseconds(2);
// A wait nothing can end but a state change or a jump still wakes now and then, as a safety net.
constexpr auto kIdleInterval = std::chrono::milliseconds(100);
// When process exit has waited this long for a thread that neither finishes nor waits, it says so.
constexpr auto kEndWarning = std::chrono::seconds(5);
// 2007-06-15 09:00:00 UTC, the default wall clock of a new machine.
constexpr uint64_t kDefaultStartMs = 12826371600000ULL;

std::atomic<uint64_t> g_generations{0};

uint64_t ReadMeta(Store* store, const char* name, uint64_t fallback)
{
    if (!store)
        return fallback;
    Statement stmt = store->Prepare("SELECT value FROM meta WHERE name = ?1");
    stmt.Bind(1, std::string(name));
    return stmt.Step() ? std::strtoull(stmt.Text(0).c_str(), nullptr, 10) : fallback;
}

// Whether the calling thread is counted (the attaching thread and threads made by CreateThread).
thread_local bool t_registered = false;

// A thread stopped by process exit stays here until the host process ends. The objects are never
// destroyed, so stopped threads outlive static destruction safely.
[[noreturn]] void WaitForever()
{
    static auto* mutex = new std::mutex;
    static auto* cv = new std::condition_variable;
    std::unique_lock<std::mutex> lock(*mutex);
    for (;;)
        cv->wait(lock);
}

} // namespace

void Clock::Start(Store* store, TimeMode mode, double scale)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_store = store;
    m_mode = mode;
    m_scale = scale > 0 ? scale : 1.0;
    m_generation = ++g_generations;
    uint64_t start = ReadMeta(store, "clock.start_ms", kDefaultStartMs);
    if (start == 0)
        start = kDefaultStartMs;
    m_base = ReadMeta(store, "clock.now_ms", start);
    // A machine that never rebooted has been up since it was made.
    m_bootMs = ReadMeta(store, "clock.boot_ms", start);
    m_realBase = SteadyClock::now();
    m_quietSince = m_realBase;
}

uint64_t Clock::StoredTime(Store& store)
{
    uint64_t start = ReadMeta(&store, "clock.start_ms", kDefaultStartMs);
    return ReadMeta(&store, "clock.now_ms", start == 0 ? kDefaultStartMs : start);
}

void Clock::Persist()
{
    PublishTime(NowMs());
}

void Clock::PublishTime(uint64_t nowMs)
{
    if (!m_store)
        return;
    // Another process of this machine may have run further; the clock never goes back.
    Statement stmt = m_store->Prepare("INSERT INTO meta(name, value) VALUES('clock.now_ms', ?1) "
                                      "ON CONFLICT(name) DO UPDATE SET value = "
                                      "CASE WHEN CAST(value AS INTEGER) < CAST(?1 AS INTEGER) THEN ?1 ELSE value END");
    stmt.Bind(1, std::to_string(nowMs));
    stmt.Run();
}

void Clock::AdoptStoredTime()
{
    uint64_t stored = ReadMeta(m_store, "clock.now_ms", 0);
    uint64_t now = NowMs();
    if (stored <= now)
        return;
    m_base += stored - now;
    m_quietSince = SteadyClock::now();
    m_cv.notify_all();
}

uint64_t Clock::NowMs() const
{
    if (m_mode == TimeMode::Virtual)
        return m_base.load();
    auto real = SteadyClock::now() - m_realBase;
    double ms = std::chrono::duration<double, std::milli>(real).count() * m_scale;
    return m_base.load() + static_cast<uint64_t>(ms);
}

uint64_t Clock::TickMs() const
{
    uint64_t now = NowMs();
    return now >= m_bootMs ? now - m_bootMs : 0;
}

void Clock::SetPeerCheck(std::function<bool()> othersRun)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_othersRun = std::move(othersRun);
}

void Clock::Notify()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_epoch;
    m_quietSince = SteadyClock::now();
    m_cv.notify_all();
}

void Clock::Update(const std::function<void()>& change)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    change();
    ++m_epoch;
    m_quietSince = SteadyClock::now();
    m_cv.notify_all();
}

void Clock::Inspect(const std::function<void()>& look)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    look();
}

void Clock::RegisterThread()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!t_registered)
        ++m_threads;
    t_registered = true;
}

void Clock::UnregisterThread()
{
    // Notifying under the lock: once the lock is released the process may end and the clock go away.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (t_registered && m_threads > 0)
        --m_threads;
    t_registered = false;
    m_quietSince = SteadyClock::now();
    m_cv.notify_all();
}

bool Clock::ReserveThread()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ending)
        return false;
    ++m_threads;
    return true;
}

bool Clock::AdoptReservedThread()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_ending)
    {
        --m_threads;
        m_cv.notify_all();
        return false;
    }
    t_registered = true;
    return true;
}

void Clock::CancelReservedThread()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    --m_threads;
    m_cv.notify_all();
}

void Clock::EndProcess()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_ending = true;
    m_endingThread = std::this_thread::get_id();
    m_cv.notify_all();
    const int self = t_registered ? 1 : 0;
    auto since = SteadyClock::now();
    bool warned = false;
    while (m_threads > self)
    {
        m_cv.wait_for(lock, kIdleInterval);
        if (!warned && SteadyClock::now() - since > kEndWarning)
        {
            std::fprintf(stderr, "winsim: process exit is waiting for %d thread(s) that neither finish nor wait\n",
                         m_threads - self);
            warned = true;
        }
    }
}

void Clock::StopIfEnding()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (MustStop())
        Stop(lock, false);
}

bool Clock::MustStop() const
{
    return m_ending && std::this_thread::get_id() != m_endingThread;
}

void Clock::Stop(std::unique_lock<std::mutex>& lock, bool counted)
{
    if (counted || t_registered)
        --m_threads;
    t_registered = false;
    m_cv.notify_all();
    lock.unlock();
    WaitForever();
}

void Clock::RemoveWaiter(const Waiter* waiter)
{
    m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), waiter));
    m_quietSince = SteadyClock::now();
}

bool Clock::AdvanceIfSettled()
{
    if (m_mode != TimeMode::Virtual || m_ending || m_waiters.empty() ||
        m_waiters.size() < static_cast<size_t>(m_threads))
        return false;
    uint64_t next = kForever;
    bool external = false;
    for (const Waiter* waiter : m_waiters)
    {
        // A waiter that has not looked at the latest change may be about to run.
        if (waiter->seenEpoch != m_epoch)
            return false;
        next = std::min(next, waiter->deadline);
        external = external || waiter->external;
    }
    // A deadline already passed belongs to a waiter on its way out; it runs first.
    if (next == kForever || next <= m_base.load())
        return false;
    // The grace period is for other processes; asked last, as it reads the machine store.
    if (external && SteadyClock::now() - m_quietSince < kExternalGrace && (!m_othersRun || m_othersRun()))
        return false;
    m_base = next;
    m_quietSince = SteadyClock::now();
    PublishTime(next);
    m_cv.notify_all();
    return true;
}

bool Clock::WaitUntil(const std::function<bool()>& ready, uint64_t deadlineMs, bool external)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (MustStop())
        Stop(lock, false);
    if (ready())
        return true;
    if (NowMs() >= deadlineMs)
        return false;

    // A thread the clock does not know (a host thread) counts as one more thread, blocked, while it waits.
    const bool counted = !t_registered;
    if (counted)
        ++m_threads;
    Waiter self{deadlineMs, external, m_epoch};
    m_waiters.push_back(&self);
    m_quietSince = SteadyClock::now();

    bool result = false;
    for (;;)
    {
        // ready() was false for the state as of now.
        self.seenEpoch = m_epoch;
        AdvanceIfSettled();
        uint64_t now = NowMs();
        if (now >= deadlineMs)
            break;

        // An external wait polls; it is also the one that makes the jump once the grace period is over.
        if (m_mode == TimeMode::Scaled && deadlineMs != kForever)
        {
            auto realLeft = std::chrono::duration<double, std::milli>((deadlineMs - now) / m_scale);
            auto step = std::chrono::duration_cast<std::chrono::nanoseconds>(realLeft) + std::chrono::microseconds(50);
            m_cv.wait_for(lock, external ? std::min<std::chrono::nanoseconds>(step, kPollInterval) : step);
        }
        else
            m_cv.wait_for(lock, external ? kPollInterval : kIdleInterval);

        if (MustStop())
        {
            RemoveWaiter(&self);
            Stop(lock, counted);
        }
        if (external)
            AdoptStoredTime();
        if (ready())
        {
            result = true;
            break;
        }
    }

    RemoveWaiter(&self);
    if (counted)
        --m_threads;
    return result;
}

} // namespace winsim
