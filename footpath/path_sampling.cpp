#include "footpath/path_sampling.h"

#include <cmath>

namespace {

double SampleTime(double firstMs, uint64_t k, double stepMs) {
    return firstMs + static_cast<double>(k) * stepMs;
}

}  // namespace

bool PathSampler::Open(const std::string& path, double step, std::string& error) {
    name = path;
    stepMs = step;
    if (!reader.Open(path, error)) return false;
    switch (reader.Next(before, error)) {
    case PathReader::Step::Row: break;
    case PathReader::Step::End: error = path + ": no rows after the header t_ms,x,y,z"; return false;
    case PathReader::Step::Error: return false;
    }
    firstMs = before.tMs;
    return Advance(error);
}

// Reads the row after `before`, if there is one.
bool PathSampler::Advance(std::string& error) {
    switch (reader.Next(after, error)) {
    case PathReader::Step::Row: haveAfter = true; return true;
    case PathReader::Step::End: haveAfter = false; return true;
    case PathReader::Step::Error: return false;
    }
    return false;
}

PathReader::Step PathSampler::Next(PathRow& sample, std::string& error) {
    if (done) return PathReader::Step::End;
    double t = SampleTime(firstMs, k, stepMs);
    // Rows due by t are passed; of several due at one time the last wins.
    while (haveAfter && after.tMs <= t) {
        before = after;
        if (!Advance(error)) return PathReader::Step::Error;
    }
    if (!haveAfter) {
        // `before` is the last row, due no later than t: the final sample.
        sample = before;
        done = true;
        return PathReader::Step::Row;
    }
    sample = PointBetween(before, after, t);
    ++k;
    return PathReader::Step::Row;
}

uint64_t SampleCount(double firstMs, double lastMs, double stepMs) {
    if (!(lastMs > firstMs)) return 1;
    double estimate = std::ceil((lastMs - firstMs) / stepMs);
    if (estimate > 2.0 * static_cast<double>(kMaxPathSamples)) return kMaxPathSamples + 1;
    // The estimate may be one off where the division rounds; settle it with
    // the sampler's own sum.
    uint64_t before = static_cast<uint64_t>(estimate);
    while (before > 0 && SampleTime(firstMs, before - 1, stepMs) >= lastMs) --before;
    while (SampleTime(firstMs, before, stepMs) < lastMs) ++before;
    return before + 1;
}

bool ScanPath(const std::string& path, double stepMs, PathSpan& span, std::string& error) {
    PathReader reader;
    if (!reader.Open(path, error)) return false;
    PathSpan scanned;
    PathRow row;
    for (;;) {
        switch (reader.Next(row, error)) {
        case PathReader::Step::Row:
            if (scanned.rows == 0) scanned.firstMs = row.tMs;
            scanned.lastMs = row.tMs;
            ++scanned.rows;
            continue;
        case PathReader::Step::Error: return false;
        case PathReader::Step::End: break;
        }
        break;
    }
    if (scanned.rows == 0) {
        error = path + ": no rows after the header t_ms,x,y,z";
        return false;
    }
    scanned.samples = SampleCount(scanned.firstMs, scanned.lastMs, stepMs);
    if (scanned.samples > kMaxPathSamples) {
        error = path + ": more than " + std::to_string(kMaxPathSamples) + " samples at this step";
        return false;
    }
    span = scanned;
    return true;
}

bool SolvedPath::Open(const std::string& path, double stepMs, const LegDescription& leg, std::string& error) {
    solver = leg.Solver();
    pose = LegPose();
    posed = false;
    return sampler.Open(path, stepMs, error);
}

PathReader::Step SolvedPath::Next(SolvedSample& sample, std::string& error) {
    PathReader::Step step = sampler.Next(sample.target, error);
    if (step != PathReader::Step::Row) return step;
    // A solve out of range leaves the angles and the knee as they were,
    // which is the kept pose; only the target fields change.
    LegPose solved = pose;
    solved.SetTarget(sample.target.Target());
    solver.Solve(solved);
    sample.reachable = !solver.outOfRange;
    if (sample.reachable) {
        pose = solved;
        posed = true;
    }
    sample.posed = posed;
    sample.pose = pose;
    return step;
}

bool FirstReachablePose(const std::string& path, double stepMs, const LegDescription& leg, LegPose& pose,
                        bool& found, std::string& error) {
    SolvedPath solved;
    if (!solved.Open(path, stepMs, leg, error)) return false;
    SolvedSample sample;
    found = false;
    for (;;) {
        switch (solved.Next(sample, error)) {
        case PathReader::Step::Row:
            if (!sample.reachable) continue;
            pose = sample.pose;
            found = true;
            return true;
        case PathReader::Step::End: return true;
        case PathReader::Step::Error: return false;
        }
    }
}
