// GDI32: drawing device-independent bitmaps (a BMP file's pixels) into a device context, stretched.
// Stretching picks the nearest source pixel whatever the stretch mode; the mode is kept for the caller.
#include <cstdlib>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/DibPixels.h"
#include "gdi/GdiObjects.h"
#include "windows.h"

using namespace winsim;

int WINAPI SetStretchBltMode(HDC hdc, int mode)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (mode < BLACKONWHITE || mode > HALFTONE)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int previous = 0;
    if (!GdiObjects::Instance().WithDc(hdc,
                                       [&](DeviceContext& dc)
                                       {
                                           previous = dc.stretchMode;
                                           dc.stretchMode = mode;
                                       }))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return previous;
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc, int SrcWidth,
                         int SrcHeight, const VOID* lpBits, const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    const DibPixels dib(lpbmi, lpBits);
    if (!dib.Ok() || iUsage != DIB_RGB_COLORS || rop != SRCCOPY)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (DestWidth == 0 || DestHeight == 0 || SrcWidth <= 0 || SrcHeight <= 0)
        return 0;
    // The source rectangle's origin is the bitmap's: the lower-left corner of a bottom-up one.
    const int srcTop = dib.BottomUp() ? dib.Height() - ySrc - SrcHeight : ySrc;
    const int width = std::abs(DestWidth);
    const int height = std::abs(DestHeight);
    const bool found = GdiObjects::Instance().WithDc(
        hdc,
        [&](DeviceContext& dc)
        {
            // A memory context without a bitmap draws into nothing, as into the platform's 1 x 1 stock one.
            if (!dc.target)
                return;
            for (int row = 0; row < height; ++row)
            {
                // A negative destination size mirrors the picture.
                const int y = DestHeight > 0 ? yDest + row : yDest - 1 - row;
                const int fromY = srcTop + static_cast<int>(static_cast<long long>(row) * SrcHeight / height);
                for (int col = 0; col < width; ++col)
                {
                    const int x = DestWidth > 0 ? xDest + col : xDest - 1 - col;
                    const int fromX = xSrc + static_cast<int>(static_cast<long long>(col) * SrcWidth / width);
                    if (fromX < 0 || fromY < 0 || fromX >= dib.Width() || fromY >= dib.Height())
                        continue;
                    dc.target->Set(dc.originX + x, dc.originY + y, dib.At(fromX, fromY), dc.clip);
                }
            }
        });
    if (!found)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return SrcHeight;
}
