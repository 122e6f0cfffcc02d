// USER32 windows of the machine's window table: creating and destroying the program's own windows, and
// what any program may ask of any window (title, class, owner, visibility). Windows of processes that
// have ended are pruned first, so they are gone for every caller.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "processes/ProcessTable.h"
#include "user/WindowTable.h"
#include "windows.h"

using namespace winsim;

namespace
{

uint32_t HandleValue(HWND hwnd)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd));
}

HWND ToHwnd(uint32_t value)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

std::string HexOf(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", value);
    return text;
}

// The window behind a handle after pruning ended processes' windows; false (ERROR_INVALID_WINDOW_HANDLE)
// when there is none.
bool Lookup(Runtime& rt, HWND hwnd, WindowRow& row)
{
    ProcessTable::Of(rt).PruneWindows();
    if (WindowTable(rt.GetMachine().GetStore()).Find(HandleValue(hwnd), row))
        return true;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

// A class given as an atom (an integer below 0x10000) is known by its number, as "#32770" for dialogs.
std::string ClassNameOf(LPCSTR lpClassName)
{
    const auto value = reinterpret_cast<uintptr_t>(lpClassName);
    if ((value >> 16) == 0)
        return "#" + std::to_string(value);
    return lpClassName;
}

int CopyText(const std::string& text, LPSTR buffer, int size)
{
    if (!buffer || size <= 0)
        return 0;
    const size_t copied = std::min<size_t>(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

} // namespace

HWND WINAPI CreateWindowExA(DWORD /*dwExStyle*/, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int /*X*/,
                            int /*Y*/, int /*nWidth*/, int /*nHeight*/, HWND hWndParent, HMENU /*hMenu*/,
                            HINSTANCE /*hInstance*/, LPVOID /*lpParam*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (!lpClassName || (reinterpret_cast<uintptr_t>(lpClassName) >> 16 != 0 && !*lpClassName))
    {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    WindowRow window;
    window.pid = rt->Pid();
    window.tid = CurrentThread::Id(*rt);
    window.className = ClassNameOf(lpClassName);
    window.title = lpWindowName ? lpWindowName : "";
    window.style = dwStyle;
    window.visible = (dwStyle & WS_VISIBLE) != 0;
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    WindowTable windows(store);
    if (hWndParent)
    {
        WindowRow parent;
        if (!Lookup(*rt, hWndParent, parent))
            return nullptr;
        // A child lives inside its parent; any other window is owned by its parent's top-level window.
        if (dwStyle & WS_CHILD)
            window.parent = parent.hwnd;
        else
            window.owner = windows.TopLevelOf(parent.hwnd);
    }
    else if (dwStyle & WS_CHILD)
    {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    const uint32_t hwnd = windows.Create(window);
    if (hwnd == 0)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Journal::Record("window", "create", window.title, window.className + " " + HexOf(hwnd));
    txn.Commit();
    return ToHwnd(hwnd);
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return FALSE;
    // Only the program that made a window may destroy it.
    if (row.pid != rt->Pid())
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    WindowTable(store).Destroy(row.hwnd);
    Journal::Record("window", "destroy", row.title, row.className + " " + HexOf(row.hwnd));
    txn.Commit();
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    WINSIM_API_CALL();
    WindowRow row;
    return Lookup(*rt, hWnd, row) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    WINSIM_API_CALL();
    // Visible only when it and every window it lies in are.
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return FALSE;
    WindowTable windows(rt->GetMachine().GetStore());
    while (row.visible)
    {
        if (row.IsTopLevel())
            return TRUE;
        if (!windows.Find(row.parent, row))
            return FALSE;
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    WINSIM_API_CALL();
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return FALSE;
    WindowTable windows(store);
    const bool show = nCmdShow != SW_HIDE;
    windows.SetVisible(row.hwnd, show);
    // Showing a top-level window activates it, unless asked not to.
    const bool activate = nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                          nCmdShow != SW_SHOWMINNOACTIVE && nCmdShow != SW_MINIMIZE;
    if (row.IsTopLevel() && activate)
    {
        windows.BringToTop(row.hwnd);
        windows.SetForeground(row.hwnd);
    }
    if (show != row.visible)
        Journal::Record("window", show ? "show" : "hide", row.title, HexOf(row.hwnd));
    txn.Commit();
    return row.visible ? TRUE : FALSE;
}

HWND WINAPI GetParent(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return nullptr;
    // A child's parent; for a top-level window, its owner if it is a pop-up.
    if (!row.IsTopLevel())
        return ToHwnd(row.parent);
    return (row.style & WS_POPUP) ? ToHwnd(row.owner) : nullptr;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
    {
        if (lpString && nMaxCount > 0)
            lpString[0] = '\0';
        return 0;
    }
    return CopyText(row.title, lpString, nMaxCount);
}

int WINAPI GetWindowTextLengthA(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowRow row;
    return Lookup(*rt, hWnd, row) ? static_cast<int>(row.title.size()) : 0;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Store& store = rt->GetMachine().GetStore();
    Transaction txn(store);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return FALSE;
    const std::string title = lpString ? lpString : "";
    WindowTable(store).SetTitle(row.hwnd, title);
    Journal::Record("window", "title", title, HexOf(row.hwnd));
    txn.Commit();
    return TRUE;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return 0;
    if (!lpClassName || nMaxCount <= 0)
    {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return CopyText(row.className, lpClassName, nMaxCount);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowRow row;
    if (!Lookup(*rt, hWnd, row))
        return 0;
    if (lpdwProcessId)
        *lpdwProcessId = row.pid;
    return row.tid;
}
