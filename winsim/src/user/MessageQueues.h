// The message queues of the attached process's threads: posted messages, messages sent from other
// threads, timers on the machine's clock, windows waiting to be painted, and the quit flag. Queue state
// lives under the clock's lock, so a thread blocked in GetMessageA is a waiter the virtual clock knows
// about: when every thread waits, time jumps to the next timer.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "windows.h"

namespace winsim
{

class Runtime;

class MessageQueues
{
public:
    static MessageQueues& Of(Runtime& rt);

    // Posts to a thread's queue and wakes it.
    void Post(Runtime& rt, uint32_t tid, const MSG& msg);
    void PostQuit(Runtime& rt, uint32_t tid, int exitCode);
    // Sends to a window of another thread: queues the message there and waits until that thread has
    // handled it, handling messages sent to this thread meanwhile. 0 when the window goes first.
    LRESULT SendToThread(Runtime& rt, uint32_t tid, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The next message for the calling thread: messages sent to it are handled on the way; posted messages,
    // then WM_QUIT, then due timers, then WM_PAINT. `wait` blocks until there is one; false without.
    bool Next(Runtime& rt, HWND filter, bool remove, bool wait, MSG& msg);

    UINT_PTR SetTimer(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
    bool KillTimer(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id);
    TIMERPROC TimerProc(Runtime& rt, uint32_t tid, HWND hwnd, UINT_PTR id);
    // The window needs painting (InvalidateRect), or not any more (BeginPaint, destruction).
    void Invalidate(Runtime& rt, uint32_t tid, HWND hwnd);
    bool Validate(Runtime& rt, uint32_t tid, HWND hwnd);
    // A window is gone: its timers and paint requests go with it.
    void Forget(Runtime& rt, uint32_t tid, HWND hwnd);

private:
    struct Sent
    {
        HWND hwnd = nullptr;
        UINT msg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        LRESULT result = 0;
        bool done = false;
    };
    struct Timer
    {
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        uint32_t interval = 0;
        uint64_t due = 0;
        TIMERPROC proc = nullptr;
    };
    struct Queue
    {
        std::deque<MSG> posted;
        std::deque<std::shared_ptr<Sent>> sent;
        std::vector<Timer> timers;
        std::vector<HWND> dirty;
        bool quit = false;
        int quitCode = 0;
    };

    Queue& QueueOf(uint32_t tid);
    // Handles the messages other threads sent to this one (outside the clock's lock).
    void HandleSent(Runtime& rt, std::deque<std::shared_ptr<Sent>>& sent);

    uint64_t m_generation = 0;
    std::map<uint32_t, Queue> m_queues;
    UINT_PTR m_nextTimerId = 0x7FF0;
};

} // namespace winsim
