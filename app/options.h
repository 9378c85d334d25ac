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
    std::string port;          // --port PATH: the controller's port instead of the file's
    bool noController = false; // --no-controller: the leg file's [controller] is ignored
    bool margin = false;       // --margin: start with the cloud coloured by joint margin
    std::string recordFile;    // --record FILE: where R saves a recording
    std::string playFile;      // --play FILE: the path P plays
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
