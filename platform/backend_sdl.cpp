// The SDL2 backend: each window is a real window on X11 or Wayland, its
// client surface presented through a streaming texture, and SDL's events
// turned into the messages Windows would send.
#include "platform/internal.h"

#ifndef TAVRIN_HAVE_SDL2

namespace tavrin {
const Backend* OpenSdlBackend(std::string& why) {
    why = "this build has no SDL2";
    return nullptr;
}
void NoteWindowClassName(const char*) {}
}  // namespace tavrin

#else

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavrin {
namespace {

std::string wmClass;

struct Native {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
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
    if (top == w.frame.top && left == w.frame.left && bottom == w.frame.bottom && right == w.frame.right) return;
    w.frame = RECT{left, top, right, bottom};
    int clientWidth = n.outerWidth - left - right;
    int clientHeight = n.outerHeight - top - bottom;
    if (clientWidth < 1) clientWidth = 1;
    if (clientHeight < 1) clientHeight = 1;
    HWND h = w.handle;
    SDL_SetWindowSize(n.window, clientWidth, clientHeight);
    SDL_SetWindowPosition(n.window, n.outerX + left, n.outerY + top);
    ClientMoved(h, n.outerX + left, n.outerY + top);
    ClientResized(h, clientWidth, clientHeight);
}

void CreateSdlWindow(Window& w) {
    Native* n = new Native();
    n->outerX = w.clientOrigin.x - w.frame.left;
    n->outerY = w.clientOrigin.y - w.frame.top;
    n->outerWidth = w.client.width + w.frame.left + w.frame.right;
    n->outerHeight = w.client.height + w.frame.top + w.frame.bottom;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (w.style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(w.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER))) flags |= SDL_WINDOW_BORDERLESS;
    int width = n->outerWidth > 0 ? n->outerWidth : 1;
    int height = n->outerHeight > 0 ? n->outerHeight : 1;
    n->window = SDL_CreateWindow(w.title.c_str(), n->outerX, n->outerY, width, height, flags);
    if (!n->window) {
        std::fprintf(stderr, "tavrin platform: SDL_CreateWindow failed: %s\n", SDL_GetError());
        delete n;
        return;
    }
    n->renderer = SDL_CreateRenderer(n->window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!n->renderer) n->renderer = SDL_CreateRenderer(n->window, -1, SDL_RENDERER_SOFTWARE);
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
    if (n->texture) SDL_DestroyTexture(n->texture);
    if (n->renderer) SDL_DestroyRenderer(n->renderer);
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
    SDL_SetWindowSize(n->window, clientWidth > 0 ? clientWidth : 1, clientHeight > 0 ? clientHeight : 1);
    n->windowChanged = true;
}

void PresentSdl(Window& w) {
    Native* n = NativeOf(w);
    if (!n || !n->renderer || w.client.width <= 0 || w.client.height <= 0) return;
    if (!n->windowChanged && n->presentedGeneration == w.client.generation) return;
    if (!n->texture || n->textureWidth != w.client.width || n->textureHeight != w.client.height) {
        if (n->texture) SDL_DestroyTexture(n->texture);
        // RGB888 is 0x00RRGGBB in a 32-bit word, our own pixel layout.
        n->texture = SDL_CreateTexture(n->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                       w.client.width, w.client.height);
        if (!n->texture) return;
        n->textureWidth = w.client.width;
        n->textureHeight = w.client.height;
    }
    SDL_UpdateTexture(n->texture, nullptr, w.client.pixels.data(), w.client.width * 4);
    SDL_Rect whole = {0, 0, w.client.width, w.client.height};
    SDL_RenderClear(n->renderer);
    SDL_RenderCopy(n->renderer, n->texture, nullptr, &whole);
    SDL_RenderPresent(n->renderer);
    n->presentedGeneration = w.client.generation;
    n->windowChanged = false;
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
    DeliverMouse(WindowForId(e.windowID), message, e.x, e.y, MouseKeys());
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
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        NativeOf(*w)->windowChanged = true;
        NativeOf(*w)->outerWidth = e.data1 + w->frame.left + w->frame.right;
        NativeOf(*w)->outerHeight = e.data2 + w->frame.top + w->frame.bottom;
        ClientResized(h, e.data1, e.data2);
        break;
    case SDL_WINDOWEVENT_MOVED:
        NativeOf(*w)->outerX = e.data1 - w->frame.left;
        NativeOf(*w)->outerY = e.data2 - w->frame.top;
        ClientMoved(h, e.data1, e.data2);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        DeliverClose(h);
        break;
    default:
        break;
    }
}

void PumpSdl() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
        case SDL_KEYDOWN: case SDL_KEYUP:
            // A held key repeats its SDL_KEYDOWN, and so its WM_KEYDOWN.
            if (int vk = VirtualKey(e.key.keysym)) DeliverKey(vk, e.type == SDL_KEYDOWN);
            break;
        case SDL_MOUSEMOTION:
            DeliverMouse(WindowForId(e.motion.windowID), WM_MOUSEMOVE, e.motion.x, e.motion.y, MouseKeys());
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
    // window, with coordinates relative to it, negative ones included.
    SDL_CaptureMouse(w ? SDL_TRUE : SDL_FALSE);
}

const Backend sdl = {
    "sdl2",     CreateSdlWindow, DestroySdlWindow, ShowSdlWindow,     SetSdlClientSize,
    PresentSdl, PumpSdl,         SdlMessageBox,    SdlCaptureChanged,
};

const char* VideoDrivers() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    bool hasX11 = x11 && *x11, hasWayland = wayland && *wayland;
    if (hasX11 && hasWayland) return "x11,wayland";
    return hasWayland ? "wayland" : "x11";
}

}  // namespace

void NoteWindowClassName(const char* name) {
    if (wmClass.empty() && name) wmClass = name;
}

const Backend* OpenSdlBackend(std::string& why) {
    // SDL takes the X11 WM_CLASS and the Wayland app id from these when its
    // video starts; a value the user set is kept.
    if (!wmClass.empty()) {
        setenv("SDL_VIDEO_X11_WMCLASS", wmClass.c_str(), 0);
        setenv("SDL_VIDEO_WAYLAND_WMCLASS", wmClass.c_str(), 0);
    }
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Only the display systems the user's environment names are tried.
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!(asked && *asked)) SDL_SetHint(SDL_HINT_VIDEODRIVER, VideoDrivers());
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        why = SDL_GetError();
        return nullptr;
    }
    // When no display answers SDL falls back to drivers that show nothing.
    // A window nobody can see is no window: only an explicit SDL_VIDEODRIVER
    // may choose one of those.
    const char* driver = SDL_GetCurrentVideoDriver();
    bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                                std::strcmp(driver, "evdev") == 0);
    if (invisible && !(asked && *asked)) {
        why = std::string("no display answered (SDL fell back to its '") + driver + "' driver)";
        SDL_Quit();
        return nullptr;
    }
    return &sdl;
}

}  // namespace tavrin

#endif
