// Chooses the backend this process runs on, once: windows in memory when
// TAVRIN_HEADLESS=1 asks for them, otherwise real windows on the display the
// environment names. A program whose window nobody could see would run on
// unseen, at full speed and deaf to its close button, so without a display
// that opens the process ends at once with a message.
#include <cerrno>
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

[[noreturn]] void NoDisplay(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
    std::exit(1);
}

const Backend& Choose(const char* appClass) {
    std::string why;
    if (WantsHeadless()) {
        HeadlessBackend().open(appClass, &why);
        return HeadlessBackend();
    }
    std::string display = DisplayName();
    if (display.empty()) {
        NoDisplay("no display to open a window on: neither DISPLAY nor WAYLAND_DISPLAY is set "
                  "(TAVRIN_HEADLESS=1 runs without one)");
    }
    if (!SdlBackend().open(appClass, &why)) NoDisplay("cannot open the display '" + display + "': " + why);
    return SdlBackend();
}

}  // namespace

const Backend& ActiveBackend(const char* appClass) {
    static const Backend& chosen = Choose(appClass);
    return chosen;
}

}  // namespace tavrin
