#include "Surface.h"

#include <algorithm>

namespace winsim
{

PixelRect PixelRect::Intersect(const PixelRect& other) const
{
    return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
            std::min(bottom, other.bottom)};
}

Surface::Surface(int width, int height, uint32_t fill)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), fill)
{
}

void Surface::Fill(const PixelRect& rect, uint32_t rgb, const PixelRect& clip)
{
    const PixelRect area = rect.Intersect(clip).Intersect(Bounds());
    for (int y = area.top; y < area.bottom; ++y)
        std::fill_n(m_pixels.begin() + static_cast<long>(y) * m_width + area.left, area.Width(), rgb);
}

void Surface::Set(int x, int y, uint32_t rgb, const PixelRect& clip)
{
    if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom && x >= 0 && y >= 0 && x < m_width &&
        y < m_height)
        m_pixels[static_cast<size_t>(y) * m_width + x] = rgb;
}

uint32_t Surface::Get(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[static_cast<size_t>(y) * m_width + x];
}

void Surface::Copy(int x, int y, int width, int height, const Surface& source, int sx, int sy, const PixelRect& clip)
{
    PixelRect target{x, y, x + width, y + height};
    target = target.Intersect(clip).Intersect(Bounds());
    // Keep only what the source has.
    target = target.Intersect(source.Bounds().Offset(x - sx, y - sy));
    if (target.Empty())
        return;
    std::vector<uint32_t> row(static_cast<size_t>(target.Width()));
    for (int ty = target.top; ty < target.bottom; ++ty)
    {
        const int fromY = ty - y + sy;
        const int fromX = target.left - x + sx;
        const uint32_t* from = source.m_pixels.data() + static_cast<size_t>(fromY) * source.m_width + fromX;
        std::copy(from, from + target.Width(), row.begin());
        std::copy(row.begin(), row.end(), m_pixels.begin() + static_cast<long>(ty) * m_width + target.left);
    }
}

void Surface::Resize(int width, int height, uint32_t fill)
{
    Surface bigger(width, height, fill);
    bigger.Copy(0, 0, m_width, m_height, *this, 0, 0, bigger.Bounds());
    *this = std::move(bigger);
}

} // namespace winsim
