#include "volume/knee_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "kinematics/float_search.h"
#include "kinematics/ik_solver.h"

KneeSteps::KneeSteps(int upper, int lower) : upper_(upper), lower_(lower) {
    const float largest = FloatFromBits(0x7f7fffffu);
    // The cosine falls as s rises: it is at most 1 from some sum on and
    // below -1 from a larger one on.
    auto cosineOf = [&](float s) {
        const float distance = static_cast<float>(std::sqrt(static_cast<double>(s)));
        const float squared = distance * distance;
        const float numerator = static_cast<float>(upper * upper + lower * lower) - squared;
        return numerator / static_cast<float>(2 * upper * lower);
    };
    lowest_ = FirstFloatWhere(0.0f, largest, [&](float s) { return cosineOf(s) <= 1.0f; });
    const float beyond = FirstFloatWhere(lowest_, largest, [&](float s) { return cosineOf(s) < -1.0f; });
    if (!(cosineOf(lowest_) <= 1.0f) || beyond == lowest_) {
        // No sum has a cosine in range: every sum is outside [lowest_,
        // highest_], which is empty.
        lowest_ = 1;
        highest_ = 0;
        return;
    }
    highest_ = FloatFromBits(FloatBitsOf(beyond) - 1);
    first_ = SolverDegrees(lowest_);
    const int last = SolverDegrees(highest_);
    for (int degrees = first_ + 1; degrees <= last; ++degrees) {
        rises_.push_back(FirstFloatWhere(lowest_, highest_, [&](float s) { return SolverDegrees(s) >= degrees; }));
    }
    const double width = (static_cast<double>(highest_) - lowest_) / kBuckets;
    bucketsPerUnit_ = width > 0 ? static_cast<float>(1 / width) : 0;
    firstStep_.resize(kBuckets);
    for (int b = 0; b < kBuckets; ++b) {
        const double below = lowest_ + (b - 1) * width;
        firstStep_[b] = static_cast<uint16_t>(
            std::lower_bound(rises_.begin(), rises_.end(), below, [](float rise, double v) { return rise < v; }) -
            rises_.begin());
    }
    rises_.insert(rises_.end(), 2, std::numeric_limits<float>::infinity());
}

int KneeSteps::SolverDegrees(float s) const {
    LegPose pose;
    pose.distance = static_cast<float>(std::sqrt(static_cast<double>(s)));
    IKSolver IK;
    IK.upperLength = upper_;
    IK.lowerLength = lower_;
    return ToDegrees(IK.KneeAngle(pose));
}

