// USER32 windows of the machine's window table: creating and destroying the program's own windows, and
// what any program may ask of any window (title, class, owner, visibility). Windows of processes that
// have ended are pruned first, so they are gone for every caller.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "kernel/CurrentThread.h"
#include "processes/ProcessTable.h"
#include "user/DialogCreation.h"
#include "user/MessageQueues.h"
#include "user/ScreenPublisher.h"
#include "user/SystemClasses.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
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

// The window and every window below it, the window first.
std::vector<HWND> WindowsBelow(Runtime& rt, HWND hwnd)
{
    std::vector<HWND> all{hwnd};
    for (size_t i = 0; i < all.size(); ++i)
    {
        for (HWND child : UserWindows::Of(rt).Children(all[i]))
            all.push_back(child);
    }
    return all;
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

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
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
    window.title = lpWindowName && !IS_INTRESOURCE(lpWindowName) ? lpWindowName : "";
    window.style = dwStyle;
    window.visible = (dwStyle & WS_VISIBLE) != 0;
    // A class the process registered, or a system class, gives the window its procedure; a window of any
    // other class name is a bare window that only the default procedure answers.
    WindowClass windowClass;
    const bool hasClass = UserWindows::Of(*rt).FindClass(window.className, windowClass) ||
                          SystemClasses::Find(window.className, windowClass);
    if (hasClass)
        window.className = windowClass.name;
    uint32_t hwnd = 0;
    {
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
        hwnd = windows.Create(window);
        if (hwnd == 0)
        {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        Journal::Record("window", "create", window.title, window.className + " " + HexOf(hwnd));
        txn.Commit();
    }
    HWND handle = ToHwnd(hwnd);
    WindowState state;
    state.hwnd = handle;
    state.tid = window.tid;
    state.parent = window.parent ? hWndParent : nullptr;
    state.className = window.className;
    state.proc = hasClass ? windowClass.proc : nullptr;
    state.style = dwStyle;
    state.exStyle = dwExStyle;
    state.id = (dwStyle & WS_CHILD) ? static_cast<int>(reinterpret_cast<uintptr_t>(hMenu)) : 0;
    state.instance = hInstance;
    state.text = window.title;
    const int x = X == CW_USEDEFAULT ? 100 : X;
    const int y = Y == CW_USEDEFAULT ? 100 : Y;
    const int width = std::clamp(nWidth == CW_USEDEFAULT ? 400 : nWidth, 0, 8192);
    const int height = std::clamp(nHeight == CW_USEDEFAULT ? 300 : nHeight, 0, 8192);
    state.rect = {x, y, x + width, y + height};
    if (!state.parent)
        state.surface = std::make_shared<Surface>(width, height, 0xD4D0C8);
    DialogCreation::Apply(state);
    UserWindows::Of(*rt).Add(state);

    CREATESTRUCTA create{
        lpParam,      hInstance,   hMenu,    hWndParent, height, width, y, x, static_cast<LONG>(dwStyle),
        lpWindowName, lpClassName, dwExStyle};
    // WM_NCCREATE answers FALSE, or WM_CREATE -1, to refuse the window.
    LRESULT accepted = TRUE;
    LRESULT created = 0;
    if (WindowCalls::Send(*rt, handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create), accepted) && accepted)
        WindowCalls::Send(*rt, handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create), created);
    if (!accepted || created == -1)
    {
        DestroyWindow(handle);
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (!state.parent)
        WindowCalls::PaintFrame(*rt, handle);
    if (window.visible)
        WindowCalls::InvalidateTree(*rt, handle);
    ScreenPublisher::Touch();
    return handle;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    Store& store = rt->GetMachine().GetStore();
    WindowRow row;
    {
        Transaction txn(store);
        if (!Lookup(*rt, hWnd, row))
            return FALSE;
        // Only the program that made a window may destroy it.
        if (row.pid != rt->Pid())
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        txn.Commit();
    }
    // No store lock is held while window procedures run: they may wait for other threads. The window and its children
    // hear of it first, while they still exist.
    const std::vector<HWND> gone = WindowsBelow(*rt, hWnd);
    for (HWND window : gone)
    {
        LRESULT ignored = 0;
        WindowCalls::Send(*rt, window, WM_DESTROY, 0, 0, ignored);
    }
    {
        Transaction again(store);
        WindowTable(store).Destroy(row.hwnd);
        Journal::Record("window", "destroy", row.title, row.className + " " + HexOf(row.hwnd));
        again.Commit();
    }
    for (HWND window : gone)
    {
        WindowState state;
        if (UserWindows::Of(*rt).Find(window, state))
        {
            LRESULT ignored = 0;
            WindowCalls::Send(*rt, window, WM_NCDESTROY, 0, 0, ignored);
            MessageQueues::Of(*rt).Forget(*rt, state.tid, window);
            UserWindows::Of(*rt).Remove(window);
        }
    }
    ScreenPublisher::Touch();
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
    WindowRow row;
    const bool show = nCmdShow != SW_HIDE;
    {
        Transaction txn(store);
        if (!Lookup(*rt, hWnd, row))
            return FALSE;
        WindowTable windows(store);
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
    }
    // The clock's lock (paint requests) is never taken under the store's.
    UserWindows::Of(*rt).Update(hWnd, [&](WindowState& state)
                                { state.style = show ? (state.style | WS_VISIBLE) : (state.style & ~WS_VISIBLE); });
    if (show && !row.visible)
        WindowCalls::InvalidateTree(*rt, hWnd);
    // A control that goes leaves its parent's background where it was.
    if (!show && row.visible && !row.IsTopLevel())
    {
        WindowState state;
        if (UserWindows::Of(*rt).Find(hWnd, state) && state.parent)
            WindowCalls::InvalidateTree(*rt, state.parent);
    }
    ScreenPublisher::Touch();
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
    LRESULT result = 0;
    if (WindowCalls::Send(*rt, hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : ""), result))
        return result ? TRUE : FALSE;
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
