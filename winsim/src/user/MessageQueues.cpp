#include "MessageQueues.h"

#include <algorithm>

#include "UserWindows.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "user/ScreenPublisher.h"

namespace winsim
{

namespace
{

bool Matches(HWND filter, HWND hwnd)
{
    return !filter || filter == hwnd;
}

// Whether a window above `hwnd` is among `windows`.
bool AncestorIn(Runtime& rt, HWND hwnd, const std::vector<HWND>& windows)
{
    WindowState state;
    for (int depth = 0; depth < 64 && UserWindows::Of(rt).Find(hwnd, state) && state.parent; ++depth)
    {
        hwnd = state.parent;
        if (std::find(windows.begin(), windows.end(), hwnd) != windows.end())
            return true;
    }
    return false;
}

} // namespace

MessageQueues& MessageQueues::Of(Runtime& rt)
{
    static MessageQueues queues;
    rt.GetClock().Update(
        [&]
        {
            if (queues.m_generation != rt.GetClock().Generation())
            {
                queues.m_generation = rt.GetClock().Generation();
                queues.m_queues.clear();
            }
        });
    return queues;
}

MessageQueues::Queue& MessageQueues::QueueOf(uint32_t tid)
{
    return m_queues[tid];
}

void MessageQueues::Post(Runtime& rt, uint32_t tid, const MSG& msg)
{
    rt.GetClock().Update([&] { QueueOf(tid).posted.push_back(msg); });
}

void MessageQueues::PostQuit(Runtime& rt, uint32_t tid, int exitCode)
{
    rt.GetClock().Update(
        [&]
        {
            QueueOf(tid).quit = true;
            QueueOf(tid).quitCode = exitCode;
        });
}

void MessageQueues::HandleSent(Runtime& rt, std::deque<std::shared_ptr<Sent>>& sent)
{
    for (const auto& message : sent)
    {
        const LRESULT result = SendMessageA(message->hwnd, message->msg, message->wParam, message->lParam);
        rt.GetClock().Update(
            [&]
            {
                message->result = result;
                message->done = true;
            });
    }
    sent.clear();
}

LRESULT MessageQueues::SendToThread(Runtime& rt, uint32_t tid, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto message = std::make_shared<Sent>();
    message->hwnd = hwnd;
    message->msg = msg;
    message->wParam = wParam;
    message->lParam = lParam;
    const uint32_t self = CurrentThread::Id(rt);
    rt.GetClock().Update([&] { QueueOf(tid).sent.push_back(message); });
    for (;;)
    {
        std::deque<std::shared_ptr<Sent>> incoming;
        bool done = false;
        rt.GetClock().WaitUntil(
            [&]
            {
                done = message->done;
                Queue& own = QueueOf(self);
                incoming.swap(own.sent);
                if (!done && !incoming.empty())
                    return true;
                if (!done)
                {
                    // The window went before its thread got to the message.
                    WindowState state;
                    done = !UserWindows::Of(rt).Find(hwnd, state);
                }
                return done;
            },
            Clock::kForever, false);
        HandleSent(rt, incoming);
        if (done)
            return message->done ? message->result : 0;
    }
}

bool MessageQueues::Next(Runtime& rt, HWND filter, bool remove, bool wait, MSG& msg)
{
    Clock& clock = rt.GetClock();
    const uint32_t self = CurrentThread::Id(rt);
    for (;;)
    {
        std::deque<std::shared_ptr<Sent>> incoming;
        bool found = false;
        uint64_t nextDue = Clock::kForever;
        auto look = [&]() -> bool
        {
            Queue& queue = QueueOf(self);
            incoming.swap(queue.sent);
            if (!incoming.empty())
                return true;
            const uint64_t now = clock.NowMs();
            auto posted = std::find_if(queue.posted.begin(), queue.posted.end(),
                                       [&](const MSG& m) { return Matches(filter, m.hwnd); });
            if (posted != queue.posted.end())
            {
                msg = *posted;
                if (remove)
                    queue.posted.erase(posted);
                return found = true;
            }
            if (queue.quit)
            {
                msg = MSG{};
                msg.message = WM_QUIT;
                msg.wParam = static_cast<WPARAM>(queue.quitCode);
                if (remove)
                    queue.quit = false;
                return found = true;
            }
            nextDue = Clock::kForever;
            for (Timer& timer : queue.timers)
            {
                if (!Matches(filter, timer.hwnd))
                    continue;
                if (timer.due <= now)
                {
                    msg = MSG{};
                    msg.hwnd = timer.hwnd;
                    msg.message = WM_TIMER;
                    msg.wParam = timer.id;
                    msg.lParam = reinterpret_cast<LPARAM>(timer.proc);
                    if (remove)
                        timer.due = now + timer.interval;
                    return found = true;
                }
                nextDue = std::min(nextDue, timer.due);
            }
            // Parents paint before their children, as Windows sends WM_PAINT down the window hierarchy.
            auto dirty = std::find_if(queue.dirty.begin(), queue.dirty.end(),
                                      [&](HWND h) { return Matches(filter, h) && !AncestorIn(rt, h, queue.dirty); });
            if (dirty != queue.dirty.end())
            {
                msg = MSG{};
                msg.hwnd = *dirty;
                msg.message = WM_PAINT;
                // Painting validates; a window that does not paint is not asked again.
                if (remove)
                    queue.dirty.erase(dirty);
                return found = true;
            }
            return false;
        };
        if (!wait)
        {
            clock.Inspect([&] { look(); });
        }
        else
        {
            clock.Inspect([&] { look(); });
            if (!found && incoming.empty())
            {
                // About to wait: what the windows show now is what the screen shows.
                ScreenPublisher::Publish(rt);
                clock.WaitUntil(look, nextDue, false);
            }
        }
        if (!incoming.empty())
        {
            HandleSent(rt, incoming);
            continue;
        }
        if (found)
        {
            msg.time = static_cast<DWORD>(clock.TickMs());
            return true;
        }
        if (!wait)
            return false;
    }
}

UINT_PTR MessageQueues::SetTimer(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    // As on Windows, intervals are kept between 10 ms and about 24.8 days.
    const uint32_t interval = std::clamp<uint32_t>(elapse, 10u, 0x7FFFFFFFu);
    UINT_PTR result = 0;
    rt.GetClock().Update(
        [&]
        {
            Queue& queue = QueueOf(tid);
            if (!hwnd)
                id = ++m_nextTimerId;
            const uint64_t due = rt.GetClock().NowMs() + interval;
            for (Timer& timer : queue.timers)
            {
                if (timer.hwnd == hwnd && timer.id == id)
                {
                    timer.interval = interval;
                    timer.due = due;
                    timer.proc = proc;
                    result = hwnd ? 1 : id;
                    return;
                }
            }
            queue.timers.push_back({hwnd, id, interval, due, proc});
            result = hwnd ? (id ? id : 1) : id;
        });
    return result;
}

bool MessageQueues::KillTimer(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id)
{
    bool killed = false;
    rt.GetClock().Update(
        [&]
        {
            auto& timers = QueueOf(tid).timers;
            const size_t before = timers.size();
            timers.erase(std::remove_if(timers.begin(), timers.end(),
                                        [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }),
                         timers.end());
            killed = timers.size() != before;
        });
    return killed;
}

TIMERPROC MessageQueues::TimerProc(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id)
{
    TIMERPROC proc = nullptr;
    rt.GetClock().Inspect(
        [&]
        {
            for (const Timer& timer : QueueOf(tid).timers)
            {
                if (timer.hwnd == hwnd && timer.id == id)
                    proc = timer.proc;
            }
        });
    return proc;
}

void MessageQueues::Invalidate(Runtime& rt, uint32_t tid, HWND hwnd)
{
    rt.GetClock().Update(
        [&]
        {
            auto& dirty = QueueOf(tid).dirty;
            if (std::find(dirty.begin(), dirty.end(), hwnd) == dirty.end())
                dirty.push_back(hwnd);
        });
}

bool MessageQueues::Validate(Runtime& rt, uint32_t tid, HWND hwnd)
{
    bool was = false;
    rt.GetClock().Update(
        [&]
        {
            auto& dirty = QueueOf(tid).dirty;
            auto it = std::find(dirty.begin(), dirty.end(), hwnd);
            was = it != dirty.end();
            if (was)
                dirty.erase(it);
        });
    return was;
}

void MessageQueues::Forget(Runtime& rt, uint32_t tid, HWND hwnd)
{
    rt.GetClock().Update(
        [&]
        {
            Queue& queue = QueueOf(tid);
            queue.timers.erase(std::remove_if(queue.timers.begin(), queue.timers.end(),
                                              [&](const Timer& t) { return t.hwnd == hwnd; }),
                               queue.timers.end());
            queue.dirty.erase(std::remove(queue.dirty.begin(), queue.dirty.end(), hwnd), queue.dirty.end());
            queue.posted.erase(
                std::remove_if(queue.posted.begin(), queue.posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                queue.posted.end());
        });
}

} // namespace winsim
