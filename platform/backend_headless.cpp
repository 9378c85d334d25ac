// The headless backend: windows exist only as their client surfaces in
// memory, nothing is shown and no device sends events; tests drive it
// through the test hooks.
//
// Implements: a Full HD screen with a taskbar (a maximised window fills its
// work area), "presenting" as noticing new pixels, the last frame written
// to TAVRIN_DUMP_FRAME at exit, message boxes on standard error, and a wait
// that is the clock's alone. Does not: titles, sizes asked of a display,
// input of its own, the capture's grab.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/backend.h"

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

// TAVRIN_DUMP_FRAME=<file.ppm> asks for the last frame at exit.
bool OpenHeadless(const char*, std::string*) {
    const char* path = std::getenv("TAVRIN_DUMP_FRAME");
    if (path && *path) {
        dump.path = path;
        std::atexit(WriteDump);
    }
    return true;
}

void CreateNothing(Window&) {}
// The generation of each window's surface when it was last presented.
std::unordered_map<const Window*, uint64_t> presented;

void DestroyNothing(Window& w) { presented.erase(&w); }

void ShowHeadless(Window& w, int cmd) {
    if (cmd != SW_SHOWMAXIMIZED) return;
    // A maximised window's client area fills the work area below its caption.
    int caption = w.frame.top - w.frame.bottom;
    ClientMoved(w.handle, 0, caption);
    ClientResized(w.handle, kScreenWidth, kWorkAreaHeight - caption);
}

void ResizeNothing(Window&, int, int) {}

// New pixels are "shown" when the surface changed since the last present.
bool PresentHeadless(Window& w) {
    const uint64_t generation = w.client.Generation();
    auto seen = presented.find(&w);
    bool fresh = seen == presented.end() || seen->second != generation;
    presented[&w] = generation;
    if (dump.path.empty()) return fresh;
    if (dump.source == &w && dump.generation == generation) return fresh;
    dump.source = &w;
    dump.generation = w.client.Generation();
    dump.width = w.client.width;
    dump.height = w.client.height;
    dump.pixels = w.client.pixels;
    return fresh;
}

// No device sends events: nothing to take, and a wait is the clock's.
void PumpNothing() {}

int MessageBoxToStderr(const char* text, const char* caption, UINT) {
    std::fprintf(stderr, "[%s] %s\n", caption, text);
    return IDOK;
}

void CaptureNothing(Window*) {}

Backend MakeHeadless() {
    Backend b;
    b.name = "headless";
    b.open = OpenHeadless;
    b.createWindow = CreateNothing;
    b.destroyWindow = DestroyNothing;
    b.showWindow = ShowHeadless;
    b.setTitle = [](Window&) {};
    b.setClientSize = ResizeNothing;
    b.present = PresentHeadless;
    b.pumpEvents = PumpNothing;
    b.waitForEvents = SleepWithoutEvents;
    b.messageBox = MessageBoxToStderr;
    b.captureChanged = CaptureNothing;
    return b;
}

}  // namespace

const Backend& HeadlessBackend() {
    static const Backend headless = MakeHeadless();
    return headless;
}

}  // namespace tavrin
