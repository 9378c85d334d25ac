// USER windows: classes, creation and destruction, showing, the frame and
// client rectangles, the update region with BeginPaint and EndPaint, and
// DefWindowProcA's share of the work.
#include <cstdint>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <strings.h>
#include <thread>

#include "platform/handle_bits.h"
#include "platform/user_internal.h"

namespace tavrin {

void SleepWithoutEvents(int timeoutMs) {
    if (timeoutMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return;
    }
    // Nothing can come: only a signal ends this.
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

namespace {

struct ClassRecord {
    std::string name;
    ATOM atom;
    WNDCLASSA wc;
};

struct WindowSlot {
    uint32_t generation = 0;
    std::unique_ptr<Window> window;
};

// Window handles carry a tag of their own.
const uintptr_t kUserTag = 0x3;

std::vector<ClassRecord> classes;
ATOM nextAtom = 0xC000;
std::vector<WindowSlot> windows;
// Live windows in creation order, and top-level windows in the order they
// were last shown (the last one has the keyboard focus).
std::vector<HWND> creationOrder;
std::vector<HWND> shownOrder;

// The display, as the start-up code handed it down, and whether it has been
// opened (at the first window).
const Backend* backend = nullptr;
bool backendOpen = false;

// What a window floor without a display does: windows exist in memory only.
const Backend& NoDisplay() {
    static const Backend none = [] {
        Backend b;
        b.name = "none";
        b.open = [](const char*, std::string*) { return true; };
        b.createWindow = [](Window&) {};
        b.destroyWindow = [](Window&) {};
        b.showWindow = [](Window&, int) {};
        b.setTitle = [](Window&) {};
        b.setClientSize = [](Window&, int, int) {};
        b.present = [](Window&) { return false; };
        b.pumpEvents = [] {};
        b.waitForEvents = SleepWithoutEvents;
        b.messageBox = [](const char*, const char*, UINT) { return IDOK; };
        b.captureChanged = [](Window*) {};
        return b;
    }();
    return none;
}

// Opens the display at the first window; its class names the application.
bool OpenDisplay(const char* appClass) {
    if (backendOpen) return true;
    std::string why;
    if (!DisplayBackend().open(appClass, &why)) return false;
    backendOpen = true;
    return true;
}

// Windows 10 at 100 % scaling: a sizing frame is 4 pixels of frame plus 4 of
// padded border, a fixed (dialog) frame 3 plus 4, a thin border 1, and the
// caption bar 23 pixels high. So WS_OVERLAPPEDWINDOW at 700 x 850 outside
// has a 684 x 811 client area, inset (8, 31) from the frame's corner.
const int kSizingFrame = 8;
const int kFixedFrame = 7;
const int kThinBorder = 1;
const int kCaptionHeight = 23;

// Where CW_USEDEFAULT puts a window, and how big it makes it.
const int kDefaultX = 100, kDefaultY = 100, kDefaultWidth = 800, kDefaultHeight = 600;

ClassRecord* FindClass(LPCSTR name) {
    uintptr_t v = reinterpret_cast<uintptr_t>(name);
    for (ClassRecord& c : classes) {
        if (v <= 0xFFFF ? c.atom == v : strcasecmp(c.name.c_str(), name) == 0) return &c;
    }
    return nullptr;
}

HWND Encode(uint32_t slot, uint32_t generation) {
    return reinterpret_cast<HWND>(EncodeHandle(kUserTag, {slot, generation}));
}

void Erase(std::vector<HWND>& list, HWND h) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] == h) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void FreeWindow(HWND h) {
    Window* w = LookUpWindow(h);
    if (!w) return;
    DisplayBackend().destroyWindow(*w);
    HandleBits bits;
    DecodeHandle(reinterpret_cast<uintptr_t>(h), kUserTag, &bits);
    windows[bits.slot].window.reset();
    Erase(creationOrder, h);
    Erase(shownOrder, h);
    ForgetWindowMessages(h);
}

RECT Intersect(const RECT& a, const RECT& b) {
    raster::ClipRect r = raster::Intersect({a.left, a.top, a.right, a.bottom}, {b.left, b.top, b.right, b.bottom});
    return RECT{r.left, r.top, r.right, r.bottom};
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// Windows 10's default system colours, as COLORREF.
COLORREF SystemColor(int index) {
    static const COLORREF colors[] = {
        RGB(200, 200, 200), RGB(0, 0, 0),       RGB(153, 180, 209), RGB(191, 205, 219),
        RGB(240, 240, 240), RGB(255, 255, 255), RGB(100, 100, 100), RGB(0, 0, 0),
        RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(180, 180, 180), RGB(244, 247, 252),
        RGB(171, 171, 171), RGB(0, 120, 215),   RGB(255, 255, 255), RGB(240, 240, 240),
        RGB(160, 160, 160), RGB(109, 109, 109), RGB(0, 0, 0),       RGB(0, 0, 0),
        RGB(255, 255, 255), RGB(105, 105, 105), RGB(227, 227, 227), RGB(0, 0, 0),
        RGB(255, 255, 225), RGB(0, 0, 0),       RGB(0, 102, 204),   RGB(185, 209, 234),
        RGB(215, 228, 242), RGB(0, 120, 215),   RGB(240, 240, 240),
    };
    return colors[index];
}
const int kSystemColorCount = 31;

// Fills the DC's whole client area (cut to its clip) with a class brush: a
// real brush, or a system colour given as its index plus one.
bool FillWithClassBrush(HDC hdc, HBRUSH brush, int width, int height) {
    uintptr_t v = reinterpret_cast<uintptr_t>(brush);
    HBRUSH own = nullptr;
    if (v >= 1 && v <= static_cast<uintptr_t>(kSystemColorCount)) {
        own = CreateSolidBrush(SystemColor(static_cast<int>(v) - 1));
        brush = own;
    }
    HGDIOBJ old = SelectObject(hdc, brush);
    if (!old) {
        if (own) DeleteObject(own);
        return false;
    }
    BitBlt(hdc, 0, 0, width, height, nullptr, 0, 0, PATCOPY);
    SelectObject(hdc, old);
    if (own) DeleteObject(own);
    return true;
}

// Window DCs draw into the client surfaces; what they drew is shown when
// the DC is given back.
void RegisterSurfaceSource() {
    static const bool registered = [] {
        SetWindowSurfaceSource(WindowSurfaceSource{
            [](HWND h) -> Surface* {
                Window* w = LookUpWindow(h);
                return w ? &w->client : nullptr;
            },
            [](HWND h) {
                if (Window* w = LookUpWindow(h)) w->drawnSincePresent = true;
            },
            [](HWND h) {
                if (Window* w = LookUpWindow(h)) PresentIfDrawn(*w);
            },
        });
        return true;
    }();
    (void)registered;
}

}  // namespace

bool PresentIfDrawn(Window& w) {
    if (!w.drawnSincePresent) return false;
    w.drawnSincePresent = false;
    ++w.presentations;
    return DisplayBackend().present(w);
}

bool PresentDrawnWindows() {
    bool shown = false;
    for (HWND h : creationOrder) {
        if (Window* w = LookUpWindow(h)) shown = PresentIfDrawn(*w) || shown;
    }
    return shown;
}

LRESULT CallWindowProcedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = LookUpWindow(hWnd);
    if (!w || !w->proc) return 0;
    return w->proc(hWnd, message, wParam, lParam);
}

RECT FrameForStyle(DWORD style) {
    int side = 0;
    if (style & WS_THICKFRAME) {
        side = kSizingFrame;
    } else if (style & WS_DLGFRAME) {
        side = kFixedFrame;
    } else if (style & WS_BORDER) {
        side = kThinBorder;
    }
    int top = side + ((style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0);
    return RECT{side, top, side, side};
}

Window* LookUpWindow(HWND hWnd) {
    HandleBits bits;
    if (!DecodeHandle(reinterpret_cast<uintptr_t>(hWnd), kUserTag, &bits)) return nullptr;
    if (bits.slot >= windows.size()) return nullptr;
    WindowSlot& s = windows[bits.slot];
    if (!s.window || s.generation != bits.generation) return nullptr;
    return s.window.get();
}

std::vector<HWND> AllWindows() { return creationOrder; }

HWND FocusWindow() { return shownOrder.empty() ? nullptr : shownOrder.back(); }

void InvalidateClient(Window& w, const RECT* rect, bool erase) {
    RECT client = {0, 0, w.client.width, w.client.height};
    RECT r = rect ? Intersect(*rect, client) : client;
    if (IsEmpty(r)) return;
    if (IsEmpty(w.update)) {
        w.update = r;
    } else {
        if (r.left < w.update.left) w.update.left = r.left;
        if (r.top < w.update.top) w.update.top = r.top;
        if (r.right > w.update.right) w.update.right = r.right;
        if (r.bottom > w.update.bottom) w.update.bottom = r.bottom;
    }
    if (erase) w.erasePending = true;
}

void ClientResized(HWND hWnd, int clientWidth, int clientHeight) {
    Window* w = LookUpWindow(hWnd);
    if (!w || clientWidth < 0 || clientHeight < 0) return;
    int oldWidth = w->client.width, oldHeight = w->client.height;
    if (clientWidth == oldWidth && clientHeight == oldHeight) return;
    try {
        w->client.Resize(clientWidth, clientHeight);
    } catch (const std::bad_alloc&) {
        return;
    }
    w->update = Intersect(w->update, RECT{0, 0, clientWidth, clientHeight});
    bool redrawAll = ((w->classStyle & CS_HREDRAW) && clientWidth != oldWidth) ||
                     ((w->classStyle & CS_VREDRAW) && clientHeight != oldHeight);
    if (redrawAll) {
        InvalidateClient(*w, nullptr, true);
    } else {
        // Only what the larger size uncovered needs painting.
        RECT right = {oldWidth, 0, clientWidth, clientHeight};
        RECT below = {0, oldHeight, clientWidth, clientHeight};
        InvalidateClient(*w, &right, true);
        InvalidateClient(*w, &below, true);
    }
    CallWindowProcedure(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
}

void ClientMoved(HWND hWnd, int screenX, int screenY) {
    Window* w = LookUpWindow(hWnd);
    if (!w || (w->clientOrigin.x == screenX && w->clientOrigin.y == screenY)) return;
    w->clientOrigin = POINT{screenX, screenY};
    CallWindowProcedure(hWnd, WM_MOVE, 0, MAKELPARAM(screenX, screenY));
}

void UseBackend(const Backend& given) {
    if (backend == &given) return;
    backend = &given;
    backendOpen = false;
}

const Backend* GivenBackend() { return backend; }

const Backend& DisplayBackend() { return backend ? *backend : NoDisplay(); }

void ResetWindows() {
    std::vector<HWND> all = creationOrder;
    for (HWND h : all) FreeWindow(h);
    classes.clear();
    shownOrder.clear();
}

}  // namespace tavrin

using namespace tavrin;

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (!lpWndClass || !lpWndClass->lpfnWndProc || !lpWndClass->lpszClassName) return 0;
    if (reinterpret_cast<uintptr_t>(lpWndClass->lpszClassName) <= 0xFFFF) return 0;
    if (lpWndClass->lpszClassName[0] == '\0' || FindClass(lpWndClass->lpszClassName)) return 0;
    if (nextAtom == 0xFFFF) return 0;
    ClassRecord c;
    c.name = lpWndClass->lpszClassName;
    c.atom = nextAtom++;
    c.wc = *lpWndClass;
    c.wc.lpszClassName = nullptr;
    c.wc.lpszMenuName = nullptr;
    classes.push_back(c);
    return c.atom;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName,
                            DWORD dwStyle, int X, int Y, int nWidth, int nHeight,
                            HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam) {
    ClassRecord* cls = lpClassName ? FindClass(lpClassName) : nullptr;
    if (!cls) return nullptr;
    if (!OpenDisplay(cls->name.c_str())) return nullptr;
    RegisterSurfaceSource();
    if (hWndParent && !LookUpWindow(hWndParent)) return nullptr;

    uint32_t slot = 0;
    while (slot < windows.size() && windows[slot].window) ++slot;
    if (slot >= kHandleSlots) return nullptr;
    if (slot == windows.size()) windows.emplace_back();
    WindowSlot& s = windows[slot];
    s.generation = NextGeneration(s.generation);
    HWND h = Encode(slot, s.generation);

    if (X == CW_USEDEFAULT) {
        X = kDefaultX;
        Y = kDefaultY;
    }
    if (nWidth == CW_USEDEFAULT) {
        nWidth = kDefaultWidth;
        nHeight = kDefaultHeight;
    }
    RECT frame = FrameForStyle(dwStyle);
    int64_t clientWidth = int64_t{nWidth} - frame.left - frame.right;
    int64_t clientHeight = int64_t{nHeight} - frame.top - frame.bottom;
    if (clientWidth < 0) clientWidth = 0;
    if (clientHeight < 0) clientHeight = 0;
    if (!SurfaceSizeAllowed(clientWidth, clientHeight)) return nullptr;

    try {
        s.window.reset(new Window());
        Window& w = *s.window;
        w.handle = h;
        w.className = cls->name;
        w.title = lpWindowName ? lpWindowName : "";
        w.proc = cls->wc.lpfnWndProc;
        w.classStyle = cls->wc.style;
        w.background = cls->wc.hbrBackground;
        w.style = dwStyle & ~static_cast<DWORD>(WS_VISIBLE);
        w.exStyle = dwExStyle;
        w.frame = frame;
        w.clientOrigin = POINT{static_cast<LONG>(int64_t{X} + frame.left), static_cast<LONG>(int64_t{Y} + frame.top)};
        w.client.Resize(static_cast<int>(clientWidth), static_cast<int>(clientHeight));
    } catch (const std::bad_alloc&) {
        s.window.reset();
        return nullptr;
    }
    creationOrder.push_back(h);
    DisplayBackend().createWindow(*s.window);

    CREATESTRUCTA cs;
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.x = X;
    cs.y = Y;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    LPARAM csParam = reinterpret_cast<LPARAM>(&cs);
    if (!CallWindowProcedure(h, WM_NCCREATE, 0, csParam)) {
        FreeWindow(h);
        return nullptr;
    }
    // The window procedure may have destroyed the window itself.
    if (!LookUpWindow(h)) return nullptr;
    if (CallWindowProcedure(h, WM_CREATE, 0, csParam) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    if (!LookUpWindow(h)) return nullptr;
    if (dwStyle & WS_VISIBLE) ShowWindow(h, SW_SHOW);
    return h;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    if (nCmdShow == SW_HIDE) {
        if (!w->visible) return FALSE;
        w->visible = false;
        Erase(shownOrder, hWnd);
        DisplayBackend().showWindow(*w, nCmdShow);
        CallWindowProcedure(hWnd, WM_SHOWWINDOW, FALSE, 0);
        return wasVisible;
    }
    if (!w->visible) {
        CallWindowProcedure(hWnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = LookUpWindow(hWnd))) return wasVisible;
        w->visible = true;
    }
    Erase(shownOrder, hWnd);
    shownOrder.push_back(hWnd);
    // As on Windows, a window that has never been shown learns its size and
    // position now.
    bool first = !w->everShown;
    w->everShown = true;
    InvalidateClient(*w, nullptr, true);
    DisplayBackend().showWindow(*w, nCmdShow);
    if (first && (w = LookUpWindow(hWnd))) {
        CallWindowProcedure(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w->client.width, w->client.height));
        if ((w = LookUpWindow(hWnd))) {
            CallWindowProcedure(hWnd, WM_MOVE, 0, MAKELPARAM(w->clientOrigin.x, w->clientOrigin.y));
        }
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    if (w->visible && !IsEmpty(w->update)) CallWindowProcedure(hWnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    if (w->destroying) return TRUE;
    w->destroying = true;
    if (CaptureWindow() == hWnd) ReleaseCapture();
    if ((w = LookUpWindow(hWnd)) && w->visible) {
        w->visible = false;
        Erase(shownOrder, hWnd);
        DisplayBackend().showWindow(*w, SW_HIDE);
    }
    CallWindowProcedure(hWnd, WM_DESTROY, 0, 0);
    CallWindowProcedure(hWnd, WM_NCDESTROY, 0, 0);
    FreeWindow(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return LookUpWindow(hWnd) ? TRUE : FALSE; }

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    Window* w = LookUpWindow(hWnd);
    if (!w) return 0;
    switch (Msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hWnd, &ps)) EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (!w->background) return 0;
        return FillWithClassBrush(reinterpret_cast<HDC>(wParam), w->background, w->client.width,
                                  w->client.height)
                   ? 1
                   : 0;
    default:
        return 0;
    }
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = LookUpWindow(hWnd);
    if (!w || !lpRect) return FALSE;
    lpRect->left = w->clientOrigin.x - w->frame.left;
    lpRect->top = w->clientOrigin.y - w->frame.top;
    lpRect->right = w->clientOrigin.x + w->client.width + w->frame.right;
    lpRect->bottom = w->clientOrigin.y + w->client.height + w->frame.bottom;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = LookUpWindow(hWnd);
    if (!w || !lpRect) return FALSE;
    *lpRect = RECT{0, 0, w->client.width, w->client.height};
    return TRUE;
}

// Counts what the process created and has not deleted: GDI objects, or
// windows. Stock objects belong to the system and are not counted.
DWORD WINAPI GetGuiResources(HANDLE hProcess, DWORD uiFlags) {
    if (hProcess != GetCurrentProcess()) return 0;
    if (uiFlags == GR_GDIOBJECTS) return static_cast<DWORD>(LiveGdiObjectCount());
    if (uiFlags == GR_USEROBJECTS) return static_cast<DWORD>(creationOrder.size());
    return 0;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    std::string title = lpString ? lpString : "";
    if (title == w->title) return TRUE;
    w->title = title;
    DisplayBackend().setTitle(*w);
    return TRUE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    Window* w = LookUpWindow(hWnd);
    if (!w || !lpString || nMaxCount <= 0) return 0;
    size_t count = std::min(w->title.size(), static_cast<size_t>(nMaxCount - 1));
    std::memcpy(lpString, w->title.data(), count);
    lpString[count] = '\0';
    return static_cast<int>(count);
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    (void)hWnd;
    // Windows' caption when none is given.
    return DisplayBackend().messageBox(lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType);
}

namespace {

// The predefined icons and cursors exist only as handles: nothing here draws
// an icon, and the pointer keeps the display's own shape.
HANDLE PredefinedResource(HINSTANCE instance, LPCSTR name, const int* ids, int count) {
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (instance || id > 0xFFFF) return nullptr;
    for (int i = 0; i < count; ++i) {
        if (static_cast<uintptr_t>(ids[i]) == id) return reinterpret_cast<HANDLE>(0x00010000u + id);
    }
    return nullptr;
}

}  // namespace

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    static const int ids[] = {32512, 32513, 32514, 32515, 32516, 32517, 32518};
    return static_cast<HICON>(PredefinedResource(hInstance, lpIconName, ids, 7));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    static const int ids[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
    return static_cast<HCURSOR>(PredefinedResource(hInstance, lpCursorName, ids, 14));
}

// ---------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    Window* w = LookUpWindow(hWnd);
    if (!w || !lpPaint) return nullptr;
    RECT paint = Intersect(w->update, RECT{0, 0, w->client.width, w->client.height});
    bool erase = w->erasePending;
    w->update = RECT{0, 0, 0, 0};
    w->erasePending = false;
    HDC hdc = CreateWindowDc(hWnd, &paint);
    if (!hdc) return nullptr;
    std::memset(lpPaint, 0, sizeof *lpPaint);
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = paint;
    lpPaint->fErase = FALSE;
    if (erase && !IsEmpty(paint)) {
        lpPaint->fErase = CallWindowProcedure(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    }
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (!lpPaint || !LookUpDc(lpPaint->hdc)) return FALSE;
    DeleteWindowDc(lpPaint->hdc);
    if (Window* w = LookUpWindow(hWnd)) PresentIfDrawn(*w);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (!hWnd) {
        for (HWND h : creationOrder) InvalidateRect(h, nullptr, bErase);
        return TRUE;
    }
    Window* w = LookUpWindow(hWnd);
    if (!w) return FALSE;
    InvalidateClient(*w, lpRect, bErase != FALSE);
    return TRUE;
}
