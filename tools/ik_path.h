// tavrin-ik path: a path file sampled every step, every sample solved, and
// the result written as CSV, as SSC-32 group moves or as a C header.
#pragma once

#include <string>

#include "kinematics/leg_description.h"

enum class PathFormat { Csv, Ssc32, Header };

struct PathOptions {
    std::string pathFile;
    int stepMs = 20;
    PathFormat format = PathFormat::Csv;
    bool yesLarge = false;   // --yes-large: write an output past the sane size
    bool pulsesOnly = false; // --only us: a header of the pulse widths alone
};

// The arguments after "path": PATHFILE [--step MS] [--format csv|ssc32|header]
// [--only us] [--yes-large], options in any order. False with a one-line error.
bool ParsePathOptions(int argc, char** argv, PathOptions& options, std::string& error);

// Writes the export to standard output and returns the exit status: 0 done,
// 1 the output could not be written, 2 a bad path file or a leg that cannot
// give the format, 3 some sample out of reach (the output still complete).
// legFile is null for the default leg.
int RunPath(const LegDescription& leg, const char* legFile, const PathOptions& options);
