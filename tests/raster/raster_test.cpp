// Pixel geometry of lines and rectangles against what GDI draws. Every
// picture comes from the recording tests/gdiprobe/raster_cases.expected,
// made with the probe under Wine; '.' is an untouched pixel, '#' the pen,
// 'o' the brush.
#include "platform/raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

enum class Op { kLine, kRect };

struct Case {
    Op op;
    int penWidth;
    int a, b, c, d;  // line: x0 y0 x1 y1; rect: left top right bottom
    std::vector<const char*> rows;
};

// A character grid that records every span and checks the promises of the
// SpanSink: runs are inside the clip, never empty and never overlap.
struct Grid {
    int width;
    int height;
    std::vector<char> cells;
    raster::ClipRect clip;
    int overlaps = 0;
    int outside = 0;

    Grid(int w, int h) : width(w), height(h), cells(static_cast<size_t>(w) * h, '.'), clip{0, 0, w, h} {}

    struct Painter {
        Grid* grid;
        char mark;
    };
    static void Span(void* context, int y, int x0, int x1) {
        Painter* p = static_cast<Painter*>(context);
        Grid& g = *p->grid;
        if (y < g.clip.top || y >= g.clip.bottom || x0 < g.clip.left || x1 > g.clip.right || x0 >= x1) {
            ++g.outside;
            return;
        }
        for (int x = x0; x < x1; ++x) {
            char& cell = g.cells[static_cast<size_t>(y) * g.width + x];
            if (cell != '.') ++g.overlaps;
            cell = p->mark;
        }
    }
    std::string Row(int y) const { return std::string(&cells[static_cast<size_t>(y) * width], width); }
};

void Draw(const Case& c, Grid& grid) {
    Grid::Painter pen{&grid, '#'}, brush{&grid, 'o'};
    raster::SpanSink outline{&pen, Grid::Span}, fill{&brush, Grid::Span};
    if (c.op == Op::kRect) {
        raster::RectangleShape(c.a, c.b, c.c, c.d, c.penWidth, grid.clip, outline, fill);
    } else if (c.penWidth <= 1) {
        raster::CosmeticLine(c.a, c.b, c.c, c.d, grid.clip, outline);
    } else {
        raster::WideLine(c.a, c.b, c.c, c.d, c.penWidth, grid.clip, outline);
    }
}

// The recording: what gdiprobe printed for tests/gdiprobe/raster_cases.txt
// under Wine. Each case starts with
//   case KIND WIDTH A B C D | comment
// followed by the probe's answers to its calls and the bitmap's rows.
std::vector<Case> ReadRecording(const char* path, std::string* error) {
    std::vector<Case> cases;
    FILE* in = std::fopen(path, "r");
    if (!in) {
        *error = std::string("cannot open ") + path;
        return cases;
    }
    static std::vector<std::string> rows;  // owns the row texts the cases point to
    rows.clear();
    std::vector<std::vector<size_t>> rowsOf;
    char line[4096];
    while (std::fgets(line, sizeof line, in)) {
        line[std::strcspn(line, "\r\n")] = 0;
        char kind[8] = {};
        Case c{Op::kLine, 0, 0, 0, 0, 0, {}};
        if (std::sscanf(line, "case %7s %d %d %d %d %d", kind, &c.penWidth, &c.a, &c.b, &c.c, &c.d) == 6) {
            c.op = std::string(kind) == "rect" ? Op::kRect : Op::kLine;
            cases.push_back(c);
            rowsOf.emplace_back();
        } else if (!cases.empty() && line[0] && std::strspn(line, ".#o") == std::strlen(line)) {
            rows.push_back(line);
            rowsOf.back().push_back(rows.size() - 1);
        }
    }
    std::fclose(in);
    for (size_t i = 0; i < cases.size(); ++i) {
        for (size_t r : rowsOf[i]) cases[i].rows.push_back(rows[r].c_str());
        if (cases[i].rows.empty()) *error = "a case without a picture in " + std::string(path);
    }
    return cases;
}

std::string Describe(const Case& c) {
    return std::string(c.op == Op::kLine ? "line" : "rect") + " width " + std::to_string(c.penWidth) + " (" +
           std::to_string(c.a) + "," + std::to_string(c.b) + ")-(" + std::to_string(c.c) + "," +
           std::to_string(c.d) + ")";
}

TEST(Raster, MatchesGdiRecordings) {
    std::string error;
    std::vector<Case> cases = ReadRecording(TAVRIN_RASTER_RECORDING, &error);
    ASSERT_EQ("", error);
    ASSERT_EQ(73u, cases.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(Describe(c));
        int h = static_cast<int>(c.rows.size());
        int w = static_cast<int>(std::string(c.rows[0]).size());
        Grid grid(w, h);
        Draw(c, grid);
        EXPECT_EQ(grid.overlaps, 0);
        EXPECT_EQ(grid.outside, 0);
        for (int y = 0; y < h; ++y) EXPECT_EQ(grid.Row(y), c.rows[y]) << "row " << y;
    }
}

// Clipping must not move pixels: drawn into any sub-rectangle, a primitive
// covers exactly the part of its unclipped picture inside that rectangle.
TEST(Raster, ClippingKeepsTheUnclippedPixels) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(-12, 36), width(0, 7), op(0, 2);
    const int kSize = 24;
    for (int iter = 0; iter < 400; ++iter) {
        Case c{op(rng) == 2 ? Op::kRect : Op::kLine, width(rng), coord(rng), coord(rng), coord(rng), coord(rng), {}};
        SCOPED_TRACE(Describe(c));
        Grid full(kSize, kSize);
        Draw(c, full);
        for (int k = 0; k < 4; ++k) {
            std::uniform_int_distribution<int> edge(0, kSize);
            int l = edge(rng), r = edge(rng), t = edge(rng), b = edge(rng);
            Grid clipped(kSize, kSize);
            clipped.clip = {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
            Draw(c, clipped);
            EXPECT_EQ(clipped.outside, 0);
            EXPECT_EQ(clipped.overlaps, 0);
            for (int y = 0; y < kSize; ++y) {
                for (int x = 0; x < kSize; ++x) {
                    bool inside = x >= clipped.clip.left && x < clipped.clip.right && y >= clipped.clip.top &&
                                  y < clipped.clip.bottom;
                    char expected = inside ? full.cells[static_cast<size_t>(y) * kSize + x] : '.';
                    ASSERT_EQ(clipped.cells[static_cast<size_t>(y) * kSize + x], expected) << x << "," << y;
                }
            }
        }
    }
}

// Endpoints at the ends of the int range: the cosmetic line still crosses
// the bitmap exactly where the exact line does, and nothing overflows (the
// sanitizer build checks the arithmetic).
TEST(Raster, ExtremeCoordinates) {
    Grid grid(8, 8);
    Case diagonal{Op::kLine, 1, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}};
    Draw(diagonal, grid);
    EXPECT_EQ(grid.outside, 0);
    EXPECT_EQ(grid.overlaps, 0);
    // From (-2^31, -2^31) with slope exactly 1 the line runs through every
    // (k, k).
    for (int k = 0; k < 8; ++k) EXPECT_EQ(grid.Row(k), std::string(k, '.') + "#" + std::string(7 - k, '.'));

    const Case wild[] = {
        {Op::kLine, 1, INT_MAX, INT_MIN, INT_MIN, INT_MAX, {}},
        {Op::kLine, 1, INT_MIN, 3, INT_MAX, 4, {}},
        {Op::kLine, 2, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}},
        {Op::kLine, INT_MAX, 0, 0, 5, 5, {}},
        {Op::kLine, 3, -134217728, 2, 134217728, 5, {}},
        {Op::kRect, 1, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}},
        {Op::kRect, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT_MAX, {}},
        {Op::kRect, 6, -100000000, 3, 100000000, 5, {}},
    };
    for (const Case& c : wild) {
        SCOPED_TRACE(Describe(c));
        Grid g(8, 8);
        Draw(c, g);
        EXPECT_EQ(g.outside, 0);
        EXPECT_EQ(g.overlaps, 0);
    }
}

}  // namespace
