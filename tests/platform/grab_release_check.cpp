// A release that the pointer grab missed, at presentation scale 2: the
// window holds the capture, the grab is taken from it behind its back (as a
// window manager may), the button goes up outside the window, and the
// backend's check of the grab must deliver WM_LBUTTONUP where the pointer
// was, in the window's own (unscaled) client coordinates.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/backend.h"
#include "platform/test_hooks.h"
#include "platform/win32.h"

namespace {

int downs = 0, ups = 0;
POINT up = {0, 0};

LRESULT CALLBACK GrabProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: ++downs; SetCapture(hWnd); return 0;
    case WM_LBUTTONUP:
        ++ups;
        up = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ReleaseCapture();
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

// Dispatches what comes for a while, as the program's loop does.
void PumpFor(int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (std::chrono::steady_clock::now() < end) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

int main() {
    tavrin::SetPresentationScale(2);
    TavrinResetForTests();
    if (TavrinIsHeadless()) return Fail("the SDL2 backend did not start");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = GrabProc;
    wc.lpszClassName = "TavrinGrab";
    if (!RegisterClassA(&wc)) return Fail("RegisterClassA");
    HWND hWnd = CreateWindowExA(0, "TavrinGrab", "Tavrin grab", WS_POPUP, 100, 100, 200, 150, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (!hWnd) return Fail("CreateWindowExA");
    ShowWindow(hWnd, SW_SHOWNORMAL);
    PumpFor(300);

    // The window's own X connection and window, through SDL.
    SDL_Window* sdlWindow = SDL_GetWindowFromID(1);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!sdlWindow || !SDL_GetWindowWMInfo(sdlWindow, &info) || info.subsystem != SDL_SYSWM_X11) {
        return Fail("no X11 window");
    }
    Display* display = info.info.x11.display;
    ::Window xwindow = info.info.x11.window;
    int originX = 0, originY = 0;
    ::Window child;
    XTranslateCoordinates(display, xwindow, DefaultRootWindow(display), 0, 0, &originX, &originY, &child);

    // Press inside: the window takes the capture and with it the grab.
    XTestFakeMotionEvent(display, -1, originX + 40, originY + 30, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    PumpFor(200);
    if (downs != 1 || GetCapture() != hWnd) return Fail("the press did not take the capture");

    // The grab goes; the button comes up outside the window, unseen.
    XUngrabPointer(display, CurrentTime);
    const int releaseX = originX + 400 + 1, releaseY = originY + 300 + 3;
    XTestFakeMotionEvent(display, -1, releaseX, releaseY, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
    PumpFor(400);
    if (ups != 1) return Fail("the missed release was not delivered");
    // 401 and 303 screen pixels from the client's corner: 200 and 151 at
    // scale 2, rounded down.
    if (up.x != 200 || up.y != 151) {
        std::printf("release at (%ld, %ld), expected (200, 151)\n", static_cast<long>(up.x), static_cast<long>(up.y));
        return Fail("the release landed away from the pointer");
    }
    DestroyWindow(hWnd);
    std::printf("ok\n");
    return 0;
}
