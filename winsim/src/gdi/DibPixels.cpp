#include "DibPixels.h"

#include <cstring>

namespace winsim
{

namespace
{

// Larger sides than this are refused, as for CreateCompatibleBitmap.
constexpr LONG kMaxSide = 16384;

} // namespace

DibPixels::DibPixels(const BITMAPINFO* info, const void* bits)
{
    if (!info || !bits)
        return;
    BITMAPINFOHEADER header;
    std::memcpy(&header, info, sizeof(header));
    const WORD bitCount = header.biBitCount;
    const bool knownDepth =
        bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || !knownDepth ||
        header.biCompression != BI_RGB || header.biWidth <= 0 || header.biWidth > kMaxSide || header.biHeight == 0 ||
        header.biHeight > kMaxSide || header.biHeight < -kMaxSide)
        return;
    if (bitCount <= 8)
    {
        const DWORD maxColours = 1u << bitCount;
        const DWORD count = header.biClrUsed == 0 || header.biClrUsed > maxColours ? maxColours : header.biClrUsed;
        const uint8_t* table = reinterpret_cast<const uint8_t*>(info) + header.biSize;
        m_colours.resize(maxColours, 0);
        for (DWORD i = 0; i < count; ++i)
        {
            RGBQUAD quad;
            std::memcpy(&quad, table + i * sizeof(RGBQUAD), sizeof(quad));
            m_colours[i] =
                (static_cast<uint32_t>(quad.rgbRed) << 16) | (static_cast<uint32_t>(quad.rgbGreen) << 8) | quad.rgbBlue;
        }
    }
    m_width = static_cast<int>(header.biWidth);
    m_bottomUp = header.biHeight > 0;
    m_height = static_cast<int>(m_bottomUp ? header.biHeight : -header.biHeight);
    m_bitCount = bitCount;
    m_stride = ((static_cast<size_t>(m_width) * bitCount + 31) / 32) * 4;
    m_bits = static_cast<const uint8_t*>(bits);
    m_ok = true;
}

uint32_t DibPixels::At(int x, int y) const
{
    if (!m_ok || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    const int row = m_bottomUp ? m_height - 1 - y : y;
    const uint8_t* line = m_bits + static_cast<size_t>(row) * m_stride;
    switch (m_bitCount)
    {
    case 1:
        return m_colours[(line[x / 8] >> (7 - x % 8)) & 1];
    case 4:
        return m_colours[(line[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F];
    case 8:
        return m_colours[line[x]];
    case 16:
    {
        // 5-5-5: each five-bit channel widened to eight bits.
        const unsigned value = line[x * 2] | (line[x * 2 + 1] << 8);
        const unsigned r = (value >> 10) & 0x1F;
        const unsigned g = (value >> 5) & 0x1F;
        const unsigned b = value & 0x1F;
        return (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
    }
    case 24:
    {
        const uint8_t* p = line + static_cast<size_t>(x) * 3;
        return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
    }
    default:
    {
        const uint8_t* p = line + static_cast<size_t>(x) * 4;
        return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
    }
    }
}

} // namespace winsim
