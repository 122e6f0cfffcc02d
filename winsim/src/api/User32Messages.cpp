// USER32 PostMessageA and SendMessageA. A window of this process gets the message through its window
// procedure (posted messages through its thread's queue). A window of another process has no procedure
// here, so a message gets what the default window procedure gives it: WM_CLOSE (and SC_CLOSE) destroys the window,
// whichever process owns it; a declared process whose last window closes ends with its declared exit
// code. WM_GETTEXT, WM_GETTEXTLENGTH and WM_SETTEXT read and set the title. Anything else is accepted
// and has no effect. Posting is delivered at once.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "processes/ProcessTable.h"
#include "user/MessageQueues.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "user/WindowTable.h"
#include "windows.h"

using namespace winsim;

namespace
{

bool IsClose(UINT message, WPARAM wParam)
{
    return message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE);
}

// Delivers a message to a window; false (ERROR_INVALID_WINDOW_HANDLE) when there is no such window.
bool Deliver(Runtime& rt, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    Store& store = rt.GetMachine().GetStore();
    Transaction txn(store);
    ProcessTable table = ProcessTable::Of(rt);
    table.PruneWindows();
    WindowTable windows(store);
    WindowRow row;
    if (!windows.Find(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hWnd)), row))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (IsClose(message, wParam))
    {
        windows.Destroy(row.hwnd);
        Journal::Record("window", "close", row.title, row.className);
        table.EndIfWindowless(row.pid);
    }
    else if (message == WM_GETTEXTLENGTH)
        result = static_cast<LRESULT>(row.title.size());
    else if (message == WM_GETTEXT && lParam && wParam > 0)
    {
        // Cut to wParam - 1 characters, terminated; the result is what was copied.
        const size_t copied = std::min<size_t>(row.title.size(), wParam - 1);
        char* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, row.title.data(), copied);
        buffer[copied] = '\0';
        result = static_cast<LRESULT>(copied);
    }
    else if (message == WM_SETTEXT)
    {
        const char* text = reinterpret_cast<const char*>(lParam);
        windows.SetTitle(row.hwnd, text ? text : "");
        Journal::Record("window", "title", text ? text : "", row.className);
        result = TRUE;
    }
    txn.Commit();
    return true;
}

} // namespace

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // Broadcasts reach windows with procedures of their own; here there are none.
    if (hWnd == HWND_BROADCAST)
        return TRUE;
    // A message that carries a pointer can only be sent.
    if (Msg == WM_GETTEXT || Msg == WM_SETTEXT)
    {
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    WindowState state;
    if (UserWindows::Of(*rt).Find(hWnd, state))
    {
        MSG msg{};
        msg.hwnd = hWnd;
        msg.message = Msg;
        msg.wParam = wParam;
        msg.lParam = lParam;
        MessageQueues::Of(*rt).Post(*rt, state.tid, msg);
        return TRUE;
    }
    LRESULT result = 0;
    return Deliver(*rt, hWnd, Msg, wParam, lParam, result) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    if (hWnd == HWND_BROADCAST)
        return 0;
    LRESULT result = 0;
    if (WindowCalls::Send(*rt, hWnd, Msg, wParam, lParam, result))
        return result;
    Deliver(*rt, hWnd, Msg, wParam, lParam, result);
    return result;
}
