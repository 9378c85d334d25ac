// The window floor's own header: the window record, the message queue's
// inputs, and the backend contract through which it reaches a display. It
// draws through the drawing floor below it; only platform/ includes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi_dc.h"
#include "platform/win32.h"

namespace tavrin {

// ---------------------------------------------------------------------------
// Windows (user_window.cpp)
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
    // Drawn into since it was last presented: shown at the next ReleaseDC,
    // EndPaint or empty queue.
    bool drawnSincePresent = false;
    // How many times the window floor has asked the backend to present it.
    unsigned presentations = 0;
    // Whatever the backend keeps for its native window.
    void* native = nullptr;
};

Window* LookUpWindow(HWND hWnd);
// Every live window, oldest first.
std::vector<HWND> AllWindows();
// The top-level window shown last, which receives key input; null if none.
HWND FocusWindow();
// Calls the window's procedure; 0 for a handle that is not a live window.
LRESULT CallWindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
void InvalidateClient(Window& w, const RECT* rect, bool erase);
// The client area got a new size (user or window manager): resize the
// surface, invalidate as the class styles ask, send WM_SIZE.
void ClientResized(HWND hWnd, int clientWidth, int clientHeight);
void ClientMoved(HWND hWnd, int screenX, int screenY);
void ResetWindows();
// Frame thickness of a window style with Windows 10's metrics.
RECT FrameForStyle(DWORD style);
// Hands the window to the backend to show if it was drawn into since it was
// last shown; true when the backend put new pixels on the screen.
bool PresentIfDrawn(Window& w);
// The same for every window: what an empty message queue does.
bool PresentDrawnWindows();
// The wait of a display that sends no events: the clock's alone.
void SleepWithoutEvents(int timeoutMs);

// ---------------------------------------------------------------------------
// Input and the queue (user_messages.cpp)
// ---------------------------------------------------------------------------

// Device input, the one path for the backends and the test hooks.
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
// The backend contract
// ---------------------------------------------------------------------------

// What a display system does for the window floor. A backend fills one of
// these; the start-up code chooses one and hands it down (UseBackend), and
// the window floor reaches the display only through the table it was given.
struct Backend {
    const char* name = nullptr;
    // Starts the display system; the first window class's name becomes the
    // application's class (X11 WM_CLASS, the Wayland app id). False, with
    // the reason in why, when there is no display to be had. The window
    // floor calls it once, before its first window.
    bool (*open)(const char* appClass, std::string* why) = nullptr;
    // Makes the native window for w, whose frame, client origin and client
    // size hold what was asked; may change them to what it got.
    void (*createWindow)(Window& w) = nullptr;
    void (*destroyWindow)(Window& w) = nullptr;
    void (*showWindow)(Window& w, int cmd) = nullptr;
    // The window's title changed (w.title, in the ANSI code page 1252 as
    // Windows' A calls take it).
    void (*setTitle)(Window& w) = nullptr;
    // The client area is to take a new size (the caller then resizes it).
    void (*setClientSize)(Window& w, int clientWidth, int clientHeight) = nullptr;
    // Shows the client surface if it or the native window changed since it
    // was last shown, and says whether it did. Never waits: drawing calls
    // never present, and presenting never waits for the display.
    bool (*present)(Window& w) = nullptr;
    // Turns pending device events into Deliver* calls. Never waits.
    void (*pumpEvents)() = nullptr;
    // Sleeps until a device event is pending or timeoutMs has passed
    // (forever when it is negative), and takes nothing: the event is left
    // for pumpEvents. MsgWaitForMultipleObjects is its only caller, so a
    // program waits only where it asks to.
    void (*waitForEvents)(int timeoutMs) = nullptr;
    int (*messageBox)(const char* text, const char* caption, UINT type) = nullptr;
    void (*captureChanged)(Window* w) = nullptr;
};

// The backend the window floor uses from now on; the start-up code (or the
// test hooks) hands it down before the first window is made.
void UseBackend(const Backend& backend);
// The table handed down, or null before one was.
const Backend* GivenBackend();
// The table handed down, or one that shows nothing when none was.
const Backend& DisplayBackend();

}  // namespace tavrin
