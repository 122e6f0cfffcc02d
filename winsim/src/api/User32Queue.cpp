// USER32 message loops: the calling thread's queue (GetMessageA waits on the machine's clock), dispatching
// to window procedures, timers.
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "user/MessageQueues.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "windows.h"

using namespace winsim;

namespace
{

// The thread whose queue a window's messages and timers go to; 0 for a window of another process.
uint32_t ThreadOf(Runtime& rt, HWND hwnd)
{
    WindowState state;
    return UserWindows::Of(rt).Find(hwnd, state) ? state.tid : 0;
}

} // namespace

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT /*wMsgFilterMin*/, UINT /*wMsgFilterMax*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, -1);
    if (!lpMsg)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hWnd && !ThreadOf(*rt, hWnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    MessageQueues::Of(*rt).Next(*rt, hWnd, true, true, *lpMsg);
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT /*wMsgFilterMin*/, UINT /*wMsgFilterMax*/, UINT wRemoveMsg)
{
    Runtime* rt = Runtime::Current();
    if (!rt || !lpMsg)
        return FALSE;
    WINSIM_API_CALL();
    return MessageQueues::Of(*rt).Next(*rt, hWnd, (wRemoveMsg & PM_REMOVE) != 0, false, *lpMsg) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return FALSE;
    WINSIM_API_CALL();
    // No keyboard: nothing ever becomes a character message.
    (void)lpMsg;
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg)
{
    Runtime* rt = Runtime::Current();
    if (!rt || !lpMsg)
        return 0;
    WINSIM_API_CALL();
    // A timer with a procedure of its own calls that instead of the window's.
    if (lpMsg->message == WM_TIMER && lpMsg->lParam)
    {
        FaultPoint::Callback program;
        reinterpret_cast<TIMERPROC>(lpMsg->lParam)(lpMsg->hwnd, WM_TIMER, lpMsg->wParam,
                                                   static_cast<DWORD>(rt->GetClock().TickMs()));
        return 0;
    }
    if (!lpMsg->hwnd)
        return 0;
    LRESULT result = 0;
    WindowCalls::Send(*rt, lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam, result);
    return result;
}

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    MSG msg{};
    msg.message = Msg;
    msg.wParam = wParam;
    msg.lParam = lParam;
    MessageQueues::Of(*rt).Post(*rt, idThread, msg);
    return TRUE;
}

void WINAPI PostQuitMessage(int nExitCode)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return;
    WINSIM_API_CALL();
    MessageQueues::Of(*rt).PostQuit(*rt, CurrentThread::Id(*rt), nExitCode);
}

BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg)
{
    Runtime* rt = Runtime::Current();
    if (!rt || !hDlg || !lpMsg)
        return FALSE;
    WINSIM_API_CALL();
    // Only keyboard navigation is the dialog's own; there is no keyboard.
    return FALSE;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    uint32_t tid = CurrentThread::Id(*rt);
    if (hWnd)
    {
        tid = ThreadOf(*rt, hWnd);
        // Only the window's own thread may set its timers.
        if (tid != CurrentThread::Id(*rt))
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
    }
    return MessageQueues::Of(*rt).SetTimer(*rt, tid, hWnd, nIDEvent, uElapse, lpTimerFunc);
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    const uint32_t tid = hWnd ? ThreadOf(*rt, hWnd) : CurrentThread::Id(*rt);
    if (!tid || !MessageQueues::Of(*rt).KillTimer(*rt, tid, hWnd, uIDEvent))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
