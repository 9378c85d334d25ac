#include "tools/ik_workspace.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kinematics/grid.h"
#include "tools/binary_output.h"
#include "tools/exit_status.h"
#include "tools/ik_text.h"
#include "tools/large_output.h"
#include "volume/cloud_writers.h"
#include "volume/workspace_volume.h"

namespace {

enum class Format { kCount, kPly, kCsv };

// The step as a double, read with the same grammar as every other number
// and, like every other, refused beyond the float range.
bool ParseStep(const char* text, double& step, std::string& error) {
    const char* end = text + std::strlen(text);
    float asFloat = 0;
    switch (ReadFloatText(text, end, asFloat)) {
    case NumberText::Number: break;
    case NumberText::OutOfRange: error = "--step is beyond the float range: " + Quote(text); return false;
    case NumberText::NotANumber:
    case NumberText::NotFinite: error = "--step is not a finite number: " + Quote(text); return false;
    }
    ReadDoubleText(text, end, step);
    if (!(step > 0)) {
        error = "--step must be above 0: " + Quote(text);
        return false;
    }
    return true;
}

int Count(const LegDescription& leg, const std::vector<float>& grid, double step, bool margins) {
    VolumeOptions options;
    options.margins = margins;
    const VolumeCount count = CountVolume(leg, grid, options);
    std::string line = "{\"points\":" + std::to_string(count.points) + ",\"step\":" + DoubleText(step) +
                       ",\"slices\":" + std::to_string(grid.size()) +
                       ",\"volume\":" + DoubleText(static_cast<double>(count.points) * step * step * step);
    if (margins) {
        line += ",\"margins\":[";
        for (size_t m = 0; m < count.marginHistogram.size(); ++m) {
            line += (m ? "," : "") + std::to_string(count.marginHistogram[m]);
        }
        line += "]";
    }
    line += "}\n";
    std::fputs(line.c_str(), stdout);
    return 0;
}

int WriteCloud(const LegDescription& leg, const std::vector<float>& grid, double step, Format format, bool margins,
               CloudUp up, bool yesLarge, std::string& error) {
    VolumeOptions options;
    options.margins = margins;
    // The cloud is sized before it is written (and the PLY header states
    // the vertex count, while stdout may be a pipe that cannot be rewound to
    // patch it): count first, at a fraction of the cost.
    const uint64_t vertices = CountVolume(leg, grid, VolumeOptions{}).points;
    // A PLY vertex is three floats and the margin byte; a CSV row about two
    // short numbers a column.
    const double bytesPerVertex = format == Format::kCsv ? (margins ? 28 : 24) : (margins ? 13 : 12);
    error = LargeOutputRefusal(vertices, "vertices", bytesPerVertex, yesLarge);
    if (!error.empty()) return kUsageError;
    if (format == Format::kCsv) {
        CsvWriter csv(stdout, margins, up);
        SweepVolume(leg, grid, options, csv);
        return csv.Finish() ? 0 : kWriteError;
    }
    // The cloud is bytes: no line-end translation on the way out.
    UseBinaryStandardOutput();
    const std::string comment = "tavrin-ik workspace: leg " + std::to_string(leg.upper) + "/" +
                                std::to_string(leg.lower) + ", step " + DoubleText(step) + ", model units with " +
                                (up == CloudUp::Window ? "y pointing down" : up == CloudUp::Y ? "y up" : "z up");
    PlyWriter ply(stdout, vertices, margins, comment, up);
    SweepVolume(leg, grid, options, ply);
    return ply.Finish() ? 0 : kWriteError;
}

}  // namespace

int Workspace(const LegDescription& leg, int argc, char** argv, std::string& error) {
    Format format = Format::kCount;
    bool margins = false;
    bool yesLarge = false;
    CloudUp up = CloudUp::Window;
    bool haveStep = false;
    double step = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "--step" || arg == "--format" || arg == "--up";
        if (takesValue && i + 1 == argc) {
            error = arg + " needs a value";
            return kUsageError;
        }
        if (arg == "--step") {
            if (!ParseStep(argv[++i], step, error)) return kUsageError;
            haveStep = true;
        } else if (arg == "--format") {
            const std::string name = argv[++i];
            if (name == "count") format = Format::kCount;
            else if (name == "ply") format = Format::kPly;
            else if (name == "csv") format = Format::kCsv;
            else {
                error = "unknown format: " + Quote(argv[i]) + " (count, ply or csv)";
                return kUsageError;
            }
        } else if (arg == "--margin") {
            margins = true;
        } else if (arg == kYesLargeOption) {
            yesLarge = true;
        } else if (arg == "--up") {
            const std::string axis = argv[++i];
            if (axis == "y") up = CloudUp::Y;
            else if (axis == "z") up = CloudUp::Z;
            else {
                error = "--up takes y or z, not " + Quote(argv[i]);
                return kUsageError;
            }
        } else if (arg.compare(0, 1, "-") == 0) {
            error = "unknown option: " + Quote(argv[i]);
            return kUsageError;
        } else {
            error = "unexpected argument: " + Quote(argv[i]);
            return kUsageError;
        }
    }
    const int reach = leg.Reach();
    if (!haveStep) step = static_cast<double>(reach) / (format == Format::kCount ? 500.0 : 100.0);
    std::vector<float> grid;
    if (!GridSamples(reach, step, grid)) {
        error = "--step " + DoubleText(step) + " is too small: the grid would exceed " +
                std::to_string(kMaxGridSamples) + " samples a side";
        return kUsageError;
    }
    if (format == Format::kCount) return Count(leg, grid, step, margins);
    return WriteCloud(leg, grid, step, format, margins, up, yesLarge, error);
}
