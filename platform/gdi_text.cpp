// TextOutA with the built-in font: in OPAQUE mode a box of the text's
// extent and the cell's height in the background colour first, then the
// glyphs' ink in the text colour. The current position does not move.
#include <algorithm>
#include <cstdint>

#include "platform/font.h"
#include "platform/gdi_dc.h"

using namespace tavrin;

namespace {

struct Glyph {
    int advance = 0;
    int top = 0;
    int width = 0;
    int rowCount = 0;
    // One bit per column, bit 0 the leftmost.
    uint16_t rows[kFontHeight] = {};
};

// Characters outside printable ASCII show as a hollow box, as Windows shows
// a font's default character.
Glyph MakeBoxGlyph() {
    Glyph g;
    g.advance = 7;
    g.top = 4;
    g.width = 5;
    g.rowCount = 9;
    for (int r = 0; r < g.rowCount; ++r) g.rows[r] = (r == 0 || r == g.rowCount - 1) ? 0x1F : 0x11;
    return g;
}

struct Font {
    Glyph glyphs[kGlyphCount];
    Glyph box = MakeBoxGlyph();

    Font() {
        for (int i = 0; i < kGlyphCount; ++i) {
            const GlyphSource& src = kGlyphSources[i];
            Glyph& g = glyphs[i];
            g.advance = src.advance;
            g.top = src.top;
            int column = 0;
            for (const char* p = src.rows; *p && g.top + g.rowCount < kFontHeight; ++p) {
                if (*p == '|') {
                    ++g.rowCount;
                    column = 0;
                    continue;
                }
                if (*p == '#') g.rows[g.rowCount] = static_cast<uint16_t>(g.rows[g.rowCount] | (1u << column));
                ++column;
                g.width = std::max(g.width, column);
            }
            ++g.rowCount;
        }
    }

    const Glyph& For(unsigned char c) const {
        return c >= 0x20 && c < 0x7F ? glyphs[c - 0x20] : box;
    }
};

const Font& TheFont() {
    static const Font font;
    return font;
}

void FillBox(Surface& s, const raster::ClipRect& clip, int64_t left, int64_t top, int64_t right, int64_t bottom,
             uint32_t pixel) {
    raster::ClipRect box = raster::Intersect(raster::Clamped(left, top, right, bottom), clip);
    for (int y = box.top; y < box.bottom; ++y) {
        raster::FillSpan(s.pixels.data() + static_cast<size_t>(y) * s.width, box.left, box.right, pixel);
    }
}

int64_t Extent(const Font& font, LPCSTR text, int count) {
    int64_t extent = 0;
    for (int i = 0; i < count; ++i) extent += font.For(static_cast<unsigned char>(text[i])).advance;
    return extent;
}

}  // namespace

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    if (!LookUpDc(hdc) || c < 0 || (c > 0 && !lpString) || !psizl) return FALSE;
    int64_t extent = Extent(TheFont(), lpString, c);
    psizl->cx = static_cast<LONG>(std::min<int64_t>(extent, INT32_MAX));
    psizl->cy = kFontHeight;
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    DcState* state = LookUpDc(hdc);
    if (!state || c < 0 || (c > 0 && !lpString)) return FALSE;
    DcTarget t = ResolveDc(hdc);
    if (!t.surface || c == 0) return TRUE;
    const Font& font = TheFont();
    Surface& s = *t.surface;

    int64_t extent = Extent(font, lpString, c);
    if (state->bkMode == OPAQUE) {
        FillBox(s, t.clip, x, y, int64_t{x} + extent, int64_t{y} + kFontHeight, PixelForSurface(s, state->bkColor));
    }

    uint32_t ink = PixelForSurface(s, state->textColor);
    int64_t penX = x;
    for (int i = 0; i < c; ++i) {
        const Glyph& g = font.For(static_cast<unsigned char>(lpString[i]));
        // Glyphs narrower than their advance sit in the middle of it.
        int64_t left = penX + (g.advance - g.width) / 2;
        for (int r = 0; r < g.rowCount; ++r) {
            int64_t py = int64_t{y} + g.top + r;
            if (py < t.clip.top || py >= t.clip.bottom || !g.rows[r]) continue;
            uint32_t* row = s.pixels.data() + static_cast<size_t>(py) * s.width;
            for (int col = 0; col < g.width; ++col) {
                int64_t px = left + col;
                if ((g.rows[r] >> col & 1u) && px >= t.clip.left && px < t.clip.right) row[px] = ink;
            }
        }
        penX += g.advance;
    }
    s.MarkChanged();
    WindowDcTouched(hdc);
    return TRUE;
}
