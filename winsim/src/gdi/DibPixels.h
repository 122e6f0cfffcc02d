// The pixels of a device-independent bitmap as StretchDIBits reads them: BITMAPINFOHEADER, its colour
// table (DIB_RGB_COLORS) and uncompressed rows of 1, 4, 8, 16 (5-5-5), 24 or 32 bits, bottom-up or
// top-down, each row padded to four bytes. Compressed formats (RLE, bit fields, JPEG, PNG) are not read.
#pragma once

#include <cstdint>
#include <vector>

#include "windows.h"

namespace winsim
{

class DibPixels
{
public:
    // Headers are copied out byte by byte: a BMP file's header sits at an odd offset.
    DibPixels(const BITMAPINFO* info, const void* bits);

    bool Ok() const { return m_ok; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool BottomUp() const { return m_bottomUp; }
    // The pixel at (x, y), y counted from the top row, as 0x00RRGGBB; black outside the bitmap.
    uint32_t At(int x, int y) const;

private:
    bool m_ok = false;
    int m_width = 0;
    int m_height = 0;
    bool m_bottomUp = true;
    int m_bitCount = 0;
    size_t m_stride = 0;
    const uint8_t* m_bits = nullptr;
    std::vector<uint32_t> m_colours;
};

} // namespace winsim
