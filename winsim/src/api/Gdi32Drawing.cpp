// GDI32: memory device contexts and bitmaps, brushes and pens, and drawing into real pixels. A window's
// device context (GetDC, BeginPaint) draws into its top-level window's pixels; a memory context into the
// bitmap selected into it (none at first: drawing then does nothing, as into Windows' 1 x 1 stock bitmap).
#include <memory>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/GdiDraw.h"
#include "gdi/GdiObjects.h"
#include "windows.h"

using namespace winsim;

namespace
{

GdiObjects& Objects()
{
    return GdiObjects::Instance();
}

// Sets one of the device context's colours; the colour it had, or CLR_INVALID for no device context.
COLORREF ReplaceColor(HDC hdc, uint32_t DeviceContext::*field, COLORREF color)
{
    COLORREF previous = CLR_INVALID;
    Objects().WithDc(hdc,
                     [&](DeviceContext& dc)
                     {
                         previous = ColorRefOf(dc.*field);
                         dc.*field = PixelOf(color);
                     });
    return previous;
}

} // namespace

HDC WINAPI CreateCompatibleDC(HDC hdc)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    (void)hdc;
    DeviceContext dc;
    dc.memory = true;
    dc.brush = Objects().Stock(WHITE_BRUSH);
    dc.pen = Objects().Stock(BLACK_PEN);
    return Objects().AddDc(dc);
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!Objects().DeleteDc(hdc))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    if (!Objects().WithDc(hdc, [](DeviceContext&) {}) || cx < 0 || cy < 0 || cx > 16384 || cy > 16384)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    GdiObject bitmap;
    bitmap.kind = GdiKind::Bitmap;
    bitmap.bitmap = std::make_shared<Surface>(cx, cy, 0);
    return Objects().Add(bitmap);
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    GdiObject brush;
    brush.kind = GdiKind::Brush;
    brush.rgb = PixelOf(color);
    return Objects().Add(brush);
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    (void)cWidth;
    GdiObject pen;
    pen.kind = GdiKind::Pen;
    pen.rgb = PixelOf(color);
    pen.hollow = iStyle == PS_NULL;
    return Objects().Add(pen);
}

HGDIOBJ WINAPI GetStockObject(int i)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    return Objects().Stock(i);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    GdiObject object;
    if (!Objects().Find(h, object))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    HGDIOBJ previous = nullptr;
    const bool found = Objects().WithDc(hdc,
                                        [&](DeviceContext& dc)
                                        {
                                            switch (object.kind)
                                            {
                                            case GdiKind::Brush:
                                                previous = dc.brush;
                                                dc.brush = h;
                                                break;
                                            case GdiKind::Pen:
                                                previous = dc.pen;
                                                dc.pen = h;
                                                break;
                                            case GdiKind::Font:
                                                previous = dc.font;
                                                dc.font = h;
                                                break;
                                            case GdiKind::Bitmap:
                                                // Only a memory context takes a bitmap.
                                                if (!dc.memory)
                                                    return;
                                                previous = dc.bitmap;
                                                dc.bitmap = h;
                                                dc.target = object.bitmap;
                                                dc.clip = object.bitmap->Bounds();
                                                break;
                                            }
                                        });
    if (!found)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The first bitmap selected replaces the context's stock one: hand back a stock object to restore.
    if (!previous)
        previous = Objects().Stock(object.kind == GdiKind::Font ? DEFAULT_GUI_FONT : NULL_BRUSH);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!Objects().Delete(ho))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    HGDIOBJ brushHandle = nullptr;
    HGDIOBJ penHandle = nullptr;
    if (!Objects().WithDc(hdc,
                          [&](DeviceContext& dc)
                          {
                              brushHandle = dc.brush;
                              penHandle = dc.pen;
                          }))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    GdiObject brush;
    GdiObject pen;
    const PixelRect rect{left, top, right, bottom};
    if (Objects().Find(brushHandle, brush) && !brush.hollow)
        GdiDraw::Fill(hdc, rect, brush.rgb);
    if (Objects().Find(penHandle, pen) && !pen.hollow)
        GdiDraw::Frame(hdc, rect, pen.rgb);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (rop != SRCCOPY)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DeviceContext source;
    if (!Objects().WithDc(hdcSrc, [&](DeviceContext& dc) { source = dc; }))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const bool found = Objects().WithDc(hdc,
                                        [&](DeviceContext& dc)
                                        {
                                            if (!dc.target || !source.target)
                                                return;
                                            if (dc.target == source.target)
                                            {
                                                // Copying within one surface: go through a copy of it.
                                                const Surface copy = *source.target;
                                                dc.target->Copy(dc.originX + x, dc.originY + y, cx, cy, copy,
                                                                source.originX + x1, source.originY + y1, dc.clip);
                                                return;
                                            }
                                            dc.target->Copy(dc.originX + x, dc.originY + y, cx, cy, *source.target,
                                                            source.originX + x1, source.originY + y1, dc.clip);
                                        });
    if (!found)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, CLR_INVALID);
    return ReplaceColor(hdc, &DeviceContext::textRgb, color);
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, CLR_INVALID);
    return ReplaceColor(hdc, &DeviceContext::backRgb, color);
}

int WINAPI SetBkMode(HDC hdc, int mode)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    int previous = 0;
    Objects().WithDc(hdc,
                     [&](DeviceContext& dc)
                     {
                         previous = dc.backMode;
                         dc.backMode = mode;
                     });
    return previous;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, CLR_INVALID);
    COLORREF result = CLR_INVALID;
    Objects().WithDc(hdc,
                     [&](DeviceContext& dc)
                     {
                         if (!dc.target)
                             return;
                         dc.target->Set(dc.originX + x, dc.originY + y, PixelOf(color), dc.clip);
                         result = color;
                     });
    return result;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, CLR_INVALID);
    COLORREF result = CLR_INVALID;
    Objects().WithDc(hdc,
                     [&](DeviceContext& dc)
                     {
                         const int px = dc.originX + x;
                         const int py = dc.originY + y;
                         if (dc.target && px >= dc.clip.left && px < dc.clip.right && py >= dc.clip.top &&
                             py < dc.clip.bottom)
                             result = ColorRefOf(dc.target->Get(px, py));
                     });
    return result;
}
