// The program's own command-line options:
//   --leg FILE   the leg to show, described in TOML (see legs/example.toml)
//   --angles     start with the joint angles shown under the target
#pragma once

#include <string>
#include <vector>

struct AppOptions {
    std::string legFile;
    bool showAngles = false;
};

// The arguments of a Windows command line: blanks separate them, double
// quotes hold blanks within one, and backslashes escape quotes as Windows'
// own programs read them.
std::vector<std::string> SplitCommandLine(const char* line);

// False, with a one-line error, for an option it does not know or one that
// lacks its value.
bool ParseOptions(const char* commandLine, AppOptions& options, std::string& error);
