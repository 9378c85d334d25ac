// The program's own command-line options (kUsage lists them all).
#pragma once

#include <string>
#include <vector>

struct AppOptions {
    std::string legFile;
    bool showAngles = false;
    bool help = false;
    // --scale N where the start-up code did not take it (a build whose
    // system scales windows itself); 0 when not given.
    int scale = 0;
};

// What --help prints.
extern const char kUsage[];

// The arguments of a Windows command line: blanks separate them, double
// quotes hold blanks within one, and backslashes escape quotes as Windows'
// own programs read them.
std::vector<std::string> SplitCommandLine(const char* line);

// False, with a one-line error, for an option it does not know, one that
// lacks its value or has a bad one, or one given twice.
bool ParseOptions(const char* commandLine, AppOptions& options, std::string& error);
