// A path file sampled in time and every sample solved for a leg.
#pragma once

#include <cstdint>
#include <string>

#include "footpath/path_file.h"
#include "kinematics/leg_description.h"

// Samples a path file in time: a target every step from the first row's
// time, on the straight line between the rows around it, and the last row
// always, also when the step does not divide the duration. The file is read
// as the samples go, so a path of any length takes the same memory.
// More samples than this are refused: the sample index of an exported
// header is 32 bits.
constexpr uint64_t kMaxPathSamples = 0xFFFFFFFFu;

class PathSampler {
public:
    // Opens the path; stepMs >= 1.
    bool Open(const std::string& path, double stepMs, std::string& error);
    // The sample at time first + k * step for k = 0, 1, ... while that is
    // before the last row's time, then the last row: Row, End after it, or
    // Error for a bad row met on the way.
    PathReader::Step Next(PathRow& sample, std::string& error);

private:
    bool Advance(std::string& error);

    PathReader reader;
    std::string name;
    double stepMs = 1;
    double firstMs = 0;
    uint64_t k = 0;
    PathRow before;       // the last row due at or before the next sample
    PathRow after;        // the row after it, unless there is none
    bool haveAfter = false;
    bool done = false;
};

// What a path file holds, read through once without keeping its rows.
struct PathSpan {
    uint64_t rows = 0;
    double firstMs = 0;
    double lastMs = 0;
    uint64_t samples = 0;   // at the step given to ScanPath
};

// Checks every row of the file and counts the samples at stepMs; false with
// a one-line error for the first bad row, a path without rows, or one with
// more than kMaxPathSamples samples.
bool ScanPath(const std::string& path, double stepMs, PathSpan& span, std::string& error);

// The number of sample times first + k * step before last, as the sampler
// computes them, plus the last row's: 1 when first == last.
uint64_t SampleCount(double firstMs, double lastMs, double stepMs);

// A path file sampled and every sample solved for a leg, with the pose the
// leg keeps: a sample out of reach leaves the leg where the last reachable
// one put it, as the window does.
struct SolvedSample {
    PathRow target;          // the sampled target and its time
    bool reachable = false;  // every joint within its range
    bool posed = false;      // some sample up to this one was reachable
    LegPose pose;            // the kept pose; its angles mean something when posed
};

class SolvedPath {
public:
    bool Open(const std::string& path, double stepMs, const LegDescription& leg, std::string& error);
    PathReader::Step Next(SolvedSample& sample, std::string& error);

private:
    PathSampler sampler;
    IKSolver solver;
    LegPose pose;
    bool posed = false;
};

// The pose of the first reachable sample; found is false when there is none.
bool FirstReachablePose(const std::string& path, double stepMs, const LegDescription& leg, LegPose& pose,
                        bool& found, std::string& error);

// The pose a controller is sent for a sample: the kept one, and before any
// reachable sample the first reachable pose, where the leg waits for the
// path to come within reach.
inline const LegPose& SentPose(const SolvedSample& sample, const LegPose& firstReachable) {
    return sample.posed ? sample.pose : firstReachable;
}
