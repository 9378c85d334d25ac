// Chooses the backend this process runs on (backend.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"

namespace tavrin {
namespace {

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

std::string programName = "tavrin";

[[noreturn]] void NoDisplay(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), message.c_str());
    std::exit(1);
}

// SDL's table, but a display that is not there or will not open ends the
// process when the first window is made (not before: a bad command line is
// still told as such on a machine without a display).
bool OpenOrEnd(const char* appClass, std::string* why) {
    if (DisplayName().empty()) {
        NoDisplay("no display to open a window on: neither DISPLAY nor WAYLAND_DISPLAY is set "
                  "(TAVRIN_HEADLESS=1 runs without one)");
    }
    if (!SdlBackend().open(appClass, why)) NoDisplay("cannot open the display '" + DisplayName() + "': " + *why);
    return true;
}

}  // namespace

const char* ProgramName() { return programName.c_str(); }

const Backend& ChooseBackend(const char* name) {
    if (name && *name) programName = name;
    if (WantsHeadless()) return HeadlessBackend();
    static const Backend sdl = [] {
        Backend b = SdlBackend();
        b.open = OpenOrEnd;
        return b;
    }();
    return sdl;
}

}  // namespace tavrin
