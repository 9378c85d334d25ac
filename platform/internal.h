// What the platform's own sources share: pixel surfaces, the GDI handle
// table's view of drawing contexts, the window record and the backend
// contract. Nothing outside platform/ includes this, and it includes no
// system header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace tavrin {

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

// A bitmap's or a window's pixels, row by row, one uint32 0x00RRGGBB each,
// which is how a 32-bit DIB lays out B, G, R, 0 in memory. A 1-bpp surface
// keeps the same layout but only ever holds black or white.
struct Surface {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    std::vector<uint32_t> pixels;
    // Bumped by every write, so a presenter can tell whether anything changed.
    uint64_t generation = 0;

    // Resizes, keeping the overlapping top-left part; new pixels are black.
    void Resize(int newWidth, int newHeight);
};

// COLORREF is 0x00BBGGRR; a pixel is 0x00RRGGBB: the same bytes swapped.
inline uint32_t ColorToPixel(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF PixelToColor(uint32_t p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
// The pixel a colour becomes on a surface of the given depth: itself at
// 32 bpp, the nearer of black and white at 1 bpp.
uint32_t NearestMonoPixel(COLORREF c);
inline uint32_t PixelForSurface(const Surface& s, COLORREF c) {
    return s.bitsPerPixel == 1 ? NearestMonoPixel(c) : ColorToPixel(c & 0xFFFFFFu);
}

// ---------------------------------------------------------------------------
// GDI (gdi_objects.cpp)
// ---------------------------------------------------------------------------

// The target a drawing context resolves to at one moment: its surface (null
// when the DC is not valid or draws nowhere) and the rectangle it may write,
// already cut to the surface.
struct DcTarget {
    Surface* surface = nullptr;
    RECT clip = {0, 0, 0, 0};
    // A window's client area, which the backend shows after a change.
    bool window = false;
};

enum class LineKind { Null, Cosmetic, Wide };

// A drawing context's state as the drawing entry points need it.
struct DcState {
    POINT position = {0, 0};
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    // Chosen when a pen is selected, not per pixel.
    LineKind line = LineKind::Cosmetic;
    int penWidth = 1;
    COLORREF penColor = 0;
    bool brushHollow = false;
    COLORREF brushColor = 0xFFFFFF;
};

// Null for anything that is not a live DC.
DcState* LookUpDc(HDC dc);
DcTarget ResolveDcUncached(HDC dc);

// The last memory DC resolved, kept until anything in the GDI table changes
// (an object made, freed or selected), which bumps gdiEpoch. A point-by-point
// drawing loop then pays one comparison per call to find its pixels.
// Window DCs are never kept: their surface follows the window.
struct DcCache {
    HDC dc = nullptr;
    uint64_t epoch = 0;
    DcTarget target;
};
extern DcCache dcCache;
extern uint64_t gdiEpoch;

inline DcTarget ResolveDc(HDC dc) {
    if (dc && dc == dcCache.dc && dcCache.epoch == gdiEpoch) return dcCache.target;
    return ResolveDcUncached(dc);
}
// A DC that draws into a window's client area; clip (client coordinates) is
// the paint DC's update rectangle, or null for the whole client area.
HDC CreateWindowDc(HWND window, const RECT* clip);
void DeleteWindowDc(HDC dc);
// Called after a DC wrote to a window, so the backend may present it.
void WindowDcTouched(HDC dc);

// ---------------------------------------------------------------------------
// USER (user_window.cpp, user_messages.cpp)
// ---------------------------------------------------------------------------

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string title;
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    HBRUSH background = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    // Client area's top-left corner on the screen, and the frame's thickness
    // on each side, so the outer rectangle is the client's grown by these.
    POINT clientOrigin = {0, 0};
    RECT frame = {0, 0, 0, 0};
    Surface client;
    bool visible = false;
    bool everShown = false;
    bool destroying = false;
    // Bounding box of the invalid part of the client area; empty if valid.
    RECT update = {0, 0, 0, 0};
    bool erasePending = false;
    // Whatever the backend keeps for its native window.
    void* native = nullptr;
};

Window* LookUpWindow(HWND hWnd);
// Every live window, oldest first.
std::vector<HWND> AllWindows();
// The top-level window shown last, which receives key input; null if none.
HWND FocusWindow();
void InvalidateClient(Window& w, const RECT* rect, bool erase);
// The client area got a new size (user or window manager): resize the
// surface, invalidate as the class styles ask, send WM_SIZE.
void ClientResized(HWND hWnd, int clientWidth, int clientHeight);
void ClientMoved(HWND hWnd, int screenX, int screenY);
void ResetWindows();

// Device input, the one path for both backends and the injection API.
void DeliverKey(int vk, bool down);
void DeliverMouse(HWND source, UINT message, int clientX, int clientY, WPARAM mkFlags);
void DeliverClose(HWND hWnd);
void ForgetWindowMessages(HWND hWnd);
// The backend lost the pointer grab behind the program's back: the capture
// ends as if released, with WM_CAPTURECHANGED.
void CaptureLost(HWND hWnd);
void ResetMessages();
HWND CaptureWindow();

// ---------------------------------------------------------------------------
// Backends (backend_headless.cpp, backend_sdl.cpp)
// ---------------------------------------------------------------------------

struct Backend {
    const char* name;
    // Makes the native window for w, whose frame, client origin and client
    // size hold what was asked; may change them to what it got.
    void (*createWindow)(Window& w);
    void (*destroyWindow)(Window& w);
    void (*showWindow)(Window& w, int cmd);
    // The client area is to take a new size (the caller then resizes it).
    void (*setClientSize)(Window& w, int clientWidth, int clientHeight);
    // Shows the client surface if it or the window changed since last time.
    void (*present)(Window& w);
    // Turns pending device events into Deliver* calls; never waits.
    void (*pumpEvents)();
    int (*messageBox)(const char* text, const char* caption, UINT type);
    void (*captureChanged)(Window* w);
};

const Backend& ActiveBackend();
const Backend& HeadlessBackend();
// Null, with the reason in why, when SDL cannot open a display.
const Backend* OpenSdlBackend(std::string& why);
// The largest TAVRIN_SCALE: screen pixels per program pixel on each axis.
constexpr int kMaxPresentationScale = 8;
// The first window class's name, which becomes the X11 window class.
void NoteWindowClassName(const char* name);

// Frame thickness of a window style with Windows 10's metrics.
RECT FrameForStyle(DWORD style);

}  // namespace tavrin
