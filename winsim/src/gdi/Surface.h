// A block of 32-bit pixels (0x00RRGGBB) that windows and memory bitmaps draw into. Every drawing call
// clips to the surface and to the caller's clip rectangle, so nothing writes past the pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace winsim
{

struct PixelRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    PixelRect Intersect(const PixelRect& other) const;
    PixelRect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
};

class Surface
{
public:
    Surface(int width, int height, uint32_t fill = 0);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const std::vector<uint32_t>& Pixels() const { return m_pixels; }
    PixelRect Bounds() const { return {0, 0, m_width, m_height}; }

    // Fills the part of `rect` inside `clip` (both in surface coordinates).
    void Fill(const PixelRect& rect, uint32_t rgb, const PixelRect& clip);
    void Set(int x, int y, uint32_t rgb, const PixelRect& clip);
    uint32_t Get(int x, int y) const;
    // Copies a block of `source` at (sx, sy) to (x, y), clipped to both surfaces and `clip`.
    void Copy(int x, int y, int width, int height, const Surface& source, int sx, int sy, const PixelRect& clip);
    // Grows or shrinks, keeping what fits.
    void Resize(int width, int height, uint32_t fill);

private:
    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
};

// COLORREF (0x00BBGGRR) to the surface's 0x00RRGGBB and back.
inline uint32_t PixelOf(uint32_t colorref)
{
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}
inline uint32_t ColorRefOf(uint32_t pixel)
{
    return PixelOf(pixel);
}

} // namespace winsim
