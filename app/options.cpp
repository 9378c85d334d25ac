#include "app/options.h"

#include "text/quote.h"

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

const char kUsage[] =
    "usage: tavrin [--leg FILE] [--angles] [--margin] [--scale N]\n"
    "              [--port PATH | --no-controller] [--record FILE] [--play FILE]\n"
    "       tavrin --help\n"
    "\n"
    "Tavrin FrontView: drag the foot of a three-joint leg and see the joint angles\n"
    "that reach it, over the cloud of every point the foot can reach at this depth.\n"
    "\n"
    "--leg FILE  the leg to show, described in TOML (segment lengths, joint ranges,\n"
    "            servos; see legs/example.toml); without it the default leg:\n"
    "            upper 10, lower 15, every joint 0..180.\n"
    "--angles    start with the joint angles shown under the target.\n"
    "--margin    start with the cloud coloured by joint margin (as the M key).\n"
    "--scale N   show every pixel as N x N screen pixels (1 to 8; also TAVRIN_SCALE);\n"
    "            without it a high-DPI screen chooses. A factor that does not fit\n"
    "            the screen is lowered to the largest that does. The Windows build\n"
    "            leaves scaling to Windows' display settings.\n"
    "--port PATH     send the drawn pose to the servo controller on this port\n"
    "            instead of the leg file's [controller] port.\n"
    "--no-controller ignore the leg file's [controller] section.\n"
    "--record FILE   where R saves a recording (default: tavrin-path-YYYYMMDD-HHMMSS.csv\n"
    "            in the current folder).\n"
    "--play FILE     the foot path (CSV: t_ms,x,y,z) that P plays.\n"
    "\n"
    "Keys: drag with the left button to move the foot; arrows move it by one unit;\n"
    "keypad + and - change the depth; A shows or hides the joint angles; M colours\n"
    "the cloud by joint margin; R starts and stops recording the foot's moves;\n"
    "P plays the last recording or the --play path (any key or button stops it);\n"
    "a recording that could not be saved is kept: R tries again, Backspace lets\n"
    "it go, and closing the window saves it. C calibrates the servos from the real\n"
    "leg (Tab, arrows, Enter, [ and ], S saves into the leg file; C or Escape leaves).\n"
    "With a leg file whose [controller] section names a servo controller, every\n"
    "pose drawn is sent to it; the title says where poses go.\n"
    "\n"
    "Exit status: 0 when the window was closed, 1 when no display could be opened,\n"
    "2 for a bad command line, leg file, path file or controller port (one line on\n"
    "standard error, no window).\n";

namespace {

// One line naming what is wrong; the whole usage is a --help away.
bool Refuse(std::string& error, const std::string& what) {
    error = what + " (see tavrin --help)";
    return false;
}

}  // namespace

bool ParseOptions(const char* commandLine, AppOptions& options, std::string& error) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    bool haveLeg = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--angles") {
            options.showAngles = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            options.help = true;
        } else if (args[i] == "--leg") {
            if (i + 1 == args.size()) return Refuse(error, "--leg needs a FILE");
            if (haveLeg) return Refuse(error, "--leg given twice");
            haveLeg = true;
            options.legFile = args[++i];
        } else if (args[i] == "--margin") {
            options.margin = true;
        } else if (args[i] == "--no-controller") {
            options.noController = true;
        } else if (args[i] == "--port" || args[i] == "--record" || args[i] == "--play") {
            static const struct { const char* name; const char* value; std::string AppOptions::*field; } kValued[] = {
                {"--port", "PATH", &AppOptions::port},
                {"--record", "FILE", &AppOptions::recordFile},
                {"--play", "FILE", &AppOptions::playFile},
            };
            for (const auto& option : kValued) {
                if (args[i] != option.name) continue;
                if (i + 1 == args.size()) return Refuse(error, std::string(option.name) + " needs a " + option.value);
                if (!(options.*option.field).empty()) return Refuse(error, std::string(option.name) + " given twice");
                options.*option.field = args[++i];
                break;
            }
        } else if (args[i] == "--scale") {
            const std::string value = i + 1 < args.size() ? args[++i] : "";
            if (value.size() != 1 || value[0] < '1' || value[0] > '8') {
                return Refuse(error, "--scale must be a whole number from 1 to 8, not '" + value + "'");
            }
            options.scale = value[0] - '0';
        } else {
            return Refuse(error, "unknown argument " + Quote(args[i]));
        }
    }
    if (!options.port.empty() && options.noController) {
        return Refuse(error, "--port and --no-controller contradict each other");
    }
    return true;
}
