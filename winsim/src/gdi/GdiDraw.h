// Drawing on a device context in its own coordinates: what FillRect, Rectangle, DrawTextA and the system
// controls' painting come down to. Each call clips to the context; false for no such context.
#pragma once

#include <string>

#include "Surface.h"
#include "windows.h"

namespace winsim
{

class GdiDraw
{
public:
    static bool Fill(HDC hdc, const PixelRect& rect, uint32_t rgb);
    // A one-pixel frame.
    static bool Frame(HDC hdc, const PixelRect& rect, uint32_t rgb);
    // A raised (or sunken) 3-D edge two pixels wide, as buttons and client edges have.
    static bool Edge(HDC hdc, const PixelRect& rect, bool sunken);
    // Text in the built-in font within `rect` (DT_ flags: centre, right, vertical centre, single line,
    // word break); returns the height drawn, or measures only with DT_CALCRECT (rect grows to fit).
    static int Text(HDC hdc, PixelRect& rect, const std::string& text, unsigned format, uint32_t rgb);
    // A bitmap of the process (a GDI bitmap handle) with its top-left corner at (x, y); false when the
    // handle is no bitmap.
    static bool Picture(HDC hdc, int x, int y, HGDIOBJ bitmap);
    // Width in pixels of a line of text.
    static int TextWidth(const std::string& text);
};

} // namespace winsim
