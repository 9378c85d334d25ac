// The start-up code of a Windows program, for everywhere else: main() hands
// WinMain the module, no previous instance, the command line after the
// program's name and SW_SHOWDEFAULT, and returns what WinMain returns.
//
// One option belongs to the platform and is taken out of the command line
// first: --scale N shows every pixel of the program's windows as N x N
// screen pixels, as TAVRIN_SCALE=N does.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/win32.h"

namespace {

bool ValidScale(const char* text) {
    if (!text || std::strlen(text) != 1) return false;
    return text[0] >= '1' && text[0] < '1' + tavrin::kMaxPresentationScale;
}

[[noreturn]] void BadScale(const char* where, const char* text) {
    std::fprintf(stderr, "%s: %s must be a whole number from 1 to %d, not '%s'\n", program_invocation_short_name,
                 where, tavrin::kMaxPresentationScale, text ? text : "");
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

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--scale") {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!ValidScale(value)) BadScale("--scale", value);
            setenv("TAVRIN_SCALE", value, 1);
            continue;
        }
        if (!commandLine.empty()) commandLine += ' ';
        commandLine += QuotedForCommandLine(arg);
    }
    const char* scale = std::getenv("TAVRIN_SCALE");
    if (scale && *scale && !ValidScale(scale)) BadScale("TAVRIN_SCALE", scale);
    return WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOWDEFAULT);
}
