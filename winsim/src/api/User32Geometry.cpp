// USER32 window geometry and the system's measures: moving and sizing windows, client and window
// rectangles, enabling, the screen (1024 x 768), system colours (the Windows classic scheme) and icons.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/GdiObjects.h"
#include "user/ScreenPublisher.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "windows.h"

using namespace winsim;

namespace
{

void ToRect(const PixelRect& from, LPRECT to)
{
    to->left = from.left;
    to->top = from.top;
    to->right = from.right;
    to->bottom = from.bottom;
}

bool Place(Runtime& rt, HWND hwnd, int x, int y, int cx, int cy, bool move, bool size)
{
    WindowState before;
    if (!UserWindows::Of(rt).Find(hwnd, before))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    PixelRect rect = before.rect;
    if (move)
        rect = rect.Offset(x - rect.left, y - rect.top);
    if (size)
    {
        rect.right = rect.left + std::clamp(cx, 0, 8192);
        rect.bottom = rect.top + std::clamp(cy, 0, 8192);
    }
    UserWindows::Of(rt).Update(hwnd,
                               [&](WindowState& state)
                               {
                                   state.rect = rect;
                                   if (state.surface)
                                       state.surface->Resize(rect.Width(), rect.Height(), 0xD4D0C8);
                               });
    if (size)
        SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(std::max(0, rect.Width()), std::max(0, rect.Height())));
    if (!before.parent)
        WindowCalls::PaintFrame(rt, hwnd);
    WindowCalls::InvalidateTree(rt, hwnd);
    ScreenPublisher::Touch();
    return true;
}

// Where the window's client area starts on the screen.
bool ClientOrigin(Runtime& rt, HWND hwnd, int& x, int& y)
{
    x = 0;
    y = 0;
    for (HWND at = hwnd; at;)
    {
        WindowState state;
        if (!UserWindows::Of(rt).Find(at, state))
            return false;
        int frame = 0;
        int caption = 0;
        UserWindows::FrameOf(state.style, frame, caption);
        x += state.rect.left + frame;
        y += state.rect.top + frame + caption;
        at = state.parent;
    }
    return true;
}

// Moves a point by the window's client origin: +1 from client to screen coordinates, -1 back.
BOOL ShiftByClientOrigin(Runtime& rt, HWND hwnd, LPPOINT point, int direction)
{
    int x = 0;
    int y = 0;
    if (!point || !ClientOrigin(rt, hwnd, x, y))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x += direction * x;
    point->y += direction * y;
    return TRUE;
}

} // namespace

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL /*bRepaint*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return Place(*rt, hWnd, X, Y, nWidth, nHeight, true, true) ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND /*hWndInsertAfter*/, int X, int Y, int cx, int cy, UINT uFlags)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!Place(*rt, hWnd, X, Y, cx, cy, !(uFlags & SWP_NOMOVE), !(uFlags & SWP_NOSIZE)))
        return FALSE;
    if (uFlags & SWP_SHOWWINDOW)
        ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    PixelRect client;
    if (!lpRect || !UserWindows::Of(*rt).ClientRect(hWnd, client))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    ToRect(client, lpRect);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowState state;
    if (!lpRect || !UserWindows::Of(*rt).Find(hWnd, state))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // Screen coordinates: a child's rectangle is offset by each client origin above it.
    PixelRect rect = state.rect;
    for (HWND parent = state.parent; parent;)
    {
        WindowState above;
        if (!UserWindows::Of(*rt).Find(parent, above))
            break;
        int frame = 0;
        int caption = 0;
        UserWindows::FrameOf(above.style, frame, caption);
        rect = rect.Offset(above.rect.left + frame, above.rect.top + frame + caption);
        parent = above.parent;
    }
    ToRect(rect, lpRect);
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return ShiftByClientOrigin(*rt, hWnd, lpPoint, 1);
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    return ShiftByClientOrigin(*rt, hWnd, lpPoint, -1);
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    bool wasDisabled = false;
    if (!UserWindows::Of(*rt).Update(hWnd,
                                     [&](WindowState& state)
                                     {
                                         wasDisabled = (state.style & WS_DISABLED) != 0;
                                         state.style =
                                             bEnable ? (state.style & ~WS_DISABLED) : (state.style | WS_DISABLED);
                                     }))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return wasDisabled ? TRUE : FALSE;
}

int WINAPI GetSystemMetrics(int nIndex)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    switch (nIndex)
    {
    case SM_CXSCREEN:
        return 1024;
    case SM_CYSCREEN:
        return 768;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CYCAPTION:
        return 18;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

DWORD WINAPI GetSysColor(int nIndex)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    switch (nIndex)
    {
    case COLOR_BACKGROUND:
        return RGB(58, 110, 165);
    case COLOR_ACTIVECAPTION:
        return RGB(10, 36, 106);
    case COLOR_WINDOW:
    case COLOR_CAPTIONTEXT:
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_HIGHLIGHT:
        return RGB(10, 36, 106);
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
        return RGB(212, 208, 200);
    case COLOR_BTNSHADOW:
        return RGB(128, 128, 128);
    case COLOR_3DDKSHADOW:
        return RGB(64, 64, 64);
    default:
        return RGB(0, 0, 0);
    }
}

HBRUSH WINAPI GetSysColorBrush(int nIndex)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    // One brush per colour for the life of the process, never to be deleted.
    static std::map<int, HBRUSH> brushes;
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = brushes.find(nIndex);
    if (it != brushes.end())
        return it->second;
    GdiObject brush;
    brush.kind = GdiKind::Brush;
    brush.rgb = PixelOf(GetSysColor(nIndex));
    brush.stock = true;
    return brushes[nIndex] = GdiObjects::Instance().Add(brush);
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    // A program's icon must be among its resources; the system's icons always exist.
    if (hInstance && !FindResourceA(reinterpret_cast<HMODULE>(hInstance), lpIconName, RT_GROUP_ICON))
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const uintptr_t id = IS_INTRESOURCE(lpIconName) ? reinterpret_cast<uintptr_t>(lpIconName) : 0x7F00;
    return reinterpret_cast<HICON>(0x00100000 + id);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE /*hInstance*/, LPCSTR lpCursorName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    const uintptr_t id = IS_INTRESOURCE(lpCursorName) ? reinterpret_cast<uintptr_t>(lpCursorName) : 0x7F00;
    return reinterpret_cast<HCURSOR>(0x00200000 + id);
}
