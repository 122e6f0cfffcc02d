#include "GdiDraw.h"

#include <vector>

#include "BitmapFont.h"
#include "GdiObjects.h"

namespace winsim
{

namespace
{

// The lines of a text as DrawText breaks it: at new lines, and with DT_WORDBREAK between words that
// would pass the width.
std::vector<std::string> LinesOf(const std::string& text, unsigned format, int width)
{
    std::vector<std::string> lines;
    const int maxChars = std::max(1, width / BitmapFont::kCellWidth);
    std::string line;
    auto flush = [&]
    {
        lines.push_back(line);
        line.clear();
    };
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char ch = text[i];
        if (ch == '\r')
            continue;
        if (ch == '\n' && !(format & DT_SINGLELINE))
        {
            flush();
            continue;
        }
        line += (ch == '\n' ? ' ' : ch);
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && static_cast<int>(line.size()) > maxChars)
        {
            const size_t space = line.find_last_of(' ');
            if (space != std::string::npos && space > 0)
            {
                std::string rest = line.substr(space + 1);
                line.resize(space);
                flush();
                line = rest;
            }
            else
            {
                std::string rest(1, line.back());
                line.pop_back();
                flush();
                line = rest;
            }
        }
    }
    if (!line.empty() || lines.empty())
        flush();
    return lines;
}

} // namespace

bool GdiDraw::Fill(HDC hdc, const PixelRect& rect, uint32_t rgb)
{
    return GdiObjects::Instance().WithDc(hdc,
                                         [&](DeviceContext& dc)
                                         {
                                             if (dc.target)
                                                 dc.target->Fill(rect.Offset(dc.originX, dc.originY), rgb, dc.clip);
                                         });
}

bool GdiDraw::Frame(HDC hdc, const PixelRect& rect, uint32_t rgb)
{
    if (rect.Empty())
        return GdiObjects::Instance().WithDc(hdc, [](DeviceContext&) {});
    return Fill(hdc, {rect.left, rect.top, rect.right, rect.top + 1}, rgb) &&
           Fill(hdc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, rgb) &&
           Fill(hdc, {rect.left, rect.top, rect.left + 1, rect.bottom}, rgb) &&
           Fill(hdc, {rect.right - 1, rect.top, rect.right, rect.bottom}, rgb);
}

bool GdiDraw::Edge(HDC hdc, const PixelRect& rect, bool sunken)
{
    const uint32_t light = 0xFFFFFF;
    const uint32_t face = 0xD4D0C8;
    const uint32_t shadow = 0x808080;
    const uint32_t dark = 0x404040;
    const uint32_t outerTopLeft = sunken ? shadow : face;
    const uint32_t innerTopLeft = sunken ? dark : light;
    const uint32_t outerBottomRight = sunken ? light : dark;
    const uint32_t innerBottomRight = sunken ? face : shadow;
    auto box = [&](const PixelRect& r, uint32_t topLeft, uint32_t bottomRight)
    {
        return Fill(hdc, {r.left, r.top, r.right, r.top + 1}, topLeft) &&
               Fill(hdc, {r.left, r.top, r.left + 1, r.bottom}, topLeft) &&
               Fill(hdc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight) &&
               Fill(hdc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    };
    return box(rect, outerTopLeft, outerBottomRight) &&
           box({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, innerTopLeft, innerBottomRight);
}

bool GdiDraw::Picture(HDC hdc, int x, int y, HGDIOBJ bitmap)
{
    GdiObject object;
    if (!GdiObjects::Instance().Find(bitmap, object) || object.kind != GdiKind::Bitmap || !object.bitmap)
        return false;
    const Surface& source = *object.bitmap;
    return GdiObjects::Instance().WithDc(hdc,
                                         [&](DeviceContext& dc)
                                         {
                                             if (dc.target && dc.target != object.bitmap)
                                                 dc.target->Copy(dc.originX + x, dc.originY + y, source.Width(),
                                                                 source.Height(), source, 0, 0, dc.clip);
                                         });
}

int GdiDraw::TextWidth(const std::string& text)
{
    return static_cast<int>(text.size()) * BitmapFont::kCellWidth;
}

int GdiDraw::Text(HDC hdc, PixelRect& rect, const std::string& text, unsigned format, uint32_t rgb)
{
    const std::vector<std::string> lines = LinesOf(text, format, rect.Width());
    const int height = static_cast<int>(lines.size()) * BitmapFont::kCellHeight;
    if (format & DT_CALCRECT)
    {
        int widest = 0;
        for (const std::string& line : lines)
            widest = std::max(widest, TextWidth(line));
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }
    int top = rect.top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        top = rect.top + (rect.Height() - BitmapFont::kCellHeight) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        top = rect.bottom - BitmapFont::kCellHeight;
    bool ok = GdiObjects::Instance().WithDc(
        hdc,
        [&](DeviceContext& dc)
        {
            if (!dc.target)
                return;
            // Text stays inside the rectangle, as DrawText clips without DT_NOCLIP.
            const PixelRect clip = dc.clip.Intersect(rect.Offset(dc.originX, dc.originY));
            int y = top;
            for (const std::string& line : lines)
            {
                int x = rect.left;
                if (format & DT_CENTER)
                    x = rect.left + (rect.Width() - TextWidth(line)) / 2;
                else if (format & DT_RIGHT)
                    x = rect.right - TextWidth(line);
                for (const char ch : line)
                {
                    const unsigned char* glyph = BitmapFont::Glyph(static_cast<unsigned char>(ch));
                    for (int row = 0; row < BitmapFont::kGlyphHeight; ++row)
                    {
                        for (int col = 0; col < BitmapFont::kGlyphWidth; ++col)
                        {
                            if (glyph[row] & (0x10 >> col))
                                dc.target->Set(dc.originX + x + col, dc.originY + y + BitmapFont::kGlyphTop + row, rgb,
                                               clip);
                        }
                    }
                    x += BitmapFont::kCellWidth;
                }
                y += BitmapFont::kCellHeight;
            }
        });
    return ok ? height : 0;
}

} // namespace winsim
