// TextOutA with the built-in font: the opaque box, the System font's cell
// height and advances, colours and transparency, and clipping.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32.h"
#include "tests/support/pixels.h"

namespace {

const COLORREF kPaper = RGB(0x12, 0x34, 0x56);

class TextCanvas : public ::testing::Test {
protected:
    // The bounding box of pixels that are no longer paper.
    RECT Touched() const {
        RECT r = {kWidth, kHeight, 0, 0};
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (GetPixel(dc, x, y) == kPaper) continue;
                if (x < r.left) r.left = x;
                if (y < r.top) r.top = y;
                if (x + 1 > r.right) r.right = x + 1;
                if (y + 1 > r.bottom) r.bottom = y + 1;
            }
        }
        return r;
    }
    int Count(COLORREF c) const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) n += GetPixel(dc, x, y) == c;
        }
        return n;
    }

    static constexpr int kWidth = 100, kHeight = 24;
    MemoryCanvas canvas{kWidth, kHeight, kPaper};
    HDC dc = canvas.dc;
};

TEST_F(TextCanvas, OpaqueBoxIsTheExtentByTheCellHeight) {
    struct Case {
        const char* text;
        int width;  // sum of the System font's advances
    } cases[] = {
        {"-0123456789", 74},  // '-' 4, digits 7 each
        {"Hello", 30},        // H 8, e 7, l 4, l 4, o 7
        {"MW", 21},           // the widest capitals
        {"i.", 8},            // the narrowest
        {"656", 21},          // a readout
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(TextOutA(dc, 3, 4, c.text, static_cast<int>(std::string(c.text).size())));
        RECT box = Touched();
        EXPECT_EQ(3, box.left) << c.text;
        EXPECT_EQ(4, box.top) << c.text;
        EXPECT_EQ(3 + c.width, box.right) << c.text;
        EXPECT_EQ(4 + 16, box.bottom) << c.text;
        // Black glyphs on white, nothing else.
        int black = Count(0x000000), white = Count(0xFFFFFF);
        EXPECT_GT(black, 0) << c.text;
        EXPECT_EQ(c.width * 16, black + white) << c.text;
        canvas.Fill(kPaper);
    }
}

TEST_F(TextCanvas, DigitOneGlyph) {
    TextOutA(dc, 0, 0, "1", 1);
    // The cell of '1' (advance 7); ink '#', background '.'.
    const char* rows[16] = {
        ".......", ".......", ".......", ".......",
        "...#...", "..##...", ".#.#...", "...#...",
        "...#...", "...#...", "...#...", "...#...",
        ".#####.", ".......", ".......", ".......",
    };
    for (int y = 0; y < 16; ++y) {
        std::string row;
        for (int x = 0; x < 7; ++x) row += GetPixel(dc, x, y) == 0 ? '#' : '.';
        EXPECT_EQ(rows[y], row) << "row " << y;
    }
}

TEST_F(TextCanvas, ColoursAndTransparency) {
    TextOutA(dc, 0, 0, "Tavrin", 6);
    std::vector<bool> ink;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) ink.push_back(GetPixel(dc, x, y) == 0);
    }
    canvas.Fill(kPaper);
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, 0, 0, "Tavrin", 6);
    // The same glyph pixels in the new colour; the background untouched.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            COLORREF expected = ink[static_cast<size_t>(y * kWidth + x)] ? RGB(255, 0, 0) : kPaper;
            ASSERT_EQ(expected, GetPixel(dc, x, y)) << x << "," << y;
        }
    }
}

TEST_F(TextCanvas, ClippedAtEveryEdgeAndOddInput) {
    // Partly outside on each side: only the part inside is drawn.
    EXPECT_TRUE(TextOutA(dc, -5, -6, "88", 2));
    EXPECT_EQ(0, Touched().left);
    EXPECT_EQ(0, Touched().top);
    EXPECT_TRUE(TextOutA(dc, kWidth - 3, kHeight - 4, "88", 2));
    EXPECT_EQ(kWidth, Touched().right);
    EXPECT_EQ(kHeight, Touched().bottom);
    EXPECT_TRUE(TextOutA(dc, -2147483647 - 1, 2147483600, "far", 3));
    canvas.Fill(kPaper);
    // A count of 0 draws nothing; a negative one fails.
    EXPECT_TRUE(TextOutA(dc, 0, 0, "abc", 0));
    EXPECT_FALSE(TextOutA(dc, 0, 0, "abc", -1));
    EXPECT_FALSE(TextOutA(dc, 0, 0, nullptr, 2));
    EXPECT_EQ(kWidth * kHeight, Count(kPaper));
    // Characters outside printable ASCII still take a cell.
    EXPECT_TRUE(TextOutA(dc, 0, 0, "\x01\xff", 2));
    EXPECT_EQ(14, Touched().right);
}

}  // namespace
