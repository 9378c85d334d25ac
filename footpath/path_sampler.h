// Samples a path file in time: a target every step from the first row's
// time, on the straight line between the rows around it, and the last row
// always, also when the step does not divide the duration. The file is read
// as the samples go, so a path of any length takes the same memory.
#pragma once

#include <cstdint>
#include <string>

#include "footpath/path_reader.h"

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
