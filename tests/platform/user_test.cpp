// USER, headless: window creation and its messages, the frame, queue order,
// paint and erase, closing, key state, capture, and stale window handles.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/test_hooks.h"
#include "platform/win32.h"

namespace {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;
LRESULT createResult = 0;
bool paintWithBeginPaint = true;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({hWnd, message, wParam, lParam});
    switch (message) {
    case WM_CREATE:
        return createResult;
    case WM_PAINT:
        if (!paintWithBeginPaint) return 0;
        break;
    case WM_DESTROY:
        PostQuitMessage(3);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        TavrinResetForTests();
        seen.clear();
        createResult = 0;
        paintWithBeginPaint = true;
        Register("Rec", CS_HREDRAW | CS_VREDRAW, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWTEXT + 1)));
    }
    void TearDown() override { TavrinResetForTests(); }

    static void Register(const char* name, UINT style, HBRUSH background) {
        WNDCLASSA wc = {};
        wc.style = style;
        wc.lpfnWndProc = RecordingProc;
        wc.hbrBackground = background;
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        ASSERT_NE(0, RegisterClassA(&wc));
    }
    static HWND Create(const char* cls = "Rec") {
        return CreateWindowExA(0, cls, "Title", WS_OVERLAPPEDWINDOW, 50, 50, 700, 850, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    static HWND CreateShown(const char* cls = "Rec") {
        HWND h = Create(cls);
        ShowWindow(h, SW_SHOWNORMAL);
        UpdateWindow(h);
        seen.clear();
        return h;
    }
    // Dispatches everything waiting; the messages taken, in order.
    static std::vector<UINT> Drain() {
        std::vector<UINT> order;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            order.push_back(msg.message);
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return order;
    }
    static std::vector<UINT> Messages() {
        std::vector<UINT> m;
        for (const Seen& s : seen) m.push_back(s.message);
        return m;
    }
    static int Find(UINT message) {
        for (size_t i = 0; i < seen.size(); ++i) {
            if (seen[i].message == message) return static_cast<int>(i);
        }
        return -1;
    }
    static uint32_t Pixel(HWND h, int x, int y) {
        int w = 0, ht = 0;
        const uint32_t* p = TavrinWindowPixels(h, &w, &ht);
        return p[static_cast<size_t>(y) * w + x];
    }
};

TEST_F(UserTest, RunsHeadlessHere) { EXPECT_TRUE(TavrinIsHeadless()); }

TEST_F(UserTest, CreateDeliversCreateBeforeReturning) {
    HWND h = Create();
    ASSERT_NE(nullptr, h);
    ASSERT_GE(Find(WM_CREATE), 1);
    EXPECT_EQ(WM_NCCREATE, seen[0].message);
    EXPECT_EQ(h, seen[static_cast<size_t>(Find(WM_CREATE))].hwnd);
    // Not visible until shown.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, CreateFailsWhenCreateSaysMinusOne) {
    createResult = -1;
    EXPECT_EQ(nullptr, Create());
    EXPECT_GE(Find(WM_DESTROY), 0);
    EXPECT_EQ(nullptr, CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(nullptr, CreateWindowExA(0, nullptr, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    // A class registers once.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "Rec";
    EXPECT_EQ(0, RegisterClassA(&wc));
}

TEST_F(UserTest, OuterFrameAndClientArea) {
    HWND h = Create();
    RECT rc, client;
    ASSERT_TRUE(GetWindowRect(h, &rc));
    EXPECT_EQ(50, rc.left);
    EXPECT_EQ(50, rc.top);
    EXPECT_EQ(750, rc.right);
    EXPECT_EQ(900, rc.bottom);
    // Windows 10's frame: 8 pixels at the sides and bottom, 31 at the top.
    ASSERT_TRUE(GetClientRect(h, &client));
    EXPECT_EQ(684, client.right);
    EXPECT_EQ(811, client.bottom);
}

TEST_F(UserTest, QueueOrderPostedThenQuitThenInputThenPaint) {
    HWND h = Create();
    ShowWindow(h, SW_SHOWNORMAL);  // the window is now invalid: a paint is due
    TavrinInjectKey('A', true);
    PostMessageA(h, WM_USER + 1, 0, 0);
    PostQuitMessage(0);
    PostMessageA(h, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);  // a thread message
    std::vector<UINT> expected = {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_QUIT, WM_KEYDOWN, WM_CHAR, WM_PAINT};
    EXPECT_EQ(expected, Drain());
    // Nothing left, and asking does not wait.
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, PeekFiltersAndNoRemove) {
    HWND h = Create();
    PostMessageA(h, WM_USER + 1, 0, 0);
    PostMessageA(h, WM_USER + 2, 0, 0);
    PostQuitMessage(0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_USER + 2), msg.message);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_USER + 1), msg.message);
    // A window filter never takes WM_QUIT.
    ASSERT_TRUE(PeekMessageA(&msg, h, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&msg, h, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

// The loop's wait: at once when anything is waiting (a posted message, the
// quit, input, a paint), the whole timeout when nothing comes, and only the
// form a message loop uses.
TEST_F(UserTest, MsgWaitReturnsAtOnceForWhatIsWaitingAndSleepsOtherwise) {
    HWND h = CreateShown();
    Drain();
    const std::vector<std::function<void()>> waiting = {
        [h] { PostMessageA(h, WM_USER, 0, 0); },
        [] { PostQuitMessage(0); },
        [] { TavrinInjectKey('A', true); },
        [h] { InvalidateRect(h, nullptr, FALSE); },
    };
    for (size_t i = 0; i < waiting.size(); ++i) {
        waiting[i]();
        EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT))
            << "case " << i;
        Drain();
    }
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), MsgWaitForMultipleObjects(0, nullptr, FALSE, 30, QS_ALLINPUT));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT));
    HANDLE object = GetCurrentProcess();
    EXPECT_EQ(WAIT_FAILED, MsgWaitForMultipleObjects(1, &object, FALSE, 0, QS_ALLINPUT));
}

TEST_F(UserTest, PaintStaysDueUntilValidated) {
    paintWithBeginPaint = false;
    HWND h = Create();
    ShowWindow(h, SW_SHOWNORMAL);
    MSG msg;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(static_cast<UINT>(WM_PAINT), msg.message);
        DispatchMessageA(&msg);
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(0, ps.rcPaint.left);
    EXPECT_EQ(684, ps.rcPaint.right);
    EXPECT_EQ(811, ps.rcPaint.bottom);
    EXPECT_TRUE(EndPaint(h, &ps));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, EraseFillsWithTheClassBrush) {
    HBRUSH own = CreateSolidBrush(RGB(1, 2, 3));
    struct Case {
        const char* cls;
        HBRUSH brush;
        uint32_t pixel;  // 0x00RRGGBB
    } cases[] = {
        {"WindowText", reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWTEXT + 1)), 0x000000},
        {"Window", reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)), 0xFFFFFF},
        {"BtnFace", reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)), 0xF0F0F0},
        {"Stock", static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)), 0x808080},
        {"Own", own, 0x010203},
    };
    for (const Case& c : cases) {
        Register(c.cls, 0, c.brush);
        HWND h = Create(c.cls);
        // Paint something else first, so the erase shows.
        HDC dc = GetDC(h);
        SelectObject(dc, GetStockObject(WHITE_PEN));
        MoveToEx(dc, 0, 5, nullptr);
        LineTo(dc, 100, 5);
        ReleaseDC(h, dc);
        ShowWindow(h, SW_SHOWNORMAL);
        UpdateWindow(h);
        EXPECT_EQ(c.pixel, Pixel(h, 0, 0)) << c.cls;
        EXPECT_EQ(c.pixel, Pixel(h, 50, 5)) << c.cls;
        EXPECT_EQ(c.pixel, Pixel(h, 683, 810)) << c.cls;
        DestroyWindow(h);
    }
    DeleteObject(own);
}

TEST_F(UserTest, ResizeInvalidatesAsTheClassAsks) {
    Register("Plain", 0, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    struct Case {
        const char* cls;
        RECT paint;  // update rectangle after growing 20 wide and 10 high
    } cases[] = {
        {"Rec", {0, 0, 704, 821}},   // CS_HREDRAW | CS_VREDRAW: everything
        {"Plain", {0, 0, 704, 821}}, // only the new strips, whose bounding box is the same...
    };
    for (const Case& c : cases) {
        HWND h = CreateShown(c.cls);
        ASSERT_TRUE(TavrinResizeWindow(h, 720, 860));
        ASSERT_GE(Find(WM_SIZE), 0);
        EXPECT_EQ(MAKELPARAM(704, 821), seen[static_cast<size_t>(Find(WM_SIZE))].lParam);
        paintWithBeginPaint = false;
        PAINTSTRUCT ps;
        BeginPaint(h, &ps);
        EXPECT_EQ(c.paint.left, ps.rcPaint.left) << c.cls;
        EXPECT_EQ(c.paint.right, ps.rcPaint.right) << c.cls;
        EndPaint(h, &ps);
        paintWithBeginPaint = true;
        DestroyWindow(h);
    }
    // ...but growing only in height leaves the old columns valid without
    // CS_VREDRAW's full repaint: the strip below starts at the old bottom.
    HWND h = CreateShown("Plain");
    TavrinResizeWindow(h, 700, 860);
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    EXPECT_EQ(811, ps.rcPaint.top);
    EXPECT_EQ(821, ps.rcPaint.bottom);
    EndPaint(h, &ps);
}

TEST_F(UserTest, CloseDestroysAndDestroyFollows) {
    HWND h = CreateShown();
    TavrinInjectClose(h);
    std::vector<UINT> taken = Drain();
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), taken.front());
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), taken.back());
    int close = Find(WM_CLOSE), destroy = Find(WM_DESTROY), ncdestroy = Find(WM_NCDESTROY);
    EXPECT_LT(close, destroy);
    EXPECT_LT(destroy, ncdestroy);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(UserTest, StaleWindowHandleFailsEverywhere) {
    HWND h = CreateShown();
    HDC windowDc = GetDC(h);
    DestroyWindow(h);
    HWND bogus[] = {h, nullptr, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x4321)), reinterpret_cast<HWND>(windowDc)};
    for (HWND b : bogus) {
        RECT rc;
        PAINTSTRUCT ps;
        EXPECT_FALSE(ShowWindow(b, SW_SHOW));
        EXPECT_FALSE(UpdateWindow(b));
        EXPECT_FALSE(DestroyWindow(b));
        EXPECT_FALSE(GetWindowRect(b, &rc));
        EXPECT_EQ(nullptr, BeginPaint(b, &ps));
        EXPECT_EQ(nullptr, SetCapture(b));
        EXPECT_EQ(0, DefWindowProcA(b, WM_CLOSE, 0, 0));
        EXPECT_EQ(nullptr, TavrinWindowPixels(b, nullptr, nullptr));
        if (b) {
            EXPECT_FALSE(PostMessageA(b, WM_USER, 0, 0));
            EXPECT_EQ(nullptr, GetDC(b));
        }
    }
    // The DC of a window that is gone draws nowhere, without harm.
    EXPECT_EQ(CLR_INVALID, GetPixel(windowDc, 0, 0));
    EXPECT_TRUE(LineTo(windowDc, 10, 10));
    EXPECT_EQ(1, ReleaseDC(h, windowDc));
    MSG msg = {};
    msg.hwnd = h;
    msg.message = WM_USER;
    EXPECT_EQ(0, DispatchMessageA(&msg));
}

TEST_F(UserTest, AsyncKeyState) {
    CreateShown();
    struct Step {
        int down;        // 1 press, 0 release, -1 only query
        SHORT expected;  // GetAsyncKeyState right after
    } steps[] = {
        {-1, 0},                              // never touched
        {1, static_cast<SHORT>(0x8001)},      // down, pressed since last query
        {-1, static_cast<SHORT>(0x8000)},     // still down; the query cleared bit 0
        {0, 0},                               // released, already reported
        {1, static_cast<SHORT>(0x8001)},
        {0, 0},
    };
    for (const Step& s : steps) {
        if (s.down >= 0) TavrinInjectKey(VK_UP, s.down == 1);
        EXPECT_EQ(s.expected, GetAsyncKeyState(VK_UP));
    }
    // Pressed and released between two queries: exactly 1, once.
    TavrinInjectKey(VK_ADD, true);
    TavrinInjectKey(VK_ADD, false);
    EXPECT_EQ(1, GetAsyncKeyState(VK_ADD));
    EXPECT_EQ(0, GetAsyncKeyState(VK_ADD));
    // Each key has its own state; out-of-range keys are 0.
    EXPECT_EQ(0, GetAsyncKeyState(VK_DOWN));
    EXPECT_EQ(0, GetAsyncKeyState(-1));
    EXPECT_EQ(0, GetAsyncKeyState(256));
}

TEST_F(UserTest, KeysReachTheFocusWindowAsMessages) {
    HWND first = CreateShown();
    HWND second = CreateShown();
    TavrinInjectKey(VK_SUBTRACT, true);
    TavrinInjectKey(VK_SUBTRACT, true);  // held: a repeat
    TavrinInjectKey(VK_SUBTRACT, false);
    Drain();
    std::vector<Seen> keys;
    for (const Seen& s : seen) {
        if (s.message == WM_KEYDOWN || s.message == WM_KEYUP) keys.push_back(s);
    }
    ASSERT_EQ(3u, keys.size());
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), keys[0].message);
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), keys[1].message);
    EXPECT_EQ(static_cast<UINT>(WM_KEYUP), keys[2].message);
    for (const Seen& k : keys) {
        EXPECT_EQ(second, k.hwnd);
        EXPECT_EQ(static_cast<WPARAM>(VK_SUBTRACT), k.wParam);
    }
    // Bit 30: the key was down before (the repeat and the release).
    EXPECT_EQ(0, keys[0].lParam >> 30 & 1);
    EXPECT_EQ(1, keys[1].lParam >> 30 & 1);
    EXPECT_EQ(1, keys[2].lParam >> 31 & 1);
    (void)first;
}

TEST_F(UserTest, CaptureKeepsPointerMovesOutside) {
    HWND h = CreateShown();
    struct Move {
        int x, y;
        bool captured;
        bool delivered;
    } moves[] = {
        {10, 20, false, true},    // inside
        {-5, 20, false, false},   // outside without the capture: lost
        {684, 0, false, false},   // just past the right edge
        {-5, -7, true, true},     // outside with the capture: negative coordinates
        {2000, 900, true, true},  // far outside
    };
    for (const Move& m : moves) {
        if (m.captured) {
            SetCapture(h);
        } else {
            ReleaseCapture();
        }
        seen.clear();
        TavrinInjectMouse(WM_MOUSEMOVE, m.x, m.y, MK_LBUTTON);
        Drain();
        int at = Find(WM_MOUSEMOVE);
        ASSERT_EQ(m.delivered, at >= 0) << m.x << "," << m.y;
        if (at < 0) continue;
        EXPECT_EQ(m.x, GET_X_LPARAM(seen[static_cast<size_t>(at)].lParam));
        EXPECT_EQ(m.y, GET_Y_LPARAM(seen[static_cast<size_t>(at)].lParam));
        EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON), seen[static_cast<size_t>(at)].wParam);
    }
    // Releasing tells the window it lost the capture, once.
    seen.clear();
    EXPECT_EQ(h, GetCapture());
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(std::vector<UINT>{WM_CAPTURECHANGED}, Messages());
    EXPECT_EQ(nullptr, GetCapture());
}

// Pointer events find their window when they are taken out: what happened
// outside before the press was handled reaches the window if handling the
// press took the capture, and is lost if it did not.
TEST_F(UserTest, PointerEventsBeforeTheCaptureFollowIt) {
    HWND h = CreateShown();
    for (bool takeCapture : {true, false}) {
        ReleaseCapture();
        seen.clear();
        TavrinInjectMouse(WM_LBUTTONDOWN, 400, 640, MK_LBUTTON);
        TavrinInjectMouse(WM_MOUSEMOVE, -50, -60, MK_LBUTTON);
        TavrinInjectMouse(WM_LBUTTONUP, -50, -60, 0);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        ASSERT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), msg.message);
        if (takeCapture) SetCapture(h);
        std::vector<UINT> expected;
        if (takeCapture) expected = {WM_MOUSEMOVE, WM_LBUTTONUP};
        EXPECT_EQ(expected, Drain()) << "capture taken: " << takeCapture;
        if (!takeCapture) continue;
        int at = Find(WM_MOUSEMOVE);
        ASSERT_GE(at, 0);
        EXPECT_EQ(-50, GET_X_LPARAM(seen[static_cast<size_t>(at)].lParam));
        EXPECT_EQ(-60, GET_Y_LPARAM(seen[static_cast<size_t>(at)].lParam));
    }
}

// As on Windows, moves in a row merge into the last one; a button between
// them keeps them apart. A storm of moves is one message.
TEST_F(UserTest, ConsecutiveMovesMerge) {
    HWND h = CreateShown();
    for (int i = 0; i < 100000; ++i) TavrinInjectMouse(WM_MOUSEMOVE, i % 600, 10 + i % 700, MK_LBUTTON);
    TavrinInjectMouse(WM_MOUSEMOVE, 30, 40, 0);
    TavrinInjectMouse(WM_LBUTTONDOWN, 31, 41, MK_LBUTTON);
    TavrinInjectMouse(WM_MOUSEMOVE, 32, 42, MK_LBUTTON);
    TavrinInjectMouse(WM_MOUSEMOVE, 33, 43, MK_LBUTTON);
    std::vector<UINT> expected = {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE};
    EXPECT_EQ(expected, Drain());
    EXPECT_EQ(h, seen.back().hwnd);
    const int lastX[] = {99999 % 600, 30, 31, 33};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(lastX[i], GET_X_LPARAM(seen[i].lParam)) << i;
}

TEST_F(UserTest, ButtonsSetTheirKeyStateAndMessagesKeepOrder) {
    HWND h = CreateShown();
    TavrinInjectMouse(WM_LBUTTONDOWN, 5, 6, MK_LBUTTON);
    TavrinInjectMouse(WM_MOUSEMOVE, 7, 8, MK_LBUTTON);
    TavrinInjectMouse(WM_LBUTTONUP, 7, 8, 0);
    EXPECT_EQ(1, GetAsyncKeyState(VK_LBUTTON));
    std::vector<UINT> expected = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP};
    EXPECT_EQ(expected, Drain());
    EXPECT_EQ(h, seen.front().hwnd);
}

TEST_F(UserTest, BlitToTheWindowShowsInItsPixels) {
    HWND h = CreateShown();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 700, 850);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetPixel(memory, 683, 810, RGB(0x11, 0x22, 0x33));
    SetPixel(memory, 3, 4, RGB(0xAA, 0xBB, 0xCC));
    HDC window = GetDC(h);
    // Larger than the client area: cut to it.
    EXPECT_TRUE(BitBlt(window, 0, 0, 700, 850, memory, 0, 0, SRCCOPY));
    ReleaseDC(h, window);
    EXPECT_EQ(0x112233u, Pixel(h, 683, 810));
    EXPECT_EQ(0xAABBCCu, Pixel(h, 3, 4));
    // And back: the window DC is a source too.
    window = GetDC(h);
    EXPECT_TRUE(BitBlt(memory, 10, 10, 5, 5, window, 0, 0, SRCCOPY));
    EXPECT_EQ(RGB(0xAA, 0xBB, 0xCC), GetPixel(memory, 13, 14));
    ReleaseDC(h, window);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

TEST_F(UserTest, IconsCursorsAndMessageBox) {
    EXPECT_NE(nullptr, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_NE(nullptr, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(nullptr, LoadIconA(nullptr, MAKEINTRESOURCEA(5)));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "CreateWindow - Failed", nullptr, MB_OK));
}

// GetGuiResources reports the drawing floor's count of GDI objects, and
// only for the calling process.
TEST(GuiResources, CountsGdiObjectsOfThisProcessOnly) {
    const DWORD start = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(start + 1, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    DeleteObject(pen);
    EXPECT_EQ(start, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    EXPECT_EQ(0u, GetGuiResources(nullptr, GR_GDIOBJECTS));
}

}  // namespace
