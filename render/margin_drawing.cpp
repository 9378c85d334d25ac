#include "render/margin_drawing.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <string>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TAVRIN_MARGIN_SSE2 1
#endif

#include "parallel/worker_pool.h"
#include "render/pixel_axis.h"
#include "render/row_bands.h"
#include "volume/margin_ramp.h"

namespace {

constexpr int kMarginCount = 91;  // margins 0..90
constexpr uint8_t kNoPoint = 0xff;
// A scratch image larger than this (a strange scale or origin) is not made:
// the points are then set one by one, the last on a pixel showing.
constexpr int64_t kMostScratchPixels = 1 << 22;
const COLORREF kLegendText = RGB(170, 170, 170);

COLORREF ColourOf(int margin) {
    MarginColour c = MarginRampColour(margin);
    return RGB(c.red, c.green, c.blue);
}

// A word of the legend in its margin's colour, brightened where that is too
// dark to read on black (the ramp ends in the cloud's own dark green): the
// hue kept, its brightest channel raised to 200 when it is under 150.
COLORREF ReadableOnBlack(COLORREF colour) {
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    const int value = std::max({r, g, b});
    if (value >= 150) return colour;
    if (value == 0) return RGB(200, 200, 200);
    auto raise = [value](int c) { return (c * 200 + value / 2) / value; };
    return RGB(raise(r), raise(g), raise(b));
}

struct Pixel {
    int x;
    int y;
};

}  // namespace

namespace {

// Points [from, to) by sorting them by pixel, for a list too spread out for
// a scratch image: each pixel once, in the smallest of its margins. A
// coordinate beyond the int range is on no bitmap and left out.
void PlotMarginsSorted(HDC dc, const D3DXVECTOR3* points, const uint8_t* margins, size_t from, size_t to,
                       const COLORREF* colours, PixelAxis across, PixelAxis down) {
    struct Cell {
        int y;
        int x;
        uint8_t margin;
        bool operator<(const Cell& o) const {
            return y != o.y ? y < o.y : x != o.x ? x < o.x : margin < o.margin;
        }
    };
    std::vector<Cell> cells;
    for (size_t i = from; i < to; ++i) {
        const Cell c{down.Pixel(points[i].y), across.Pixel(points[i].x), margins[i]};
        if (c.x != INT_MIN && c.y != INT_MIN) cells.push_back(c);
    }
    std::sort(cells.begin(), cells.end());
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0 && cells[i].y == cells[i - 1].y && cells[i].x == cells[i - 1].x) continue;
        SetPixel(dc, cells[i].x, cells[i].y, colours[std::min<int>(cells[i].margin, kMarginCount - 1)]);
    }
}

// Points [from, to) into their smallest margins per pixel, then each pixel
// once.
void PlotMargins(HDC dc, const D3DXVECTOR3* points, const uint8_t* margins, size_t from, size_t to,
                 const COLORREF* colours, PixelAxis across, PixelAxis down) {
    if (from >= to) return;
    auto colourOf = [&](uint8_t m) { return colours[std::min<int>(m, kMarginCount - 1)]; };
    // The pixel mapping is monotone in each coordinate, so the bounds come
    // from the extreme coordinates alone.
    float lowX = points[from].x, highX = lowX, lowY = points[from].y, highY = lowY;
    for (size_t i = from + 1; i < to; ++i) {
        lowX = std::min(lowX, points[i].x);
        highX = std::max(highX, points[i].x);
        lowY = std::min(lowY, points[i].y);
        highY = std::max(highY, points[i].y);
    }
    auto pixelOf = [&](const D3DXVECTOR3& p) { return Pixel{across.Pixel(p.x), down.Pixel(p.y)}; };
    const Pixel a = pixelOf(D3DXVECTOR3(lowX, lowY, 0)), b = pixelOf(D3DXVECTOR3(highX, highY, 0));
    const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
    const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
    const int64_t width = int64_t{right} - left + 1;
    const int64_t height = int64_t{bottom} - top + 1;
    // A coordinate beyond the int range truncates to INT_MIN, out of order.
    const bool overflows = a.x == INT_MIN || a.y == INT_MIN || b.x == INT_MIN || b.y == INT_MIN;
    if (overflows || width * height > kMostScratchPixels) {
        PlotMarginsSorted(dc, points, margins, from, to, colours, across, down);
        return;
    }
    std::vector<uint8_t> smallest(static_cast<size_t>(width * height), kNoPoint);
    for (size_t i = from; i < to; ++i) {
        const Pixel p = pixelOf(points[i]);
        // Only a coordinate that is no number escapes the bounds.
        if (p.x < left || p.x > right || p.y < top || p.y > bottom) continue;
        uint8_t& cell = smallest[static_cast<size_t>((p.y - top) * width + (p.x - left))];
        cell = std::min(cell, margins[i]);
    }
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* cells = &smallest[static_cast<size_t>(row * width)];
        for (int64_t column = 0; column < width; ++column) {
            if (cells[column] == kNoPoint) continue;
            SetPixel(dc, static_cast<int>(left + column), static_cast<int>(top + row), colourOf(cells[column]));
        }
    }
}

// A band's points one pixel row at a time, for a list in rows of rising y
// whose rows run in rising x, so that the columns of a pixel row lie
// between those of its grid rows' ends: every point folds its margin into
// a line of the pixel row's columns (the grid rows on one pixel row, about
// four for every three, all fold into it; packed truncation gives what
// TruncateToInt gives, INT_MIN for whatever it maps there). Each pixel of
// the line is then set once. False, with nothing drawn on the pixel row at
// hand, when a row is not the band's or a point falls outside its row's
// columns: the caller then draws the whole list another way.
bool PlotMarginRows(HDC dc, const D3DXVECTOR3* points, const uint8_t* margins, const RowBand& band,
                    const COLORREF* colours, PixelAxis across, PixelAxis down) {
    // A line wider than this (a strange scale) is left to the other way.
    constexpr int64_t kWidestLine = 1 << 16;
    std::vector<uint8_t> line;
    int previousRow = 0;
    for (size_t i = band.from; i < band.to;) {
        // A row beyond the int range (or of no number) is on no bitmap, and
        // a pixel row met again after others would lose its first points.
        const int py = down.Pixel(points[i].y);
        if (py == INT_MIN || !band.Owns(py)) return false;
        if (i > band.from && !(band.rising ? py > previousRow : py < previousRow)) return false;
        previousRow = py;
        // The grid rows on this pixel row, and the columns their ends fall on.
        size_t end = i;
        int low = INT_MAX, high = INT_MIN;
        while (end < band.to && down.Pixel(points[end].y) == py) {
            const float y = points[end].y;
            const size_t first = end;
            while (end < band.to && points[end].y == y) ++end;
            if (end == first) return false;  // a y of no number
            low = std::min(low, across.Pixel(points[first].x));
            high = std::max(high, across.Pixel(points[end - 1].x));
        }
        if (low == INT_MIN || high < low || int64_t{high} - low >= kWidestLine) return false;
        line.assign(static_cast<size_t>(high - low + 1), kNoPoint);
        const unsigned width = static_cast<unsigned>(high - low + 1);
        // Every point folds into its column's cell; a column outside the
        // line shows in `outside`, checked once the pixel row is done.
        unsigned outside = 0;
        auto fold = [&](int column, uint8_t margin) {
            const unsigned at = static_cast<unsigned>(column) - static_cast<unsigned>(low);
            outside |= at >= width;
            uint8_t& cell = line[at < width ? at : 0];
            cell = std::min(cell, margin);
        };
        size_t k = i;
#ifdef TAVRIN_MARGIN_SSE2
        const __m128 scale = _mm_set1_ps(across.scale), origin = _mm_set1_ps(across.origin);
        for (; end - k >= 4; k += 4) {
            const __m128 xs = _mm_setr_ps(points[k].x, points[k + 1].x, points[k + 2].x, points[k + 3].x);
            alignas(16) int columns[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(columns),
                            _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(xs, scale), origin)));
            for (int lane = 0; lane < 4; ++lane) fold(columns[lane], margins[k + lane]);
        }
#endif
        for (; k < end; ++k) fold(across.Pixel(points[k].x), margins[k]);
        if (outside) return false;
        for (unsigned at = 0; at < width; ++at) {
            if (line[at] == kNoPoint) continue;
            SetPixel(dc, low + static_cast<int>(at), py, colours[std::min<int>(line[at], kMarginCount - 1)]);
        }
        i = end;
    }
    return true;
}

}  // namespace

void DrawMarginCloud(HDC dc, const PointList& points, const std::vector<uint8_t>& margins, float scaleX,
                     float originX, float scaleY, float originY, WorkerPool* pool) {
    const size_t count = std::min(points.size(), margins.size());
    if (count == 0) return;
    COLORREF colours[kMarginCount];
    for (int m = 0; m < kMarginCount; ++m) colours[m] = ColourOf(m);
    const PixelAxis across{scaleX, originX}, down{scaleY, originY};
    // Bands of pixel rows own their pixels, and each finds the smallest
    // margin of every one of them. Should one meet a list not in rows of
    // rising y and x, the whole list is plotted again here: every pixel a
    // band set is set again, to its right colour.
    std::vector<RowBand> bands;
    if (pool && CutIntoRowBands(dc, points.data(), count, down, *pool, bands)) {
        std::atomic<bool> strays{false};
        pool->Run(static_cast<int>(bands.size()), [&](int k) {
            if (!PlotMarginRows(dc, points.data(), margins.data(), bands[k], colours, across, down)) strays = true;
        });
        if (!strays) return;
    }
    PlotMargins(dc, points.data(), margins.data(), 0, count, colours, across, down);
}

void DrawMarginLegend(HDC dc, int frameHeight) {
    struct Word {
        std::string text;
        COLORREF colour;
    };
    std::vector<Word> words = {{"joint margin", kLegendText}};
    for (int m = 0; m <= kMarginRampTop; m += 5) {
        words.push_back({m == kMarginRampTop ? std::to_string(m) + "+" : std::to_string(m), ReadableOnBlack(ColourOf(m))});
    }
    words.push_back({"degrees", kLegendText});

    const int inset = 8;
    SIZE space = {0, 0};
    GetTextExtentPoint32A(dc, " ", 1, &space);
    SIZE line = {0, 0};
    GetTextExtentPoint32A(dc, "0", 1, &line);
    const int y = frameHeight - inset - line.cy;
    const COLORREF previousColour = SetTextColor(dc, kLegendText);
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    int x = inset;
    for (const Word& word : words) {
        const int length = static_cast<int>(word.text.size());
        SetTextColor(dc, word.colour);
        TextOutA(dc, x, y, word.text.c_str(), length);
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(dc, word.text.c_str(), length, &extent);
        x += extent.cx + space.cx;
    }
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
}
