#include "volume/knee_steps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "kinematics/ik_solver.h"

namespace {

// Non-negative floats are ordered as their bit patterns are.
uint32_t BitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float FloatOf(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The least non-negative float s in [from, to] with pred(s), for a pred
// that is false and then true over that range; to when it never holds
// before it.
template <typename Pred>
float LeastWhere(float from, float to, Pred pred) {
    uint32_t lo = BitsOf(from), hi = BitsOf(to);
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (pred(FloatOf(mid))) hi = mid;
        else lo = mid + 1;
    }
    return FloatOf(lo);
}

}  // namespace

KneeSteps::KneeSteps(int upper, int lower) : upper_(upper), lower_(lower) {
    const float largest = FloatOf(0x7f7fffffu);
    // The cosine falls as s rises: it is at most 1 from some sum on and
    // below -1 from a larger one on.
    auto cosineOf = [&](float s) {
        const float distance = static_cast<float>(std::sqrt(static_cast<double>(s)));
        const float squared = distance * distance;
        const float numerator = static_cast<float>(upper * upper + lower * lower) - squared;
        return numerator / static_cast<float>(2 * upper * lower);
    };
    lowest_ = LeastWhere(0.0f, largest, [&](float s) { return cosineOf(s) <= 1.0f; });
    const float beyond = LeastWhere(lowest_, largest, [&](float s) { return cosineOf(s) < -1.0f; });
    if (!(cosineOf(lowest_) <= 1.0f) || beyond == lowest_) {
        // No sum has a cosine in range: every sum is outside [lowest_,
        // highest_], which is empty.
        lowest_ = 1;
        highest_ = 0;
        return;
    }
    highest_ = FloatOf(BitsOf(beyond) - 1);
    first_ = SolverDegrees(lowest_);
    const int last = SolverDegrees(highest_);
    for (int degrees = first_ + 1; degrees <= last; ++degrees) {
        rises_.push_back(LeastWhere(lowest_, highest_, [&](float s) { return SolverDegrees(s) >= degrees; }));
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

