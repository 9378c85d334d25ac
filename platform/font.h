// The built-in bitmap font behind TextOutA (font_data.cpp holds the glyphs).
#pragma once

namespace tavrin {

// Cell metrics of the Windows System font, which every DC uses by default.
const int kFontHeight = 16;
const int kFontAscent = 13;

struct GlyphSource {
    char ch;
    int advance;
    int top;           // cell row of the first glyph row
    const char* rows;  // rows of '#' and '.', separated by '|'
};

// Printable ASCII, ' ' to '~', in order.
const int kGlyphCount = 95;
extern const GlyphSource kGlyphSources[kGlyphCount];

}  // namespace tavrin
