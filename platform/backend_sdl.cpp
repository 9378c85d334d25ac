// The SDL2 backend: each window is a real window on X11 or Wayland, its
// client surface copied into SDL's window surface (shared memory on X11, no
// GL), and SDL's events turned into the messages Windows would send.
//
// With a presentation scale N every program pixel shows as N x N screen
// pixels; the program still sees its own sizes and coordinates, because
// everything that crosses to SDL is multiplied by the scale and everything
// that comes back divided by it. On Wayland SDL counts in points, so there
// an asked N is first turned into points (PointsPerProgramPixel).
//
// Implements every entry of the Backend table: windows with a title, shown
// (minimised, maximised, restored), resized and destroyed; keys, the
// pointer and its buttons, exposure, resizing and closing as messages; the
// capture as a pointer grab of our own on X11 (SDL's mouse capture on
// Wayland); the wait for the next event, which SIGINT and SIGTERM also end;
// message boxes. Does not: icons, cursors other than the arrow, keys beyond
// those VirtualKey maps, more than one display.
#include "platform/backend.h"

#ifndef TAVRIN_HAVE_SDL2

namespace tavrin {
namespace {
bool NoSdl(const char*, std::string* why) {
    *why = "this build has no SDL2";
    return false;
}
}  // namespace

void SetPresentationScale(int) {}

const Backend& SdlBackend() {
    static const Backend none = [] {
        Backend b;
        b.name = "sdl2";
        b.open = NoSdl;
        return b;
    }();
    return none;
}
}  // namespace tavrin

#else

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace tavrin {
namespace {


// SDL's screen units per program pixel: pixels on X11, points on Wayland.
int scale = 1;

int ToScreen(int v) { return static_cast<int>(std::clamp<int64_t>(int64_t{v} * scale, INT_MIN, INT_MAX)); }
// Rounds toward minus infinity, so that a pointer left of the window, at
// screen -1, is at program -1 and not 0.
int FromScreen(int v) { return v >= 0 ? v / scale : -((-(v + 1)) / scale) - 1; }

// The scale the start-up code asked for (SetPresentationScale); 0 chooses.
int askedScale = 0;

// A whole factor from a number that a desktop sets, or 0 when it sets none.
int WholeFactor(const char* text) {
    if (!text || !*text) return 0;
    char* end = nullptr;
    double factor = std::strtod(text, &end);
    if (end == text || !(factor >= 1.0)) return 0;
    return static_cast<int>(std::min<double>(factor, kMaxPresentationScale));
}

// The Xft.dpi resource that X11 desktops set for high-DPI screens (in the
// root window's RESOURCE_MANAGER), or 0.
float XftDpi() {
#if defined(SDL_VIDEO_DRIVER_X11) && defined(TAVRIN_HAVE_X11)
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    float dpi = 0;
    if (const char* resources = XResourceManagerString(display)) {
        const char* at = std::strstr(resources, "Xft.dpi:");
        if (at && (at == resources || at[-1] == '\n')) dpi = std::strtof(at + 8, nullptr);
    }
    XCloseDisplay(display);
    return dpi;
#else
    return 0;
#endif
}

// What the desktop asks for, as toolkits read it: GDK_SCALE, then
// QT_SCALE_FACTOR, then Xft.dpi (2 at 192 and above), then the DPI that SDL
// reports for the display; 1 when none says more.
int DesktopScale() {
    if (int gdk = WholeFactor(std::getenv("GDK_SCALE"))) return gdk;
    if (int qt = WholeFactor(std::getenv("QT_SCALE_FACTOR"))) return qt;
    float dpi = XftDpi();
    if (!(dpi > 0) && SDL_GetDisplayDPI(0, nullptr, &dpi, nullptr) != 0) dpi = 0;
    if (!(dpi >= 192.0f)) return 1;
    return std::min(kMaxPresentationScale, static_cast<int>(dpi / 96.0f));
}

// On Wayland an asked scale is in output pixels, which the first window
// turns into points once the output's scale is known (CreateSdlWindow).
bool askedInOutputPixels = false;

// 1 on Wayland, whose own output scale the high-DPI window already takes
// (an asked scale waits for the first window there); elsewhere the asked
// scale when there is one, or what the desktop asks for.
int ChooseScale(bool wayland) {
    if (wayland) return 1;
    if (askedScale > 0) return askedScale;
    return DesktopScale();
}

// Output pixels per point of a high-DPI window: the Wayland output's scale
// (the largest of all outputs' while the window is on none), 1 on X11.
int OutputScale(SDL_Window* window) {
    int points = 0, pixels = 0, unused = 0;
    SDL_GetWindowSize(window, &points, &unused);
#if SDL_VERSION_ATLEAST(2, 26, 0)
    SDL_GetWindowSizeInPixels(window, &pixels, &unused);
#else
    SDL_GL_GetDrawableSize(window, &pixels, &unused);
#endif
    if (points <= 0 || pixels <= points) return 1;
    return std::min(pixels / points, kMaxPresentationScale);
}

// An asked factor of N output pixels on an output of scale s, as points per
// program pixel: N / s to the nearest whole number, the smaller on a tie,
// and at least 1. The factor shown is then the multiple of s nearest N,
// which is N itself whenever s divides it, and s when N is below s (a point
// is the smallest step a Wayland window can grow by). Nearest with ties
// down is ceil(N / s - 1/2) = floor((2N + s - 1) / 2s).
int PointsPerProgramPixel(int asked, int outputScale) {
    return std::max(1, (2 * asked + outputScale - 1) / (2 * outputScale));
}

// The first window never comes out larger than the screen it opens on: a
// scale that does not fit the usable area is lowered to the largest that
// does (at least 1), and the user is told so once. The usable area is in
// SDL's units, points on Wayland; the message counts in output pixels, the
// units the user asked in, given pixelsPerPoint (1 on X11).
void FitScale(int outerWidth, int outerHeight, int pixelsPerPoint) {
    static bool fitted = false;
    if (fitted) return;
    fitted = true;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return;
    int fits = scale;
    while (fits > 1 && (int64_t{outerWidth} * fits > usable.w || int64_t{outerHeight} * fits > usable.h)) --fits;
    if (fits == scale) return;
    int factor = scale * pixelsPerPoint;
    std::fprintf(stderr, "%s: scale %d makes the window %d x %d, larger than the %d x %d screen: using scale %d\n",
                 ProgramName(), factor, outerWidth * factor, outerHeight * factor, usable.w * pixelsPerPoint,
                 usable.h * pixelsPerPoint, fits * pixelsPerPoint);
    scale = fits;
}

struct Native {
    SDL_Window* window = nullptr;
    // What the program asked for: the outer frame, decorations included.
    int outerX = 0, outerY = 0, outerWidth = 0, outerHeight = 0;
    // The last presentation, to skip uploads when nothing changed.
    uint64_t presentedGeneration = 0;
    bool windowChanged = true;
};

Native* NativeOf(Window& w) { return static_cast<Native*>(w.native); }

HWND WindowForId(Uint32 id) {
    for (HWND h : AllWindows()) {
        Window* w = LookUpWindow(h);
        if (w && w->native && SDL_GetWindowID(NativeOf(*w)->window) == id) return h;
    }
    return nullptr;
}

// The asked outer size includes whatever decorations the window manager
// draws, which SDL reports as the window's borders (_NET_FRAME_EXTENTS on
// X11). They are only known once the window is mapped, and may come later
// still, so the client area is fitted again whenever they change: client =
// outer - borders, placed at outer position + (left, top). A bare X server
// with no window manager draws none, and the client area is the outer size.
void FitToBorders(Window& w) {
    Native& n = *NativeOf(w);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(n.window, &top, &left, &bottom, &right) != 0) {
        top = left = bottom = right = 0;
    }
    top = FromScreen(top);
    left = FromScreen(left);
    bottom = FromScreen(bottom);
    right = FromScreen(right);
    if (top == w.frame.top && left == w.frame.left && bottom == w.frame.bottom && right == w.frame.right) return;
    w.frame = RECT{left, top, right, bottom};
    int clientWidth = n.outerWidth - left - right;
    int clientHeight = n.outerHeight - top - bottom;
    if (clientWidth < 1) clientWidth = 1;
    if (clientHeight < 1) clientHeight = 1;
    HWND h = w.handle;
    SDL_SetWindowSize(n.window, ToScreen(clientWidth), ToScreen(clientHeight));
    SDL_SetWindowPosition(n.window, ToScreen(n.outerX + left), ToScreen(n.outerY + top));
    ClientMoved(h, n.outerX + left, n.outerY + top);
    ClientResized(h, clientWidth, clientHeight);
}

// A title as Windows' A calls take it, in code page 1252, as SDL takes it,
// in UTF-8: ASCII as it is, 0x80..0x9F through the code page's table, the
// rest as the Latin-1 character of the same number.
std::string TitleInUtf8(const std::string& ansi) {
    static const uint16_t k80To9F[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    std::string utf8;
    for (char c : ansi) {
        unsigned code = static_cast<unsigned char>(c);
        if (code >= 0x80 && code <= 0x9F) code = k80To9F[code - 0x80];
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

// The title in ASCII, from the ANSI code page: the en and em dashes as
// '-', any other character beyond ASCII as '?'.
std::string TitleInAscii(const std::string& ansi) {
    std::string ascii;
    for (char c : ansi) {
        const unsigned code = static_cast<unsigned char>(c);
        ascii += code < 0x80 ? c : (code == 0x96 || code == 0x97) ? '-' : '?';
    }
    return ascii;
}

#if defined(SDL_VIDEO_DRIVER_X11) && defined(TAVRIN_HAVE_X11)
bool X11Of(SDL_Window* window, Display** display, ::Window* xwindow);

// WM_NAME as a plain STRING; _NET_WM_NAME is left as SDL set it.
void SetAsciiWindowName(SDL_Window* window, const std::string& name) {
    Display* display;
    ::Window xwindow;
    if (!X11Of(window, &display, &xwindow)) return;
    XStoreName(display, xwindow, name.c_str());
    XFlush(display);
}
#else
void SetAsciiWindowName(SDL_Window*, const std::string&) {}
#endif

// SDL hands X11 a title as UTF-8 text, which Xlib converts only under a
// UTF-8 character type: in the C locale a title beyond ASCII (the em dash of
// "Tavrin FrontView — playing") would never reach the window manager. So
// such a title is set under C.UTF-8, and the locale put back at once; an
// ASCII title is set as it always was, a plain STRING that every X client
// reads.
//
// Tools that read WM_NAME alone (xdotool search --name, xprop's short
// form) do not decode UTF-8 there: WM_NAME then gets an ASCII form of the
// title, the dashes as '-' and anything else beyond ASCII as '?', while
// _NET_WM_NAME keeps the whole title in UTF-8.
void SetSdlTitle(Window& w) {
    Native* n = NativeOf(w);
    if (!n) return;
    const std::string title = TitleInUtf8(w.title);
    const bool ascii = std::all_of(title.begin(), title.end(), [](char c) { return (c & 0x80) == 0; });
    const char* current = ascii ? nullptr : std::setlocale(LC_CTYPE, nullptr);
    const std::string saved = current ? current : "";
    if (!ascii) std::setlocale(LC_CTYPE, "C.UTF-8");
    SDL_SetWindowTitle(n->window, title.c_str());
    if (!ascii) std::setlocale(LC_CTYPE, saved.c_str());
    if (!ascii) SetAsciiWindowName(n->window, TitleInAscii(w.title));
}

void CreateSdlWindow(Window& w) {
    Native* n = new Native();
    n->outerX = w.clientOrigin.x - w.frame.left;
    n->outerY = w.clientOrigin.y - w.frame.top;
    n->outerWidth = w.client.width + w.frame.left + w.frame.right;
    n->outerHeight = w.client.height + w.frame.top + w.frame.bottom;
    // On a scaled Wayland output the window keeps its size in points and
    // gets the output's pixels; X11 ignores the flag.
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (w.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(w.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER))) flags |= SDL_WINDOW_BORDERLESS;
    int width = n->outerWidth > 0 ? n->outerWidth : 1;
    int height = n->outerHeight > 0 ? n->outerHeight : 1;
    if (!askedInOutputPixels) FitScale(width, height, 1);
    n->window = SDL_CreateWindow(TitleInUtf8(w.title).c_str(), ToScreen(n->outerX), ToScreen(n->outerY), ToScreen(width),
                                 ToScreen(height), flags);
    if (!n->window) {
        std::fprintf(stderr, "tavrin platform: SDL_CreateWindow failed: %s\n", SDL_GetError());
        delete n;
        return;
    }
    if (askedInOutputPixels) {
        // Created at one point per program pixel, still hidden: now that the
        // output's scale is known, the asked scale is set in points and the
        // window given its size before anything is drawn or shown.
        askedInOutputPixels = false;
        int outputScale = OutputScale(n->window);
        scale = PointsPerProgramPixel(askedScale, outputScale);
        FitScale(width, height, outputScale);
        SDL_SetWindowSize(n->window, ToScreen(width), ToScreen(height));
    }
    w.native = n;
    // Until the window manager says otherwise there are no decorations:
    // messages during creation see the whole outer size as client area.
    w.frame = RECT{0, 0, 0, 0};
    w.clientOrigin = POINT{n->outerX, n->outerY};
    w.client.Resize(width, height);
}

void DestroySdlWindow(Window& w) {
    Native* n = NativeOf(w);
    if (!n) return;
    SDL_DestroyWindow(n->window);
    delete n;
    w.native = nullptr;
}

void ShowSdlWindow(Window& w, int cmd) {
    Native* n = NativeOf(w);
    if (!n) return;
    switch (cmd) {
    case SW_HIDE:
        SDL_HideWindow(n->window);
        return;
    case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE:
        SDL_ShowWindow(n->window);
        SDL_MinimizeWindow(n->window);
        break;
    case SW_SHOWMAXIMIZED:
        SDL_ShowWindow(n->window);
        SDL_MaximizeWindow(n->window);
        break;
    case SW_RESTORE:
        SDL_ShowWindow(n->window);
        SDL_RestoreWindow(n->window);
        break;
    default:
        SDL_ShowWindow(n->window);
        break;
    }
    n->windowChanged = true;
    FitToBorders(w);
}

void SetSdlClientSize(Window& w, int clientWidth, int clientHeight) {
    Native* n = NativeOf(w);
    if (!n) return;
    n->outerWidth = clientWidth + w.frame.left + w.frame.right;
    n->outerHeight = clientHeight + w.frame.top + w.frame.bottom;
    SDL_SetWindowSize(n->window, ToScreen(clientWidth > 0 ? clientWidth : 1),
                      ToScreen(clientHeight > 0 ? clientHeight : 1));
    n->windowChanged = true;
}

// Copies the client surface into the window surface, each pixel as a
// factor x factor block. Our pixels are 0x00RRGGBB, which is SDL's RGB888
// and, with the unused byte ignored, ARGB8888; other layouts are converted.
void CopyScaled(const Surface& from, SDL_Surface* to, int factor) {
    int width = std::min(from.width, to->w / factor);
    int height = std::min(from.height, to->h / factor);
    if (width <= 0 || height <= 0) return;
    bool native = to->format->format == SDL_PIXELFORMAT_RGB888 || to->format->format == SDL_PIXELFORMAT_ARGB8888;
    static std::vector<uint32_t> row;
    row.resize(static_cast<size_t>(width) * factor);
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = from.pixels.data() + static_cast<size_t>(y) * from.width;
        const uint32_t* line = in;
        if (factor > 1) {
            for (int x = 0; x < width; ++x) std::fill_n(row.data() + static_cast<size_t>(x) * factor, factor, in[x]);
            line = row.data();
        }
        for (int k = 0; k < factor; ++k) {
            uint8_t* out = static_cast<uint8_t*>(to->pixels) + static_cast<size_t>(y * factor + k) * to->pitch;
            if (native) {
                std::memcpy(out, line, sizeof(uint32_t) * static_cast<size_t>(width) * factor);
            } else {
                SDL_ConvertPixels(width * factor, 1, SDL_PIXELFORMAT_RGB888, line, width * factor * 4,
                                  to->format->format, out, to->pitch);
            }
        }
    }
}

// A high-DPI window on a scaled Wayland output measures its size and the
// pointer in points. Some SDL versions hand it a window surface of that
// size and scale it up themselves when they present it; others hand it a
// surface of the output's pixels, which we fill at that density.
int PixelsPerPoint(SDL_Window* window, const SDL_Surface& screen) {
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (width <= 0 || screen.w <= width) return 1;
    return std::min(screen.w / width, kMaxPresentationScale);
}

bool PresentSdl(Window& w) {
    Native* n = NativeOf(w);
    if (!n || w.client.width <= 0 || w.client.height <= 0) return false;
    if (!n->windowChanged && n->presentedGeneration == w.client.Generation()) return false;
    SDL_Surface* screen = SDL_GetWindowSurface(n->window);
    if (!screen) return false;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0) return false;
    CopyScaled(w.client, screen, scale * PixelsPerPoint(n->window, *screen));
    if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    SDL_UpdateWindowSurface(n->window);
    n->presentedGeneration = w.client.Generation();
    n->windowChanged = false;
    return true;
}

int VirtualKey(const SDL_Keysym& key) {
    SDL_Keycode k = key.sym;
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + static_cast<int>(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + static_cast<int>(k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + static_cast<int>(k - SDLK_F1);
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return VK_NUMPAD1 + static_cast<int>(k - SDLK_KP_1);
    switch (k) {
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    // The US layout's bracket keys, as Windows names them.
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

Uint32 buttonsDown = 0;

WPARAM MouseKeys() {
    WPARAM mk = 0;
    if (buttonsDown & SDL_BUTTON_LMASK) mk |= MK_LBUTTON;
    if (buttonsDown & SDL_BUTTON_RMASK) mk |= MK_RBUTTON;
    if (buttonsDown & SDL_BUTTON_MMASK) mk |= MK_MBUTTON;
    SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) mk |= MK_SHIFT;
    if (mod & KMOD_CTRL) mk |= MK_CONTROL;
    return mk;
}

#if defined(SDL_VIDEO_DRIVER_X11) && defined(TAVRIN_HAVE_X11)
// SetCapture on X11: an active pointer grab of our own. SDL's mouse capture
// alone is not enough: SDL 2.26 answers every EnterNotify (the grab's own
// NotifyGrab crossing included) with SDL_UpdateWindowGrab, which calls
// XUngrabPointer for a window that is not grabbed with SDL_SetWindowGrab,
// ending both the capture grab and the implicit button grab; the next button
// release then goes to whatever is under the pointer, never to us. So while
// the capture is held the window stops selecting crossing events (SDL never
// sees one, and never ungrabs), the grab asks for none, and it is checked
// again after every batch of events.
struct Grab {
    Display* display = nullptr;
    ::Window xwindow = 0;
    long savedMask = 0;
    HWND owner = nullptr;
};
Grab grab;

const unsigned int kGrabMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

bool X11Of(SDL_Window* window, Display** display, ::Window* xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

bool GrabPointer() {
    // owner_events False: everything is reported to the grab window, in its
    // coordinates, wherever the pointer is.
    int rc = XGrabPointer(grab.display, grab.xwindow, False, kGrabMask, GrabModeAsync, GrabModeAsync, None, None,
                          CurrentTime);
    return rc == GrabSuccess;
}

void EndGrab() {
    if (!grab.display) return;
    XSelectInput(grab.display, grab.xwindow, grab.savedMask);
    XUngrabPointer(grab.display, CurrentTime);
    XFlush(grab.display);
    grab = Grab();
}

bool StartGrab(HWND h, Window& w) {
    EndGrab();
    Display* display;
    ::Window xwindow;
    if (!X11Of(NativeOf(w)->window, &display, &xwindow)) return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xwindow, &attributes)) return false;
    grab.display = display;
    grab.xwindow = xwindow;
    grab.savedMask = attributes.your_event_mask;
    grab.owner = h;
    XSelectInput(display, xwindow, grab.savedMask & ~(EnterWindowMask | LeaveWindowMask));
    if (!GrabPointer()) {
        EndGrab();
        return false;
    }
    return true;
}

// After events: SDL may have ungrabbed (a FocusIn still reaches it), and a
// release that fell between its ungrab and ours went elsewhere. Take the
// grab again, and end what the pointer no longer holds as the release
// Windows would have delivered.
void CheckGrab() {
    if (!grab.display) return;
    HWND h = grab.owner;
    Window* w = LookUpWindow(h);
    if (!w || !GrabPointer()) {
        EndGrab();
        CaptureLost(h);
        return;
    }
    ::Window root, child;
    int rootX, rootY, x, y;
    unsigned int mask;
    if (!XQueryPointer(grab.display, grab.xwindow, &root, &child, &rootX, &rootY, &x, &y, &mask)) return;
    const struct { Uint32 sdl; unsigned int x; UINT up; } buttons[] = {
        {SDL_BUTTON_LMASK, Button1Mask, WM_LBUTTONUP},
        {SDL_BUTTON_MMASK, Button2Mask, WM_MBUTTONUP},
        {SDL_BUTTON_RMASK, Button3Mask, WM_RBUTTONUP},
    };
    for (const auto& b : buttons) {
        if ((buttonsDown & b.sdl) && !(mask & b.x)) {
            buttonsDown &= ~b.sdl;
            DeliverMouse(h, b.up, FromScreen(x), FromScreen(y), MouseKeys());
        }
    }
}

bool GrabHeld() { return grab.display != nullptr; }
#else
bool StartGrab(HWND, Window&) { return false; }
void EndGrab() {}
void CheckGrab() {}
bool GrabHeld() { return false; }
#endif

// How often a held grab is looked at again: a release lost to an ungrab
// brings no event.
const int kGrabCheckMs = 100;

// Sleeps until SDL has an event or the time is up. While the pointer is
// grabbed the sleep ends in time for the grab's next check.
void WaitSdl(int timeoutMs) {
    int wait = timeoutMs;
    if (GrabHeld() && (wait < 0 || wait > kGrabCheckMs)) wait = kGrabCheckMs;
    if (wait < 0) {
        SDL_WaitEvent(nullptr);
    } else {
        SDL_WaitEventTimeout(nullptr, wait);
    }
}

void MouseButton(const SDL_MouseButtonEvent& e) {
    bool down = e.type == SDL_MOUSEBUTTONDOWN;
    UINT message;
    switch (e.button) {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
    }
    Uint32 mask = SDL_BUTTON(e.button);
    buttonsDown = down ? (buttonsDown | mask) : (buttonsDown & ~mask);
    DeliverMouse(WindowForId(e.windowID), message, FromScreen(e.x), FromScreen(e.y), MouseKeys());
}

void WindowEvent(const SDL_WindowEvent& e) {
    HWND h = WindowForId(e.windowID);
    Window* w = LookUpWindow(h);
    if (!w) return;
    switch (e.event) {
    case SDL_WINDOWEVENT_EXPOSED:
        NativeOf(*w)->windowChanged = true;
        InvalidateClient(*w, nullptr, true);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int width = FromScreen(e.data1), height = FromScreen(e.data2);
        NativeOf(*w)->windowChanged = true;
        NativeOf(*w)->outerWidth = width + w->frame.left + w->frame.right;
        NativeOf(*w)->outerHeight = height + w->frame.top + w->frame.bottom;
        ClientResized(h, width, height);
        break;
    }
    case SDL_WINDOWEVENT_MOVED: {
        int x = FromScreen(e.data1), y = FromScreen(e.data2);
        NativeOf(*w)->outerX = x - w->frame.left;
        NativeOf(*w)->outerY = y - w->frame.top;
        ClientMoved(h, x, y);
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        DeliverClose(h);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: case SDL_WINDOWEVENT_HIDDEN: case SDL_WINDOWEVENT_MINIMIZED:
        // Another window took the keyboard, or ours went away: the capture
        // does not survive it.
        if (CaptureWindow() == h) {
            EndGrab();
            SDL_CaptureMouse(SDL_FALSE);
            CaptureLost(h);
        }
        break;
    default:
        break;
    }
}

void PumpSdl() {
    SDL_Event e;
    bool any = false;
    while (SDL_PollEvent(&e)) {
        any = true;
        switch (e.type) {
        case SDL_KEYDOWN: case SDL_KEYUP:
            // A held key repeats its SDL_KEYDOWN, and so its WM_KEYDOWN.
            if (int vk = VirtualKey(e.key.keysym)) DeliverKey(vk, e.type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEMOTION:
            DeliverMouse(WindowForId(e.motion.windowID), WM_MOUSEMOVE, FromScreen(e.motion.x),
                         FromScreen(e.motion.y), MouseKeys());
            break;
        case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP:
            MouseButton(e.button);
            break;
        case SDL_WINDOWEVENT:
            WindowEvent(e.window);
            break;
        case SDL_QUIT:
            // SDL turns SIGINT and SIGTERM into this: the program is asked
            // to end, as when the user closes its windows.
            for (HWND h : AllWindows()) DeliverClose(h);
            break;
        default:
            break;
        }
    }
    // Also now and then: a release lost to an ungrab brings no event.
    static Uint64 lastCheck = 0;
    if (any || SDL_GetTicks64() >= lastCheck + kGrabCheckMs) {
        CheckGrab();
        lastCheck = SDL_GetTicks64();
    }
    // Decorations can arrive after the window was shown.
    for (HWND h : AllWindows()) {
        Window* w = LookUpWindow(h);
        if (w && w->native && w->visible) FitToBorders(*w);
    }
}

int SdlMessageBox(const char* text, const char* caption, UINT type) {
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
    if ((type & 0xF0) == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
    if (SDL_ShowSimpleMessageBox(flags, caption, text, nullptr) != 0) {
        std::fprintf(stderr, "[%s] %s\n", caption, text);
    }
    return IDOK;
}

void SdlCaptureChanged(Window* w) {
    // While the capture is held the pointer keeps reporting outside the
    // window, with coordinates relative to it, negative ones included:
    // SDL's capture keeps it from dropping such motion, our grab keeps the
    // X server sending it, and the release.
    if (w) {
        SDL_CaptureMouse(SDL_TRUE);
        StartGrab(w->handle, *w);
    } else {
        EndGrab();
        SDL_CaptureMouse(SDL_FALSE);
    }
}


// A Wayland display named relative to XDG_RUNTIME_DIR cannot be found
// without it; libwayland would say so on standard error itself, before the
// program's own message, so such a display is not tried.
bool WaylandReachable(const char* wayland) {
    if (!wayland || !*wayland) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return wayland[0] == '/' || (runtime && *runtime);
}

// The drivers to try, or null when none of the displays named can be.
const char* VideoDrivers() {
    const char* x11 = std::getenv("DISPLAY");
    bool hasX11 = x11 && *x11, hasWayland = WaylandReachable(std::getenv("WAYLAND_DISPLAY"));
    if (hasX11 && hasWayland) return "x11,wayland";
    if (hasX11) return "x11";
    return hasWayland ? "wayland" : nullptr;
}

// SIGINT and SIGTERM ask the program to end, as closing its windows does.
// SDL's own handlers only mark the request for its next pump, and a wait
// with no deadline never pumps again: so the handler writes a byte into a
// pipe, and a thread that reads it pushes SDL_QUIT, which wakes the wait.
int quitPipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const char byte = 0;
    const int saved = errno;
    if (write(quitPipe[1], &byte, 1) < 0) {
        // Nothing a handler could do: the pipe is full of requests already.
    }
    errno = saved;
}

void WatchQuitSignals() {
    if (pipe(quitPipe) != 0) return;
    std::thread([] {
        char byte;
        while (read(quitPipe[0], &byte, 1) == 1 || errno == EINTR) {
            SDL_Event quit;
            SDL_zero(quit);
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
    }).detach();
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM}) {
        // A signal the caller set to be ignored stays ignored, as SDL does.
        struct sigaction previous;
        if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

bool OpenSdl(const char* appClass, std::string* why) {
    // SDL takes the X11 WM_CLASS and the Wayland app id from these when its
    // video starts; a value the user set is kept.
    if (appClass && *appClass) {
        setenv("SDL_VIDEO_X11_WMCLASS", appClass, 0);
        setenv("SDL_VIDEO_WAYLAND_WMCLASS", appClass, 0);
    }
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Only the display systems the user's environment names are tried.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!(asked && *asked)) {
        const char* drivers = VideoDrivers();
        if (!drivers) {
            *why = "XDG_RUNTIME_DIR is not set, and Wayland needs it to find the display";
            return false;
        }
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        *why = SDL_GetError();
        return false;
    }
    // When no display answers SDL falls back to drivers that show nothing.
    // A window nobody can see is no window: only an explicit SDL_VIDEODRIVER
    // may choose one of those.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                                std::strcmp(driver, "evdev") == 0);
    if (invisible && !(asked && *asked)) {
        *why = std::string("no display answered (SDL fell back to its '") + driver + "' driver)";
        SDL_Quit();
        return false;
    }
    // Frames are drawn in software: on X11 (and the drivers without a
    // display) the window surface is shown as it is, with no GL stack.
    // Wayland has no such surface; there SDL shows it through a GL texture,
    // scaled up by nearest neighbour on a high-DPI output.
    bool wayland = driver && std::strcmp(driver, "wayland") == 0;
    if (!wayland) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    scale = ChooseScale(wayland);
    askedInOutputPixels = wayland && askedScale > 0;
    WatchQuitSignals();
    return true;
}

Backend MakeSdl() {
    Backend b;
    b.name = "sdl2";
    b.open = OpenSdl;
    b.createWindow = CreateSdlWindow;
    b.destroyWindow = DestroySdlWindow;
    b.showWindow = ShowSdlWindow;
    b.setTitle = SetSdlTitle;
    b.setClientSize = SetSdlClientSize;
    b.present = PresentSdl;
    b.pumpEvents = PumpSdl;
    b.waitForEvents = WaitSdl;
    b.messageBox = SdlMessageBox;
    b.captureChanged = SdlCaptureChanged;
    return b;
}

}  // namespace

void SetPresentationScale(int factor) {
    askedScale = factor >= 1 && factor <= kMaxPresentationScale ? factor : 0;
}

const Backend& SdlBackend() {
    static const Backend sdl = MakeSdl();
    return sdl;
}

}  // namespace tavrin

#endif
