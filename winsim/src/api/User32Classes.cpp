// USER32 window classes and window procedures: classes a program registers (its process's own), the
// system classes, the default procedure, and the window words (procedure, user data, dialog words).
#include <atomic>
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "user/SystemClasses.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "windows.h"

using namespace winsim;

namespace
{

std::string ClassNameOf(LPCSTR name)
{
    const auto value = reinterpret_cast<uintptr_t>(name);
    if ((value >> 16) == 0)
        return "#" + std::to_string(value);
    return name;
}

std::atomic<ATOM> g_nextAtom{0xC000};

ATOM Register(Runtime& rt, const WNDCLASSEXA& wc)
{
    if (!wc.lpszClassName || (!IS_INTRESOURCE(wc.lpszClassName) && !*wc.lpszClassName) || !wc.lpfnWndProc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowClass windowClass;
    windowClass.name = ClassNameOf(wc.lpszClassName);
    windowClass.proc = wc.lpfnWndProc;
    windowClass.style = wc.style;
    windowClass.cbWndExtra = wc.cbWndExtra;
    windowClass.instance = wc.hInstance;
    windowClass.icon = wc.hIcon;
    windowClass.cursor = wc.hCursor;
    windowClass.background = wc.hbrBackground;
    if (!UserWindows::Of(rt).RegisterClass(windowClass))
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    return ++g_nextAtom;
}

bool Lookup(Runtime& rt, LPCSTR name, WindowClass& windowClass)
{
    if (!name)
        return false;
    const std::string className = ClassNameOf(name);
    return UserWindows::Of(rt).FindClass(className, windowClass) || SystemClasses::Find(className, windowClass);
}

} // namespace

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpWndClass)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA wc{sizeof(WNDCLASSEXA),      lpWndClass->style,         lpWndClass->lpfnWndProc,
                   lpWndClass->cbClsExtra,   lpWndClass->cbWndExtra,    lpWndClass->hInstance,
                   lpWndClass->hIcon,        lpWndClass->hCursor,       lpWndClass->hbrBackground,
                   lpWndClass->lpszMenuName, lpWndClass->lpszClassName, nullptr};
    return Register(*rt, wc);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* lpWndClass)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpWndClass || lpWndClass->cbSize != sizeof(WNDCLASSEXA))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(*rt, *lpWndClass);
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE /*hInstance*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpClassName || !UserWindows::Of(*rt).UnregisterClass(ClassNameOf(lpClassName)))
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI GetClassInfoExA(HINSTANCE /*hInstance*/, LPCSTR lpszClass, LPWNDCLASSEXA lpwcx)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowClass windowClass;
    if (!lpwcx || !Lookup(*rt, lpszClass, windowClass))
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    lpwcx->style = windowClass.style;
    lpwcx->lpfnWndProc = windowClass.proc;
    lpwcx->cbClsExtra = 0;
    lpwcx->cbWndExtra = windowClass.cbWndExtra;
    lpwcx->hInstance = windowClass.instance;
    lpwcx->hIcon = windowClass.icon;
    lpwcx->hCursor = windowClass.cursor;
    lpwcx->hbrBackground = windowClass.background;
    lpwcx->lpszMenuName = nullptr;
    lpwcx->lpszClassName = lpszClass;
    lpwcx->hIconSm = nullptr;
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA lpWndClass)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowClass windowClass;
    if (!lpWndClass || !Lookup(*rt, lpClassName, windowClass))
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    (void)hInstance;
    *lpWndClass = WNDCLASSA{windowClass.style,
                            windowClass.proc,
                            0,
                            windowClass.cbWndExtra,
                            windowClass.instance,
                            windowClass.icon,
                            windowClass.cursor,
                            windowClass.background,
                            nullptr,
                            lpClassName};
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    return WindowCalls::Default(*rt, hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Runtime* rt = Runtime::Current();
    if (!rt || !lpPrevWndFunc)
        return 0;
    WINSIM_API_CALL();
    return WindowCalls::Call(lpPrevWndFunc, hWnd, Msg, wParam, lParam);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowState state;
    if (!UserWindows::Of(*rt).Find(hWnd, state))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex)
    {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(state.proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(state.instance);
    case GWLP_ID:
        return state.id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(state.style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(state.exStyle);
    case GWLP_USERDATA:
        return state.userData;
    default:
        break;
    }
    if (state.dialog)
    {
        if (nIndex == DWLP_MSGRESULT)
            return state.msgResult;
        if (nIndex == DWLP_USER)
            return state.dlgUser;
        if (nIndex == DWLP_DLGPROC)
            return reinterpret_cast<LONG_PTR>(state.dlgProc);
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    LONG_PTR previous = 0;
    bool valid = true;
    const bool found = UserWindows::Of(*rt).Update(hWnd,
                                                   [&](WindowState& state)
                                                   {
                                                       switch (nIndex)
                                                       {
                                                       case GWLP_WNDPROC:
                                                           previous = reinterpret_cast<LONG_PTR>(state.proc);
                                                           state.proc = reinterpret_cast<WNDPROC>(dwNewLong);
                                                           return;
                                                       case GWLP_ID:
                                                           previous = state.id;
                                                           state.id = static_cast<int>(dwNewLong);
                                                           return;
                                                       case GWL_STYLE:
                                                           previous = static_cast<LONG_PTR>(state.style);
                                                           state.style = static_cast<DWORD>(dwNewLong);
                                                           return;
                                                       case GWL_EXSTYLE:
                                                           previous = static_cast<LONG_PTR>(state.exStyle);
                                                           state.exStyle = static_cast<DWORD>(dwNewLong);
                                                           return;
                                                       case GWLP_USERDATA:
                                                           previous = state.userData;
                                                           state.userData = dwNewLong;
                                                           return;
                                                       default:
                                                           break;
                                                       }
                                                       if (state.dialog && nIndex == DWLP_MSGRESULT)
                                                       {
                                                           previous = state.msgResult;
                                                           state.msgResult = dwNewLong;
                                                       }
                                                       else if (state.dialog && nIndex == DWLP_USER)
                                                       {
                                                           previous = state.dlgUser;
                                                           state.dlgUser = dwNewLong;
                                                       }
                                                       else if (state.dialog && nIndex == DWLP_DLGPROC)
                                                       {
                                                           previous = reinterpret_cast<LONG_PTR>(state.dlgProc);
                                                           state.dlgProc = reinterpret_cast<DLGPROC>(dwNewLong);
                                                       }
                                                       else
                                                           valid = false;
                                                   });
    if (!found || !valid)
    {
        SetLastError(found ? ERROR_INVALID_INDEX : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return previous;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}
