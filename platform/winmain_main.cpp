// The start-up code of a Windows program, for everywhere else: main() hands
// WinMain the module, no previous instance, the command line after the
// program's name and SW_SHOWDEFAULT, and returns what WinMain returns.
#include <string>

#include "platform/win32.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        std::string arg = argv[i];
        // Quote what contains blanks, as the Windows command line would.
        bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        commandLine += quote ? "\"" + arg + "\"" : arg;
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, &commandLine[0], SW_SHOWDEFAULT);
}
