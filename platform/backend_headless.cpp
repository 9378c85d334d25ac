// The headless backend: windows exist only as their client surfaces in
// memory, nothing is shown and no device sends events; tests drive it
// through the injection API. It also picks which backend runs.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/internal.h"

namespace tavrin {
namespace {

// A Full HD screen with Windows 10's 40-pixel taskbar at the bottom.
const int kScreenWidth = 1920;
const int kWorkAreaHeight = 1040;

// TAVRIN_DUMP_FRAME=<file.ppm>: the last frame any window presented is
// written there when the process ends.
struct FrameDump {
    std::string path;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    const Window* source = nullptr;
    uint64_t generation = 0;
};
FrameDump dump;

void WriteDump() {
    if (dump.path.empty() || dump.pixels.empty()) return;
    FILE* f = std::fopen(dump.path.c_str(), "wb");
    if (!f) return;
    std::fprintf(f, "P6\n%d %d\n255\n", dump.width, dump.height);
    for (uint32_t p : dump.pixels) {
        unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                static_cast<unsigned char>(p)};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

void CreateNothing(Window&) {}
void DestroyNothing(Window&) {}

void ShowHeadless(Window& w, int cmd) {
    if (cmd != SW_SHOWMAXIMIZED) return;
    // A maximised window's client area fills the work area below its caption.
    int caption = w.frame.top - w.frame.bottom;
    ClientMoved(w.handle, 0, caption);
    ClientResized(w.handle, kScreenWidth, kWorkAreaHeight - caption);
}

void ResizeNothing(Window&, int, int) {}

void PresentHeadless(Window& w) {
    if (dump.path.empty()) return;
    if (dump.source == &w && dump.generation == w.client.generation) return;
    dump.source = &w;
    dump.generation = w.client.generation;
    dump.width = w.client.width;
    dump.height = w.client.height;
    dump.pixels = w.client.pixels;
}

void PumpNothing() {}

int MessageBoxToStderr(const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return IDOK;
}

void CaptureNothing(Window*) {}

const Backend headless = {
    "headless",     CreateNothing, DestroyNothing,    ShowHeadless,  ResizeNothing,
    PresentHeadless, PumpNothing,  MessageBoxToStderr, CaptureNothing,
};

bool WantsHeadless() {
    const char* forced = std::getenv("TAVRIN_HEADLESS");
    return forced && std::strcmp(forced, "1") == 0;
}

// The display the user meant, for the message when it cannot be opened.
std::string DisplayName() {
    const char* x11 = std::getenv("DISPLAY");
    if (x11 && *x11) return x11;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return wayland && *wayland ? wayland : "";
}

// A program whose window nobody can see would run on unseen, at full speed
// and deaf to its close button: without a display it ends at once, unless
// TAVRIN_HEADLESS=1 asks for windows in memory.
[[noreturn]] void NoDisplay(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
    std::exit(1);
}

}  // namespace

const Backend& HeadlessBackend() { return headless; }

const Backend& ActiveBackend() {
    static const Backend* chosen = nullptr;
    if (chosen) return *chosen;
    const char* path = std::getenv("TAVRIN_DUMP_FRAME");
    if (path && *path) {
        dump.path = path;
        std::atexit(WriteDump);
    }
    if (WantsHeadless()) {
        chosen = &headless;
        return *chosen;
    }
    std::string display = DisplayName();
    if (display.empty()) {
        NoDisplay("no display to open a window on: neither DISPLAY nor WAYLAND_DISPLAY is set "
                  "(TAVRIN_HEADLESS=1 runs without one)");
    }
    std::string why;
    chosen = OpenSdlBackend(why);
    if (!chosen) NoDisplay("cannot open the display '" + display + "': " + why);
    return *chosen;
}

}  // namespace tavrin
