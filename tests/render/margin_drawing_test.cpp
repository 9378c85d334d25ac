// The margin cloud and its legend, drawn into a memory DC and read back.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "parallel/worker_pool.h"
#include "render/margin_drawing.h"
#include "tests/support/pixels.h"
#include "volume/margin_ramp.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0);

COLORREF Ramp(int margin) {
    MarginColour c = MarginRampColour(margin);
    return RGB(c.red, c.green, c.blue);
}

// Points half a pixel apart share pixels: each pixel shows the smallest
// margin of the points on it, whatever their order.
TEST(MarginDrawingTest, APixelShowsTheSmallestMarginOnIt) {
    MemoryCanvas canvas(8, 4, kBlack);
    // Scale 2, origin 1: x = 0 and 0.25 both land on column 1, 0.5 and 0.75
    // on column 2; y = 0.5 on row 2.
    const PointList points = {D3DXVECTOR3(0, 0.5f, 0), D3DXVECTOR3(0.25f, 0.5f, 0), D3DXVECTOR3(0.5f, 0.5f, 0),
                              D3DXVECTOR3(0.75f, 0.5f, 0), D3DXVECTOR3(3, 0, 0)};
    const std::vector<uint8_t> margins = {20, 3, 0, 45, 12};
    DrawMarginCloud(canvas.dc, points, margins, 2, 1, 2, 1);
    EXPECT_EQ(Ramp(3), GetPixel(canvas.dc, 1, 2));
    EXPECT_EQ(Ramp(0), GetPixel(canvas.dc, 2, 2));
    EXPECT_EQ(Ramp(12), GetPixel(canvas.dc, 7, 1));
    int drawn = 0;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) drawn += GetPixel(canvas.dc, x, y) != kBlack;
    }
    EXPECT_EQ(3, drawn);
}

// The same slice drawn by margins all of 30 or more is the plain cloud's
// green on the same pixels.
// Lists the bands must not plot as they come, plotted with a pool and
// without one: the same pixels, and no hang. Each has more points than the
// bands take on their own.
struct OddList {
    const char* what;
    PointList points;
    std::vector<uint8_t> margins;
    float scaleY;
};

std::vector<OddList> OddLists() {
    const float nan = std::nanf("");
    std::vector<OddList> lists;
    auto rows = [](int count, int width, float step) {
        PointList points;
        for (int r = 0; r < count; ++r) {
            for (int c = 0; c < width; ++c) points.push_back(D3DXVECTOR3(c * 0.5f, r * step, 0));
        }
        return points;
    };
    auto marginsFor = [](const PointList& points) {
        std::vector<uint8_t> m;
        for (size_t i = 0; i < points.size(); ++i) m.push_back(static_cast<uint8_t>(i * 7 % 40));
        return m;
    };
    OddList first{"a first point of no number", rows(100, 400, 0.5f), {}, 1};
    first.points[0].y = nan;
    lists.push_back(first);
    OddList last{"rows falling, a last point of no number", rows(100, 400, 0.5f), {}, -1};
    last.points.back().y = nan;
    lists.push_back(last);
    // Rows 2j, 2j+1, then 2j again with other margins: a pixel row met
    // twice in one band.
    OddList again{"a pixel row met again", {}, {}, 1};
    for (int j = 0; j < 100; ++j) {
        for (int pass : {0, 1, 2}) {
            const float y = 2.0f * j + (pass == 1 ? 1 : 0);
            for (int c = 0; c < 100; ++c) again.points.push_back(D3DXVECTOR3(c * 0.5f, y, 0));
        }
    }
    lists.push_back(again);
    // Spread over more pixels than a scratch image holds, pixels shared.
    OddList spread{"spread out, pixels shared", rows(100, 400, 0.5f), {}, 1};
    spread.points[0] = D3DXVECTOR3(-1e30f, -1e30f, 0);
    spread.points[1] = D3DXVECTOR3(9000, 9000, 0);
    lists.push_back(spread);
    for (OddList& l : lists) l.margins = marginsFor(l.points);
    return lists;
}

TEST(MarginDrawingTest, BandsDrawWhatOneThreadDraws) {
    WorkerPool pool(3);
    for (const OddList& list : OddLists()) {
        SCOPED_TRACE(list.what);
        const float originY = list.scaleY > 0 ? 20 : 180;
        MemoryCanvas alone(220, 220, kBlack), shared(220, 220, kBlack);
        DrawMarginCloud(alone.dc, list.points, list.margins, 1, 5, list.scaleY, originY);
        DrawMarginCloud(shared.dc, list.points, list.margins, 1, 5, list.scaleY, originY, &pool);
        for (int y = 0; y < 220; ++y) {
            for (int x = 0; x < 220; ++x) {
                ASSERT_EQ(GetPixel(alone.dc, x, y), GetPixel(shared.dc, x, y)) << x << ", " << y;
            }
        }
    }
}

// The smallest margin wins however the pixels are found: the same points
// drawn close together and spread far apart give the same pixel.
TEST(MarginDrawingTest, SpreadListsKeepTheSmallestMargin) {
    MemoryCanvas canvas(8, 4, kBlack);
    const PointList points = {D3DXVECTOR3(0.25f, 0.5f, 0), D3DXVECTOR3(0, 0.5f, 0), D3DXVECTOR3(1e9f, 1e9f, 0)};
    const std::vector<uint8_t> margins = {3, 20, 1};
    DrawMarginCloud(canvas.dc, points, margins, 2, 1, 2, 1);
    EXPECT_EQ(Ramp(3), GetPixel(canvas.dc, 1, 2));
}

TEST(MarginDrawingTest, AmpleMarginsAreTheCloudsGreen) {
    MemoryCanvas canvas(6, 6, kBlack);
    const PointList points = {D3DXVECTOR3(-1, -1, 0), D3DXVECTOR3(1, 1, 0)};
    DrawMarginCloud(canvas.dc, points, {30, 90}, 1.5f, 3, 1.5f, 3);
    EXPECT_EQ(COLORREF{0x142000}, GetPixel(canvas.dc, 1, 1));
    EXPECT_EQ(COLORREF{0x142000}, GetPixel(canvas.dc, 4, 4));
}

// One line at the bottom left, in the ramp's colours, and the DC's text
// settings as they were.
TEST(MarginDrawingTest, TheLegendSitsAtTheBottomLeft) {
    MemoryCanvas canvas(700, 850, kBlack);
    SetTextColor(canvas.dc, RGB(1, 2, 3));
    SetBkMode(canvas.dc, OPAQUE);
    DrawMarginLegend(canvas.dc, 850);
    int top = canvas.height, bottom = -1, left = canvas.width, right = -1;
    bool red = false, yellow = false, readable30 = false;
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            COLORREF c = GetPixel(canvas.dc, x, y);
            if (c == kBlack) continue;
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            left = std::min(left, x);
            right = std::max(right, x);
            red = red || c == Ramp(0);
            yellow = yellow || c == Ramp(10);
            // "30+" reads on black: not in the cloud's own dark green that
            // ends the ramp, but in that hue raised to a brightest channel
            // of 200.
            EXPECT_NE(Ramp(30), c) << x << "," << y;
            readable30 = readable30 || c == RGB(0, 200, 125);
        }
    }
    SIZE line = {0, 0};
    GetTextExtentPoint32A(canvas.dc, "0", 1, &line);
    EXPECT_GE(top, 850 - 8 - line.cy) << "one line of text";
    EXPECT_LT(bottom, 850 - 8 + 1);
    // Inset from the left edge; Windows' own font may ink a pixel before
    // the cell it is drawn at.
    EXPECT_GE(left, 4);
    EXPECT_LT(left, 20);
    EXPECT_LT(right, 400);
    EXPECT_TRUE(red);
    EXPECT_TRUE(yellow);
    EXPECT_TRUE(readable30) << "30+ in a colour that reads on black";
    EXPECT_EQ(RGB(1, 2, 3), SetTextColor(canvas.dc, 0));
    EXPECT_EQ(OPAQUE, SetBkMode(canvas.dc, OPAQUE));
}

}  // namespace
