// USER32 focus and foreground. Windows has one foreground window for the desktop and a focus window per
// thread; winsim keeps one of each for the machine, and GetFocus reports the focus window only to the
// process it belongs to, as a thread sees only its own queue's focus.
#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "processes/ProcessTable.h"
#include "user/WindowTable.h"
#include "windows.h"

using namespace winsim;

namespace
{

HWND ToHwnd(uint32_t value)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

uint32_t HandleValue(HWND hwnd)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
}

} // namespace

HWND WINAPI GetForegroundWindow(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    WINSIM_API_CALL();
    ProcessTable::Of(*rt).PruneWindows();
    return ToHwnd(WindowTable(rt->GetMachine().GetStore()).Foreground());
}

BOOL WINAPI SetForegroundWindow(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    ProcessTable::Of(*rt).PruneWindows();
    WindowTable windows(store);
    WindowRow row;
    if (!windows.Find(HandleValue(hWnd), row))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The window's top-level window comes to the front and takes the focus.
    const uint32_t top = windows.TopLevelOf(row.hwnd);
    windows.BringToTop(top);
    windows.SetForeground(top);
    windows.SetFocus(top);
    Journal::Record("window", "foreground", row.title);
    txn.Commit();
    return TRUE;
}

HWND WINAPI GetFocus(void)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return nullptr;
    }
    WINSIM_API_CALL();
    ProcessTable::Of(*rt).PruneWindows();
    WindowTable windows(rt->GetMachine().GetStore());
    WindowRow row;
    if (!windows.Find(windows.Focus(), row) || row.pid != rt->Pid())
        return nullptr;
    return ToHwnd(row.hwnd);
}

HWND WINAPI SetFocus(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    ProcessTable::Of(*rt).PruneWindows();
    WindowTable windows(store);
    WindowRow previous;
    const bool hadFocus = windows.Find(windows.Focus(), previous) && previous.pid == rt->Pid();
    if (hWnd)
    {
        WindowRow row;
        if (!windows.Find(HandleValue(hWnd), row))
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // A window of another program cannot take this program's focus.
        if (row.pid != rt->Pid())
            return nullptr;
        // Focusing a window activates its top-level window.
        const uint32_t top = windows.TopLevelOf(row.hwnd);
        windows.SetForeground(top);
        windows.BringToTop(top);
    }
    windows.SetFocus(HandleValue(hWnd));
    txn.Commit();
    return hadFocus ? ToHwnd(previous.hwnd) : nullptr;
}
