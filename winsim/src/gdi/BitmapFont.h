// The built-in font every window draws its text with: 5 x 7 pixel glyphs in a 6 x 13 cell, the size of
// the dialog font (8-point "MS Sans Serif" has 6 x 13 base units). Characters outside 32-126 show as '?'.
#pragma once

namespace winsim
{

class BitmapFont
{
public:
    static constexpr int kCellWidth = 6;
    static constexpr int kCellHeight = 13;
    static constexpr int kGlyphWidth = 5;
    static constexpr int kGlyphHeight = 7;
    // Rows from the top of the glyph start this far below the top of the cell.
    static constexpr int kGlyphTop = 3;

    // Seven rows of five pixels, bit 4 the leftmost.
    static const unsigned char* Glyph(unsigned char ch);
};

} // namespace winsim
