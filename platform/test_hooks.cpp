// The test hooks: input that takes the same path as a real device event, a
// view of what a window shows, a resize by the user, and a reset between
// test cases. They sit on top of every other floor.
#include <cstdint>

#include "platform/backend.h"
#include "platform/test_hooks.h"
#include "platform/user_internal.h"

using namespace tavrin;

void TavrinInjectKey(int vk, bool down) { DeliverKey(vk, down); }

void TavrinInjectMouse(UINT message, int clientX, int clientY, WPARAM mkFlags) {
    // Coordinates are the focus window's; with the capture held, positions
    // outside it reach the capture window translated through the screen.
    HWND source = FocusWindow();
    if (!source) source = CaptureWindow();
    DeliverMouse(source, message, clientX, clientY, mkFlags);
}

void TavrinInjectClose(HWND hWnd) { DeliverClose(hWnd); }

const uint32_t* TavrinWindowPixels(HWND hWnd, int* width, int* height) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return nullptr;
    if (width) *width = w->client.width;
    if (height) *height = w->client.height;
    return w->client.pixels.data();
}

BOOL TavrinResizeWindow(HWND hWnd, int outerWidth, int outerHeight) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    int64_t cw = int64_t{outerWidth} - w->frame.left - w->frame.right;
    int64_t ch = int64_t{outerHeight} - w->frame.top - w->frame.bottom;
    if (cw < 0) cw = 0;
    if (ch < 0) ch = 0;
    if (!SurfaceSizeAllowed(cw, ch)) return FALSE;
    DisplayBackend().setClientSize(*w, static_cast<int>(cw), static_cast<int>(ch));
    ClientResized(hWnd, static_cast<int>(cw), static_cast<int>(ch));
    return TRUE;
}

bool TavrinIsHeadless(void) { return GivenBackend() == &HeadlessBackend(); }

void TavrinResetForTests(void) {
    ResetWindows();
    ResetMessages();
    if (!GivenBackend()) UseBackend(ChooseBackend(nullptr));
}

unsigned TavrinPresentations(HWND hWnd) {
    Window* w = LookUpWindow(hWnd);
    return w ? w->presentations : 0;
}
