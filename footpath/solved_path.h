// A path file sampled and every sample solved for a leg, with the pose the
// leg keeps: a sample out of reach leaves the leg where the last reachable
// one put it, as the window does.
#pragma once

#include <string>

#include "footpath/path_sampler.h"
#include "kinematics/leg_description.h"

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
