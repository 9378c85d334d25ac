#include "app/options.h"

std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> args;
    if (!line) return args;
    std::string current;
    bool inArg = false, quoted = false;
    for (const char* p = line; *p; ++p) {
        char c = *p;
        if (c == '\\' && p[1] == '"') {
            current += '"';
            inArg = true;
            ++p;
        } else if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) args.push_back(current);
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(current);
    return args;
}

bool ParseOptions(const char* commandLine, AppOptions& options, std::string& error) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--angles") {
            options.showAngles = true;
        } else if (args[i] == "--leg") {
            if (i + 1 == args.size()) {
                error = "--leg needs a FILE";
                return false;
            }
            options.legFile = args[++i];
        } else {
            error = "unknown argument '" + args[i] + "' (options: --leg FILE, --angles)";
            return false;
        }
    }
    return true;
}
