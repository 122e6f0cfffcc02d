// USER32 painting: update requests (InvalidateRect, UpdateWindow), the paint cycle (BeginPaint erases the
// background through WM_ERASEBKGND, EndPaint), window device contexts, and the drawing calls USER32 owns
// (FillRect, FrameRect, DrawTextA with the built-in font, DrawIcon).
#include <string>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/GdiDraw.h"
#include "gdi/GdiObjects.h"
#include "user/MessageQueues.h"
#include "user/ScreenPublisher.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "windows.h"

using namespace winsim;

namespace
{

// A context over the window's client area in its top-level window's pixels; nullptr for no such window.
HDC WindowDc(Runtime& rt, HWND hwnd)
{
    DeviceContext dc;
    dc.window = hwnd;
    if (!UserWindows::Of(rt).ClientInSurface(hwnd, dc.originX, dc.originY, dc.clip, dc.target))
        return nullptr;
    dc.brush = GdiObjects::Instance().Stock(WHITE_BRUSH);
    dc.pen = GdiObjects::Instance().Stock(BLACK_PEN);
    return GdiObjects::Instance().AddDc(dc);
}

bool BrushColour(HBRUSH brush, uint32_t& rgb)
{
    // A system colour index plus one stands for its brush, as in a class's background.
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value > 0 && value <= 31)
    {
        rgb = PixelOf(GetSysColor(static_cast<int>(value - 1)));
        return true;
    }
    GdiObject object;
    if (!GdiObjects::Instance().Find(brush, object) || object.kind != GdiKind::Brush)
        return false;
    if (object.hollow)
        return false;
    rgb = object.rgb;
    return true;
}

PixelRect FromRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

} // namespace

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* /*lpRect*/, BOOL /*bErase*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowState state;
    if (!UserWindows::Of(*rt).Find(hWnd, state))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    MessageQueues::Of(*rt).Invalidate(*rt, state.tid, hWnd);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowState state;
    if (!UserWindows::Of(*rt).Find(hWnd, state))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A window with something to paint is painted now, through its procedure.
    if (MessageQueues::Of(*rt).Validate(*rt, state.tid, hWnd))
        SendMessageA(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN /*hrgnUpdate*/, UINT flags)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if ((flags & RDW_INVALIDATE) && !InvalidateRect(hWnd, lprcUpdate, (flags & RDW_ERASE) != 0))
        return FALSE;
    if (flags & RDW_UPDATENOW)
        return UpdateWindow(hWnd);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    WindowState state;
    if (!lpPaint || !UserWindows::Of(*rt).Find(hWnd, state))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    MessageQueues::Of(*rt).Validate(*rt, state.tid, hWnd);
    *lpPaint = PAINTSTRUCT{};
    HDC hdc = WindowDc(*rt, hWnd);
    if (!hdc)
        return nullptr;
    PixelRect client;
    UserWindows::Of(*rt).ClientRect(hWnd, client);
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = RECT{client.left, client.top, client.right, client.bottom};
    lpPaint->fErase = SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint)
{
    Runtime* rt = Runtime::Current();
    if (!rt || !lpPaint)
        return FALSE;
    WINSIM_API_CALL();
    (void)hWnd;
    GdiObjects::Instance().DeleteDc(lpPaint->hdc);
    ScreenPublisher::Touch();
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    HDC hdc = hWnd ? WindowDc(*rt, hWnd) : nullptr;
    if (!hdc)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return hdc;
}

int WINAPI ReleaseDC(HWND /*hWnd*/, HDC hDC)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    ScreenPublisher::Touch();
    return GdiObjects::Instance().DeleteDc(hDC) ? 1 : 0;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    uint32_t rgb = 0;
    if (!lprc || !BrushColour(hbr, rgb) || !GdiDraw::Fill(hDC, FromRect(*lprc), rgb))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return 1;
}

int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    uint32_t rgb = 0;
    if (!lprc || !BrushColour(hbr, rgb) || !GdiDraw::Frame(hDC, FromRect(*lprc), rgb))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return 1;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!lpchText || !lprc)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string text = cchText < 0 ? std::string(lpchText) : std::string(lpchText, static_cast<size_t>(cchText));
    uint32_t rgb = 0;
    if (!GdiObjects::Instance().WithDc(hdc, [&](DeviceContext& dc) { rgb = dc.textRgb; }))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    PixelRect rect = FromRect(*lprc);
    const int height = GdiDraw::Text(hdc, rect, text, format, rgb);
    if (format & DT_CALCRECT)
        *lprc = RECT{rect.left, rect.top, rect.right, rect.bottom};
    return height;
}

BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!hIcon)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Every icon looks the same: the built-in art of a monitor.
    return GdiDraw::Fill(hDC, {X + 2, Y + 3, X + 30, Y + 23}, 0x404040) &&
                   GdiDraw::Fill(hDC, {X + 4, Y + 5, X + 28, Y + 21}, 0x3A6EA5)
               ? TRUE
               : FALSE;
}
