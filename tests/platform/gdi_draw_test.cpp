// Drawing through a DC: lines and rectangles reach the raster routine that
// fits the pen, in the pen's and brush's colours, clipped to the bitmap, and
// move the current position; single pixels; BitBlt with its clipping and
// format conversions. The line and rectangle geometry itself is checked
// against GDI in tests/raster.
#include <future>
#include <set>
#include <thread>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/raster.h"
#include "platform/win32.h"
#include "tests/support/pixels.h"

namespace {

const COLORREF kPaper = RGB(0x12, 0x34, 0x56);
const COLORREF kInk = RGB(0xFF, 0x80, 0x00);
const COLORREF kFill = RGB(0x00, 0x90, 0x40);

// A canvas of kPaper that reads back which pixels have a colour, and its
// rows as text.
class Canvas : public MemoryCanvas {
public:
    Canvas(int w, int h) : MemoryCanvas(w, h, kPaper) {}
    std::set<std::pair<int, int>> PixelsOf(COLORREF c) const {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (GetPixel(dc, x, y) == c) s.insert({x, y});
            }
        }
        return s;
    }
    // One character per pixel: '#' ink, '+' fill, '.' paper, '?' else.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                row += c == kInk ? '#' : c == kFill ? '+' : c == kPaper ? '.' : '?';
            }
            rows.push_back(row);
        }
        return rows;
    }
};

using PixelSet = std::set<std::pair<int, int>>;

void Collect(void* context, int y, int x0, int x1) {
    for (int x = x0; x < x1; ++x) static_cast<PixelSet*>(context)->insert({x, y});
}

// What raster:: itself says the line covers inside a w x h bitmap.
PixelSet RasterLine(int penWidth, int x0, int y0, int x1, int y1, int w, int h) {
    PixelSet s;
    raster::ClipRect clip = {0, 0, w, h};
    raster::SpanSink sink = {&s, Collect};
    if (penWidth >= 2) {
        raster::WideLine(x0, y0, x1, y1, penWidth, clip, sink);
    } else {
        raster::CosmeticLine(x0, y0, x1, y1, clip, sink);
    }
    return s;
}

TEST(LineTo, SmallCosmeticCases) {
    struct Case {
        int x0, y0, x1, y1;
        std::vector<std::string> rows;
    } cases[] = {
        // left to right: first pixel drawn, last not
        {1, 1, 5, 1, {"......", ".####.", "......"}},
        // right to left: the same run, shifted by the exclusive end
        {5, 1, 1, 1, {"......", "..####", "......"}},
        // a zero-length line draws nothing
        {2, 1, 2, 1, {"......", "......", "......"}},
        // running off the left edge is clipped there
        {-3, 2, 3, 2, {"......", "......", "###..."}},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 3);
        HPEN pen = CreatePen(PS_SOLID, 1, kInk);
        HGDIOBJ old = SelectObject(canvas.dc, pen);
        MoveToEx(canvas.dc, c.x0, c.y0, nullptr);
        EXPECT_TRUE(LineTo(canvas.dc, c.x1, c.y1));
        EXPECT_EQ(c.rows, canvas.Rows()) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
        SelectObject(canvas.dc, old);
        DeleteObject(pen);
    }
}

TEST(LineTo, EachPenWidthTakesItsRasterRoutine) {
    const int w = 16, h = 12;
    struct Segment {
        int x0, y0, x1, y1;
    } segments[] = {
        {2, 3, 13, 8},    // shallow, inside
        {12, 1, 4, 10},   // steep, backwards
        {-5, 6, 20, 6},   // across both side edges
        {7, -4, 9, 15},   // across top and bottom
        {15, 11, 30, 30}, // starts in the last pixel, leaves at once
    };
    for (int penWidth : {0, 1, 2, 3, 6}) {
        for (const Segment& s : segments) {
            SCOPED_TRACE(::testing::Message() << "width " << penWidth << " from " << s.x0 << "," << s.y0);
            Canvas canvas(w, h);
            HPEN pen = CreatePen(PS_SOLID, penWidth, kInk);
            HGDIOBJ old = SelectObject(canvas.dc, pen);
            MoveToEx(canvas.dc, s.x0, s.y0, nullptr);
            LineTo(canvas.dc, s.x1, s.y1);
            EXPECT_EQ(RasterLine(penWidth, s.x0, s.y0, s.x1, s.y1, w, h), canvas.PixelsOf(kInk));
            // Everything else is still paper.
            EXPECT_EQ(static_cast<size_t>(w * h), canvas.PixelsOf(kInk).size() + canvas.PixelsOf(kPaper).size());
            POINT at;
            MoveToEx(canvas.dc, 0, 0, &at);
            EXPECT_EQ(s.x1, at.x);
            EXPECT_EQ(s.y1, at.y);
            SelectObject(canvas.dc, old);
            DeleteObject(pen);
        }
    }
}

TEST(LineTo, PolylineContinuesFromTheCurrentPosition) {
    Canvas canvas(8, 8);
    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    MoveToEx(canvas.dc, 1, 1, nullptr);
    LineTo(canvas.dc, 6, 1);
    LineTo(canvas.dc, 6, 6);
    PixelSet expected = RasterLine(1, 1, 1, 6, 1, 8, 8);
    PixelSet second = RasterLine(1, 6, 1, 6, 6, 8, 8);
    expected.insert(second.begin(), second.end());
    EXPECT_EQ(expected, canvas.PixelsOf(kInk));
    SelectObject(canvas.dc, old);
    DeleteObject(pen);
}

TEST(LineTo, NullPenOnlyMoves) {
    Canvas canvas(6, 3);
    SelectObject(canvas.dc, GetStockObject(NULL_PEN));
    MoveToEx(canvas.dc, 0, 1, nullptr);
    EXPECT_TRUE(LineTo(canvas.dc, 5, 1));
    EXPECT_EQ(18u, canvas.PixelsOf(kPaper).size());
    POINT at;
    MoveToEx(canvas.dc, 0, 0, &at);
    EXPECT_EQ(5, at.x);
}

TEST(Rectangle, FillsWithTheBrushAndOutlinesWithThePen) {
    struct Case {
        int penWidth;  // -1: NULL_PEN
        bool hollow;
        int l, t, r, b;
        std::vector<std::string> rows;
    } cases[] = {
        // cosmetic pen: right and bottom edges exclusive
        {1, false, 1, 1, 5, 4, {"......", ".####.", ".#++#.", ".####.", "......"}},
        // corners given in reverse order
        {1, false, 5, 4, 1, 1, {"......", ".####.", ".#++#.", ".####.", "......"}},
        // hollow brush: the interior stays
        {1, true, 1, 1, 5, 4, {"......", ".####.", ".#..#.", ".####.", "......"}},
        // no pen: only the brush, one pixel short right and bottom
        {-1, false, 1, 1, 5, 4, {"......", ".+++..", ".+++..", "......", "......"}},
        // clipped at the top-left corner
        {1, false, -2, -2, 3, 3, {"++#...", "++#...", "###...", "......", "......"}},
    };
    for (const Case& c : cases) {
        Canvas canvas(6, 5);
        HPEN pen = c.penWidth < 0 ? static_cast<HPEN>(GetStockObject(NULL_PEN)) : CreatePen(PS_SOLID, c.penWidth, kInk);
        HBRUSH brush = c.hollow ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : CreateSolidBrush(kFill);
        HGDIOBJ oldPen = SelectObject(canvas.dc, pen);
        HGDIOBJ oldBrush = SelectObject(canvas.dc, brush);
        EXPECT_TRUE(Rectangle(canvas.dc, c.l, c.t, c.r, c.b));
        EXPECT_EQ(c.rows, canvas.Rows()) << c.l << "," << c.t << "," << c.r << "," << c.b;
        SelectObject(canvas.dc, oldPen);
        SelectObject(canvas.dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
}

TEST(Rectangle, WidePenOutlineComesFromRaster) {
    const int w = 14, h = 12;
    Canvas canvas(w, h);
    HPEN pen = CreatePen(PS_SOLID, 3, kInk);
    HBRUSH brush = CreateSolidBrush(kFill);
    HGDIOBJ oldPen = SelectObject(canvas.dc, pen);
    HGDIOBJ oldBrush = SelectObject(canvas.dc, brush);
    Rectangle(canvas.dc, 2, 2, 11, 10);
    PixelSet outline, fill;
    raster::RectangleShape(2, 2, 11, 10, 3, raster::ClipRect{0, 0, w, h}, raster::SpanSink{&outline, Collect},
                           raster::SpanSink{&fill, Collect});
    EXPECT_EQ(outline, canvas.PixelsOf(kInk));
    EXPECT_EQ(fill, canvas.PixelsOf(kFill));
    SelectObject(canvas.dc, oldPen);
    SelectObject(canvas.dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

TEST(Rectangle, StockBlackClearsTheWholeBuffer) {
    // The buffer-clearing idiom: black pen and brush over the whole bitmap.
    Canvas canvas(7, 5);
    SelectObject(canvas.dc, GetStockObject(BLACK_BRUSH));
    Rectangle(canvas.dc, 0, 0, 7, 5);
    EXPECT_EQ(35u, canvas.PixelsOf(0x000000).size());
}

TEST(SetPixel, WritesInsideAndIgnoresOutside) {
    Canvas canvas(3, 3);
    EXPECT_EQ(kInk, SetPixel(canvas.dc, 2, 2, kInk));
    EXPECT_EQ(kInk, GetPixel(canvas.dc, 2, 2));
    // Outside nothing changes; the asked colour comes back, as under Wine.
    for (POINT p : {POINT{-1, 0}, POINT{0, -1}, POINT{3, 0}, POINT{0, 3}, POINT{-2147483647 - 1, 2147483647}}) {
        EXPECT_EQ(kInk, SetPixel(canvas.dc, p.x, p.y, kInk));
        EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, p.x, p.y));
    }
    EXPECT_EQ(8u, canvas.PixelsOf(kPaper).size());
    // The pen plays no part.
    HPEN pen = CreatePen(PS_SOLID, 5, kFill);
    HGDIOBJ old = SelectObject(canvas.dc, pen);
    SetPixel(canvas.dc, 0, 0, kInk);
    EXPECT_EQ(kInk, GetPixel(canvas.dc, 0, 0));
    SelectObject(canvas.dc, old);
    DeleteObject(pen);
}

// Threads setting their own rows of one bitmap side by side, each in
// colours that change from pixel to pixel: every pixel ends in its colour.
// A thread that kept a DC draws into the bitmap selected into it now.
TEST(SetPixel, ThreadsSideBySideAndAfterTheTableChanges) {
    const int width = 64, rows = 40;
    auto colourAt = [](int x, int y) { return RGB(x * 4, y * 6, (x + y) % 2 ? 0x80 : 0x10); };
    Canvas canvas(width, rows);
    auto drawRows = [&](HDC dc, int from, int to) {
        for (int y = from; y < to; ++y) {
            for (int x = 0; x < width; ++x) SetPixel(dc, x, y, colourAt(x, y));
        }
    };
    std::thread lower(drawRows, canvas.dc, rows / 2, rows);
    drawRows(canvas.dc, 0, rows / 2);
    lower.join();
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width; ++x) ASSERT_EQ(colourAt(x, y), GetPixel(canvas.dc, x, y)) << x << ", " << y;
    }

    // A worker keeps the DC it drew through; then another bitmap is
    // selected into that DC, and the worker's next pixel goes there.
    HDC screen = GetDC(nullptr);
    HBITMAP other = CreateCompatibleBitmap(screen, width, rows);
    ReleaseDC(nullptr, screen);
    std::promise<void> kept, selected;
    std::thread worker([&] {
        SetPixel(canvas.dc, 0, 0, kInk);
        kept.set_value();
        selected.get_future().wait();
        SetPixel(canvas.dc, 3, 3, kFill);
    });
    kept.get_future().wait();
    HGDIOBJ previous = SelectObject(canvas.dc, other);
    selected.set_value();
    worker.join();
    EXPECT_EQ(kFill, GetPixel(canvas.dc, 3, 3));
    SelectObject(canvas.dc, previous);
    EXPECT_EQ(colourAt(3, 3), GetPixel(canvas.dc, 3, 3));
    DeleteObject(other);
}

TEST(BitBlt, ClipsAgainstBothBitmaps) {
    // Source 4 x 3 with a distinct colour per pixel; destination 6 x 5.
    struct Case {
        int x, y, cx, cy, x1, y1;
        RECT written;  // destination pixels that receive source pixels
    } cases[] = {
        {1, 1, 4, 3, 0, 0, {1, 1, 5, 4}},       // all inside
        {-1, -1, 4, 3, 0, 0, {0, 0, 3, 2}},     // destination off the top left
        {1, 1, 4, 3, -2, -1, {3, 2, 5, 4}},     // source off its top left
        {4, 3, 4, 3, 0, 0, {4, 3, 6, 5}},       // destination off the bottom right
        {0, 0, 100, 100, 1, 1, {0, 0, 3, 2}},   // oversize, cut to the source
        {0, 0, 4, 3, 4, 0, {0, 0, 0, 0}},       // source entirely outside
        {2, 2, 0, 3, 0, 0, {0, 0, 0, 0}},       // empty width
        {2, 2, -2, 3, 0, 0, {0, 0, 0, 0}},      // negative width: not drawn
    };
    Canvas source(4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) SetPixel(source.dc, x, y, RGB(10 + x, 20 + y, 30));
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " " << c.cx << "x" << c.cy << " from " << c.x1 << "," << c.y1);
        Canvas dest(6, 5);
        EXPECT_TRUE(BitBlt(dest.dc, c.x, c.y, c.cx, c.cy, source.dc, c.x1, c.y1, SRCCOPY));
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                bool written = x >= c.written.left && x < c.written.right && y >= c.written.top && y < c.written.bottom;
                COLORREF expected = written ? RGB(10 + x - c.x + c.x1, 20 + y - c.y + c.y1, 30) : kPaper;
                EXPECT_EQ(expected, GetPixel(dest.dc, x, y)) << x << "," << y;
            }
        }
    }
}

TEST(BitBlt, OverlappingCopyWithinOneBitmap) {
    Canvas canvas(5, 1);
    for (int x = 0; x < 5; ++x) SetPixel(canvas.dc, x, 0, RGB(x, 0, 0));
    BitBlt(canvas.dc, 1, 0, 4, 1, canvas.dc, 0, 0, SRCCOPY);
    for (int x = 1; x < 5; ++x) EXPECT_EQ(RGB(x - 1, 0, 0), GetPixel(canvas.dc, x, 0));
}

TEST(BitBlt, ConvertsBetweenMonochromeAndColour) {
    Canvas colour(2, 1);
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP monoBitmap = CreateCompatibleBitmap(mono, 2, 1);
    HGDIOBJ old = SelectObject(mono, monoBitmap);
    // Colour to mono: the source's background colour turns white, the rest
    // black.
    SetPixel(colour.dc, 0, 0, kInk);
    SetPixel(colour.dc, 1, 0, kFill);
    SetBkColor(colour.dc, kFill);
    BitBlt(mono, 0, 0, 2, 1, colour.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(0x000000u, GetPixel(mono, 0, 0));
    EXPECT_EQ(0xFFFFFFu, GetPixel(mono, 1, 0));
    // Mono to colour: black takes the destination's text colour, white its
    // background colour.
    SetTextColor(colour.dc, kInk);
    SetBkColor(colour.dc, kPaper);
    BitBlt(colour.dc, 0, 0, 2, 1, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(kInk, GetPixel(colour.dc, 0, 0));
    EXPECT_EQ(kPaper, GetPixel(colour.dc, 1, 0));
    SelectObject(mono, old);
    DeleteObject(monoBitmap);
    DeleteDC(mono);
}

TEST(Scene, HashAtEveryStep) {
    // Lines of both pen kinds, rectangles and text piled onto one bitmap,
    // checked after each step; the hashes were taken when the pixels were
    // right, so any change in routing, colour or clipping shows here.
    const uint64_t expected[] = {
        18407844667023904451ull, 8616191677906737344ull, 1969484117247255681ull,
        4972739357498855318ull, 1788561075217336513ull, 8094730048699155060ull,
    };
    Canvas canvas(64, 48);
    for (int step = 0; step < 6; ++step) {
        HPEN pen = CreatePen(PS_SOLID, step % 3 == 0 ? 1 : 2 + step % 4, RGB(40 * step, 255 - 30 * step, 90));
        HBRUSH brush = CreateSolidBrush(RGB(20, 30 * step, 200));
        HGDIOBJ oldPen = SelectObject(canvas.dc, pen);
        HGDIOBJ oldBrush = SelectObject(canvas.dc, brush);
        MoveToEx(canvas.dc, step * 7 - 10, 3, nullptr);
        LineTo(canvas.dc, 60 - step * 5, 50);
        Rectangle(canvas.dc, step * 3, step * 4, 30 + step, 20 + step * 2);
        TextOutA(canvas.dc, step * 5, 30, "Az9", 3);
        SelectObject(canvas.dc, oldPen);
        SelectObject(canvas.dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
        EXPECT_EQ(expected[step], PixelHash(canvas.dc, canvas.width, canvas.height)) << "step " << step;
    }
}

}  // namespace
