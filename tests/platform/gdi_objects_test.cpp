// GDI object rules: what a new DC holds, the formats of compatible bitmaps,
// selection and deletion as Windows does them, handles that are wrong, and
// the object count.
#include <gtest/gtest.h>

#include "platform/gdi_dc.h"
#include "platform/win32.h"

namespace {

// The drawing floor's own count, which GetGuiResources reports one floor up.
DWORD GdiCount() { return static_cast<DWORD>(tavrin::LiveGdiObjectCount()); }

TEST(MemoryDc, StartsWithWindowsDefaults) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, dc);
    // A 1 x 1 monochrome bitmap, black.
    EXPECT_EQ(0x000000u, GetPixel(dc, 0, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, 1, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 1));
    // Stock black pen and white brush, swapped out and back.
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    EXPECT_EQ(GetStockObject(BLACK_PEN), SelectObject(dc, pen));
    EXPECT_EQ(static_cast<HGDIOBJ>(pen), SelectObject(dc, GetStockObject(BLACK_PEN)));
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), SelectObject(dc, GetStockObject(BLACK_BRUSH)));
    // Colours, mode and position.
    EXPECT_EQ(0x000000u, SetTextColor(dc, RGB(9, 9, 9)));
    EXPECT_EQ(0xFFFFFFu, SetBkColor(dc, RGB(9, 9, 9)));
    EXPECT_EQ(OPAQUE, SetBkMode(dc, TRANSPARENT));
    POINT previous = {-1, -1};
    EXPECT_TRUE(MoveToEx(dc, 5, 6, &previous));
    EXPECT_EQ(0, previous.x);
    EXPECT_EQ(0, previous.y);
    DeleteObject(pen);
    DeleteDC(dc);
}

TEST(MemoryDc, MonochromeBitmapTakesTheNearerOfBlackAndWhite) {
    HDC dc = CreateCompatibleDC(nullptr);
    struct Case {
        COLORREF asked;
        COLORREF stored;
    } cases[] = {
        {0x808080, 0xFFFFFF},  // just past the middle: white
        {0x7F7F7F, 0x000000},  // just below it: black
        {0x0000FF, 0x000000},  // pure red is nearer black
        {0xFFFF00, 0xFFFFFF},  // cyan is nearer white
    };
    for (const Case& c : cases) {
        // Twice: the second call finds the colour already converted.
        for (int time = 0; time < 2; ++time) {
            EXPECT_EQ(c.stored, SetPixel(dc, 0, 0, c.asked)) << std::hex << c.asked;
            EXPECT_EQ(c.stored, GetPixel(dc, 0, 0)) << std::hex << c.asked;
        }
    }
    // The first bitmap is one shared stock bitmap; leave it black.
    SetPixel(dc, 0, 0, 0);
    DeleteDC(dc);
}

TEST(CompatibleBitmap, TakesTheTemplateFormat) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    // Of the screen: 32 bits a pixel, all black, any colour kept.
    HBITMAP colour = CreateCompatibleBitmap(screen, 3, 2);
    ASSERT_NE(nullptr, colour);
    HGDIOBJ initial = SelectObject(dc, colour);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(0u, GetPixel(dc, x, y));
    }
    EXPECT_EQ(RGB(10, 200, 30), SetPixel(dc, 2, 1, RGB(10, 200, 30)));
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(dc, 2, 1));
    // Of a memory DC: its selected bitmap's format, colour here...
    HBITMAP alsoColour = CreateCompatibleBitmap(dc, 2, 2);
    // ...and monochrome for a DC that still holds its first bitmap.
    HDC fresh = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(fresh, 2, 2);
    HDC probe = CreateCompatibleDC(nullptr);
    SelectObject(probe, alsoColour);
    EXPECT_EQ(RGB(10, 200, 30), SetPixel(probe, 0, 0, RGB(10, 200, 30)));
    SelectObject(probe, mono);
    EXPECT_EQ(0u, SetPixel(probe, 0, 0, RGB(10, 200, 30)));
    // Empty sizes give a 1 x 1 bitmap; negative ones and bad DCs nothing.
    EXPECT_NE(nullptr, CreateCompatibleBitmap(screen, 0, 5));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(screen, -1, 5));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(nullptr, 4, 4));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(screen, 1 << 20, 1 << 20));
    DeleteDC(probe);
    DeleteDC(fresh);
    DeleteObject(mono);
    DeleteObject(alsoColour);
    SelectObject(dc, initial);
    DeleteObject(colour);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST(ObjectLifetime, StockObjectsSurviveDeletion) {
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    ASSERT_NE(nullptr, black);
    EXPECT_TRUE(DeleteObject(black));
    EXPECT_EQ(black, GetStockObject(BLACK_BRUSH));
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_NE(nullptr, SelectObject(dc, black));
    // The first bitmap of a DC is stock too: the buffer idiom deletes it.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
    HGDIOBJ initial = SelectObject(dc, bitmap);
    EXPECT_TRUE(DeleteObject(initial));
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_NE(CLR_INVALID, GetPixel(other, 0, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(other, 1, 0));
    DeleteDC(other);
    DeleteDC(dc);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(nullptr, GetStockObject(-1));
    EXPECT_EQ(nullptr, GetStockObject(1000));
}

TEST(ObjectLifetime, SelectedObjectIsFreedOnlyWhenReleased) {
    HDC dc = CreateCompatibleDC(nullptr);
    DWORD before = GdiCount();
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
    HGDIOBJ old = SelectObject(dc, pen);
    // Windows reports success but keeps the pen while it is selected.
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(before + 1, GdiCount());
    EXPECT_EQ(static_cast<HGDIOBJ>(pen), SelectObject(dc, old));
    EXPECT_EQ(before, GdiCount());
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(nullptr, SelectObject(dc, pen));

    // Deleting the DC releases what it held.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
    SelectObject(dc, bitmap);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteObject(bitmap));
    ReleaseDC(nullptr, screen);
}

TEST(ObjectLifetime, BitmapLivesInOneDcAtATime) {
    HDC screen = GetDC(nullptr);
    HDC a = CreateCompatibleDC(screen), b = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
    EXPECT_NE(nullptr, SelectObject(a, bitmap));
    EXPECT_EQ(nullptr, SelectObject(b, bitmap));
    // Selecting it again into the same DC is fine.
    EXPECT_EQ(static_cast<HGDIOBJ>(bitmap), SelectObject(a, bitmap));
    // Only memory DCs hold bitmaps.
    EXPECT_EQ(nullptr, SelectObject(screen, bitmap));
    DeleteDC(a);
    DeleteDC(b);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

TEST(ObjectLifetime, WrongHandlesFailLikeWindows) {
    HDC deleted = CreateCompatibleDC(nullptr);
    DeleteDC(deleted);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HDC bogus[] = {
        nullptr,                                                   // null
        deleted,                                                   // stale
        reinterpret_cast<HDC>(pen),                                // a pen, not a DC
        reinterpret_cast<HDC>(static_cast<uintptr_t>(0x1234)),    // made up
        reinterpret_cast<HDC>(~static_cast<uintptr_t>(0)),         // all ones
    };
    HDC good = CreateCompatibleDC(nullptr);
    for (HDC dc : bogus) {
        SCOPED_TRACE(reinterpret_cast<uintptr_t>(dc));
        EXPECT_EQ(nullptr, SelectObject(dc, GetStockObject(BLACK_PEN)));
        EXPECT_FALSE(MoveToEx(dc, 1, 1, nullptr));
        EXPECT_FALSE(LineTo(dc, 2, 2));
        EXPECT_FALSE(Rectangle(dc, 0, 0, 2, 2));
        EXPECT_EQ(CLR_INVALID, SetPixel(dc, 0, 0, 0));
        EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 0));
        EXPECT_FALSE(TextOutA(dc, 0, 0, "x", 1));
        EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, good, 0, 0, SRCCOPY));
        EXPECT_FALSE(BitBlt(good, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
        EXPECT_EQ(nullptr, CreateCompatibleBitmap(dc, 1, 1));
        EXPECT_FALSE(DeleteDC(dc));
        EXPECT_EQ(0, ReleaseDC(nullptr, dc));
        EXPECT_EQ(CLR_INVALID, SetTextColor(dc, 0));
        // Not a GDI object to select either.
        EXPECT_EQ(nullptr, SelectObject(good, reinterpret_cast<HGDIOBJ>(dc == reinterpret_cast<HDC>(pen) ? nullptr : dc)));
    }
    EXPECT_FALSE(DeleteObject(nullptr));
    EXPECT_FALSE(DeleteObject(deleted));
    EXPECT_EQ(nullptr, CreateCompatibleDC(deleted));
    DeleteObject(pen);
    DeleteDC(good);
}

TEST(GuiResources, CountsLiveObjectsNotStockOnes) {
    DWORD start = GdiCount();
    GetStockObject(BLACK_BRUSH);
    GetStockObject(NULL_PEN);
    EXPECT_EQ(start, GdiCount());

    // Every create/delete pair leaves the count as it was.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(start + 5, GdiCount());
    ReleaseDC(nullptr, screen);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteObject(pen);
    DeleteObject(brush);
    EXPECT_EQ(start, GdiCount());

    // A leak shows.
    HPEN leaked = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(start + 1, GdiCount());
    DeleteObject(leaked);
}

}  // namespace
