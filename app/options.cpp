#include "app/options.h"

// Windows' rules: 2n backslashes before a quote stand for n backslashes and
// the quote opens or closes a quoted part; 2n + 1 of them stand for n
// backslashes and a quote character; backslashes anywhere else are
// themselves.
std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> args;
    if (!line) return args;
    std::string current;
    bool inArg = false, quoted = false;
    for (const char* p = line; *p; ++p) {
        if (*p == '\\') {
            size_t backslashes = 0;
            while (p[backslashes] == '\\') ++backslashes;
            bool beforeQuote = p[backslashes] == '"';
            current.append(beforeQuote ? backslashes / 2 : backslashes, '\\');
            p += backslashes - 1;
            inArg = true;
            if (beforeQuote && backslashes % 2 == 1) {
                current += '"';
                ++p;
            }
        } else if (*p == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((*p == ' ' || *p == '\t') && !quoted) {
            if (inArg) args.push_back(current);
            current.clear();
            inArg = false;
        } else {
            current += *p;
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
