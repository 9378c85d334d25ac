#include <cmath>
#include <cstring>

#include "app_fixture.h"
#include "kinematics/grid.h"
#include "tests/support/pixels.h"

namespace {

void ExpectTarget(float x, float y, float z, const D3DXVECTOR3& actual) {
    EXPECT_FLOAT_EQ(x, actual.x);
    EXPECT_FLOAT_EQ(y, actual.y);
    EXPECT_FLOAT_EQ(z, actual.z);
}

// Every cloud pixel of the current slice shows in the frame unless an axis
// or the leg lies over it, and no other pixel has the cloud's colour.
void ExpectCloudOfCurrentSlice(const AppTest& test, const PixelSet& expected, const PixelSet& seen) {
    (void)test;
    for (const auto& p : seen) {
        ASSERT_TRUE(expected.count(p)) << "stray cloud pixel at " << p.first << "," << p.second;
    }
    for (const auto& p : expected) {
        COLORREF c = GetPixel(app.buffers->frontDC, p.first, p.second);
        ASSERT_TRUE(c == kCloud || c == kRed || c == kBlue || c == kGrey)
            << "cloud pixel " << p.first << "," << p.second << " shows " << std::hex << c;
    }
}

TEST_F(AppTest, FirstFrameShowsCloudAxesLegAndReadout) {
    ASSERT_NE(nullptr, app.leg);
    EXPECT_TRUE(app.leg->workspaceReady);
    EXPECT_EQ(380972u, app.leg->workspace.size());
    ExpectTarget(10, 15, 0, app.lastValidTarget);

    struct { int x, y; COLORREF colour; const char* what; } probes[] = {
        {250, 5, kRed, "vertical axis near the top"},
        {250, 780, kRed, "vertical axis near its end at 800"},
        {250, 830, kBlack, "below the vertical axis' end"},
        {5, 400, kBlue, "horizontal axis at the left edge"},
        {699, 400, kBlue, "horizontal axis runs to the right edge"},
        {320, 400, kGrey, "upper leg over the horizontal axis"},
        {400, 500, kGrey, "lower leg"},
        {400, 624, kGrey, "foot"},
        {620, 800, kBlack, "beyond full stretch, outside the cloud"},
        {680, 840, kBlack, "bottom right corner"},
    };
    for (const auto& p : probes) EXPECT_EQ(p.colour, Front(p.x, p.y)) << p.what;

    ExpectCloudOfCurrentSlice(*this, CloudPixels(), FrontCloudPixels());

    // Readout at the outer width less 44, rows 70, 90, 110: "10", "15", "0".
    RECT rc;
    GetWindowRect(app.hWnd, &rc);
    int x = rc.right - rc.left - 44;
    EXPECT_EQ(656, x);
    EXPECT_EQ(x + TextBoxWidth("10"), TextBoxRight(app.buffers->frontDC, x, 70));
    EXPECT_EQ(x + TextBoxWidth("15"), TextBoxRight(app.buffers->frontDC, x, 90));
    EXPECT_EQ(x + TextBoxWidth("0"), TextBoxRight(app.buffers->frontDC, x, 110));
}

TEST_F(AppTest, WindowShowsThePresentedFrame) {
    int width = 0, height = 0;
    const uint32_t* pixels = TavrinWindowPixels(app.hWnd, &width, &height);
    ASSERT_NE(nullptr, pixels);
    ASSERT_GT(width, 400);
    ASSERT_GT(height, 630);
    // Window pixels are 0x00RRGGBB; the frame's foot is grey, its root axis red.
    EXPECT_EQ(0x969696u, pixels[624 * width + 400]);
    EXPECT_EQ(0xFF0000u, pixels[5 * width + 250]);
}

TEST_F(AppTest, DragMovesTheFootAndKeepsTheLastReachablePose) {
    Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);  // a press alone moves nothing

    Mouse(WM_MOUSEMOVE, 400, 640, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 16, 0, app.target);
    ExpectTarget(10, 16, 0, app.lastValidTarget);
    EXPECT_EQ(kGrey, Front(400, 639));
    EXPECT_EQ(kGrey, Front(399, 415));  // the knee steps by whole degrees
    uint64_t reachable = FrontHash();

    // The root itself is out of reach: the same pose, a new readout.
    Mouse(WM_MOUSEMOVE, 250, 400, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(0, 0, 0, app.target);
    ExpectTarget(10, 16, 0, app.lastValidTarget);
    EXPECT_EQ(kGrey, Front(400, 639));
    EXPECT_NE(reachable, FrontHash());
    EXPECT_EQ(656 + TextBoxWidth("0"), TextBoxRight(app.buffers->frontDC, 656, 70));

    // Left of and above the client area, the capture keeps the moves coming.
    Mouse(WM_MOUSEMOVE, -10, -10, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_NEAR(-17.333, app.target.x, 1e-3);
    EXPECT_NEAR(-27.333, app.target.y, 1e-3);
    EXPECT_EQ(656 + TextBoxWidth("-17"), TextBoxRight(app.buffers->frontDC, 656, 70));
    EXPECT_EQ(656 + TextBoxWidth("-27"), TextBoxRight(app.buffers->frontDC, 656, 90));

    Mouse(WM_LBUTTONUP, -10, -10, 0);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.dragging);
    D3DXVECTOR3 before = app.target;
    Mouse(WM_MOUSEMOVE, 400, 640, 0);
    ASSERT_TRUE(Pump());
    ExpectTarget(before.x, before.y, before.z, app.target);
}

TEST_F(AppTest, MovesWithoutAPressChangeNothing) {
    uint64_t first = FrontHash();
    Mouse(WM_MOUSEMOVE, 400, 640, 0);
    Mouse(WM_MOUSEMOVE, 100, 100, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
    EXPECT_EQ(first, FrontHash());
}

TEST_F(AppTest, RightReleaseEndsADragAndRightPressDoesNothing) {
    Mouse(WM_RBUTTONDOWN, 300, 300, MK_RBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.dragging);
    Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    Mouse(WM_RBUTTONUP, 300, 300, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.dragging);
    Mouse(WM_MOUSEMOVE, 400, 640, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
}

TEST_F(AppTest, LosingTheCaptureEndsTheDrag) {
    Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ASSERT_TRUE(app.dragging);
    // The system takes the capture away, as when the window loses the focus.
    ReleaseCapture();
    EXPECT_FALSE(app.dragging);
    Mouse(WM_MOUSEMOVE, 400, 640, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
}

TEST_F(AppTest, ReadoutShowsLongNumbersWhole) {
    // Pointer x = 250 - 100 * 15 maps to exactly -100. The capture, which
    // lets a move outside the window through, comes with the dispatched press.
    Mouse(WM_LBUTTONDOWN, 300, 300, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    Mouse(WM_MOUSEMOVE, -1250, 400 + 2 * 15, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(-100, 2, 0, app.target);
    EXPECT_EQ(656 + TextBoxWidth("-100"), TextBoxRight(app.buffers->frontDC, 656, 70));
    EXPECT_EQ(656 + TextBoxWidth("2"), TextBoxRight(app.buffers->frontDC, 656, 90));
}

// The readout sits at the outer width less 44 while the text fits in the
// 700-pixel frame there; otherwise it ends at the frame's right edge.
TEST_F(AppTest, ReadoutStaysInsideTheFrame) {
    const struct {
        int outerWidth;
        float x;
        const char* text;
        int left;  // -1: ends at the frame's edge
    } rows[] = {
        {700, 10, "10", 656},
        {600, -1234, "-1234", 556},
        {700, -1234567, "-1234567", -1},
        {800, 10, "10", -1},
        {32767, -101, "-101", -1},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(TavrinResizeWindow(app.hWnd, row.outerWidth, 850)) << row.outerWidth;
        app.target.x = row.x;
        PostMessageA(app.hWnd, WM_REDRAW, 0, 0);
        ASSERT_TRUE(Pump());
        int width = TextBoxWidth(row.text);
        int left = row.left >= 0 ? row.left : 700 - width;
        EXPECT_EQ(left + width, TextBoxRight(app.buffers->frontDC, left, 70)) << row.text << " at width " << row.outerWidth;
        EXPECT_EQ(kBlack, Front(left - 1, 75)) << row.text << " at width " << row.outerWidth;
    }
}

TEST_F(AppTest, ArrowKeysStepTheTargetByOneUnit) {
    const struct { int vk; float dx, dy; } rows[] = {
        {VK_UP, 0, -1},
        {VK_DOWN, 0, 1},
        {VK_LEFT, -1, 0},
        {VK_RIGHT, 1, 0},
    };
    for (const auto& r : rows) {
        D3DXVECTOR3 before = app.target;
        TapKey(r.vk);
        ASSERT_TRUE(Pump());
        ExpectTarget(before.x + r.dx, before.y + r.dy, before.z, app.target);
    }
    // (10, 15) again after one step each way; the frame is the first one's.
    EXPECT_EQ(kGrey, Front(400, 624));
}

TEST_F(AppTest, AnyKeyReleaseRedrawsEvenWhenNothingMoves) {
    uint64_t first = FrontHash();
    // Draw something that only a fresh frame would wipe out.
    SetPixel(app.buffers->frontDC, 5, 5, 0x123456);
    TapKey(VK_SPACE);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
    EXPECT_EQ(first, FrontHash());
}

TEST_F(AppTest, HeldKeysActOnlyOnTheirOwnCleanRelease) {
    // A held arrow repeats its press but moves once, at the release.
    TavrinInjectKey(VK_RIGHT, true);
    TavrinInjectKey(VK_RIGHT, true);
    TavrinInjectKey(VK_RIGHT, true);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
    TavrinInjectKey(VK_RIGHT, false);
    ASSERT_TRUE(Pump());
    ExpectTarget(11, 15, 0, app.target);

    // Released while another key is still down: the held one reads as down,
    // that query clears its "pressed since" bit, and its own release then
    // finds nothing to act on.
    TavrinInjectKey(VK_LEFT, true);
    TapKey(VK_SPACE);
    ASSERT_TRUE(Pump());
    TavrinInjectKey(VK_LEFT, false);
    ASSERT_TRUE(Pump());
    ExpectTarget(11, 15, 0, app.target);
}

TEST_F(AppTest, KeypadPlusShowsTheNextSliceOnly) {
    TapKey(VK_ADD);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 1, app.target);

    Leg reference;
    reference.SetTarget(D3DXVECTOR3(0, 0, 1));
    reference.ComputeWorkspace();
    ASSERT_EQ(reference.workspace.size(), app.leg->workspace.size());
    PixelSet expected = CloudPixels();
    ExpectCloudOfCurrentSlice(*this, expected, FrontCloudPixels());
    // Every workspace-buffer pixel is either black or the new slice's cloud.
    for (int y = 0; y < app.buffers->bufferHeight; y += 1) {
        for (int x = 0; x < app.buffers->bufferWidth; ++x) {
            COLORREF c = GetPixel(app.buffers->workspaceDC, x, y);
            bool inCloud = expected.count({x, y}) > 0;
            ASSERT_EQ(inCloud ? kCloud : kBlack, c) << x << "," << y;
        }
    }
    EXPECT_EQ(656 + TextBoxWidth("1"), TextBoxRight(app.buffers->frontDC, 656, 110));

    TapKey(VK_SUBTRACT);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
    EXPECT_EQ(380972u, app.leg->workspace.size());
}

TEST_F(AppTest, BothKeypadKeysBeforeOnePollLeaveTheDepth) {
    uint64_t first = FrontHash();
    TapKey(VK_ADD);
    TapKey(VK_SUBTRACT);
    ASSERT_TRUE(Pump());
    ExpectTarget(10, 15, 0, app.target);
    EXPECT_EQ(380972u, app.leg->workspace.size());
    EXPECT_EQ(first, FrontHash());
}

TEST_F(AppTest, DepthChangeOutOfReachRebuildsAtTheRequestedDepth) {
    // Each tap is polled on its own: presses before one poll would merge.
    for (int i = 0; i < 20; ++i) {
        TapKey(VK_ADD);
        ASSERT_TRUE(Pump());
    }
    ExpectTarget(10, 15, 20, app.target);
    // (10, 15, 20) is out of reach: the leg keeps the last pose that
    // solved, at depth 17, while the cloud is that of depth 20.
    ExpectTarget(10, 15, 17, app.lastValidTarget);
    EXPECT_EQ(kGrey, Front(400, 624));
    Leg reference;
    reference.SetTarget(D3DXVECTOR3(0, 0, 20));
    reference.ComputeWorkspace();
    EXPECT_EQ(reference.workspace.size(), app.leg->workspace.size());
}

TEST_F(AppTest, CloseEndsTheLoop) {
    TavrinInjectClose(app.hWnd);
    EXPECT_FALSE(Pump());
    EXPECT_TRUE(quit);
}

TEST_F(AppTest, NoGdiObjectLeaksOverManyFrames) {
    HANDLE process = GetCurrentProcess();
    DWORD before = GetGuiResources(process, GR_GDIOBJECTS);
    for (int i = 0; i < 2000; ++i) {
        Mouse(WM_LBUTTONDOWN, 400, 600, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, 200 + i % 400, 300 + i % 300, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, 200 + i % 400, 300 + i % 300, 0);
        if (i % 200 == 0) TapKey(i % 400 == 0 ? VK_ADD : VK_SUBTRACT);
        ASSERT_TRUE(Pump());
    }
    EXPECT_EQ(before, GetGuiResources(process, GR_GDIOBJECTS));
}

// Drawing the front buffer into the window marks it; giving the DC back
// shows it. A frame is presented once, not once per drawing call and once
// more at ReleaseDC; a turn of the loop with nothing new presents once too,
// and shows the same pixels.
TEST_F(AppTest, EachTurnOfTheLoopPresentsTheWindowOnce) {
    unsigned before = TavrinPresentations(app.hWnd);
    Mouse(WM_LBUTTONDOWN, 400, 600, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 380, 590, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(before + 1, TavrinPresentations(app.hWnd));
    TapKey(VK_ADD);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(before + 2, TavrinPresentations(app.hWnd));
    ASSERT_TRUE(Pump());
    EXPECT_EQ(before + 3, TavrinPresentations(app.hWnd));
}

// The default leg's start target solves: its title never carries a note.
TEST_F(AppTest, TheDefaultLegKeepsThePlainTitle) {
    char text[64];
    int length = GetWindowTextA(app.hWnd, text, sizeof text);
    EXPECT_EQ("Tavrin FrontView", std::string(text, static_cast<size_t>(length)));
}

TEST(FormatIntTest, WritesLikePercentD) {
    const struct { int value; const char* text; } rows[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {-100, "-100"}, {123456, "123456"},
        {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"},
    };
    for (const auto& r : rows) EXPECT_EQ(r.text, FormatInt(r.value));
}

}  // namespace
