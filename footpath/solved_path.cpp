#include "footpath/solved_path.h"

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
