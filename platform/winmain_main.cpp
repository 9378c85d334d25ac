// The start-up code of a Windows program, for everywhere else: main() hands
// WinMain the module, no previous instance, the command line after the
// program's name and SW_SHOWDEFAULT, and returns what WinMain returns.
//
// It also chooses the backend and hands it to the window floor. One option
// belongs to the platform and is taken out of the command line first:
// --scale N shows every pixel of the program's windows as N x N screen
// pixels, as TAVRIN_SCALE=N does (the option wins).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/user_internal.h"
#include "platform/win32.h"

namespace {

bool ValidScale(const char* text) {
    if (!text || std::strlen(text) != 1) return false;
    return text[0] >= '1' && text[0] < '1' + tavrin::kMaxPresentationScale;
}

[[noreturn]] void BadScale(const char* program, const char* where, const char* text) {
    std::fprintf(stderr, "%s: %s must be a whole number from 1 to %d, not '%s'\n", program, where,
                 tavrin::kMaxPresentationScale, text);
    std::exit(2);
}

// One argument as a Windows command line holds it, so that a program reads
// it back whole: quoted when it is empty or has blanks or quotes, with each
// quote escaped and the backslashes before a quote doubled.
std::string QuotedForCommandLine(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

}  // namespace

// The last path component of argv[0], for messages.
const char* ProgramName(const char* argv0) {
    if (!argv0 || !*argv0) return "tavrin";
    const char* slash = std::strrchr(argv0, '/');
    return slash ? slash + 1 : argv0;
}

int main(int argc, char** argv) {
    const char* name = ProgramName(argc > 0 ? argv[0] : nullptr);
    const char* scale = std::getenv("TAVRIN_SCALE");
    if (scale && !*scale) scale = nullptr;
    const char* scaleFrom = "TAVRIN_SCALE";
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--scale") {
            scale = i + 1 < argc ? argv[++i] : "";
            scaleFrom = "--scale";
            continue;
        }
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += QuotedForCommandLine(arg);
    }
    if (scale && !ValidScale(scale)) BadScale(name, scaleFrom, scale);
    tavrin::SetPresentationScale(scale ? scale[0] - '0' : 0);
    tavrin::UseBackend(tavrin::ChooseBackend(name));
    return WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOWDEFAULT);
}
