// Legs that the volume's tests share, and a readable name for each.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>

#include "kinematics/leg_description.h"

inline LegDescription MakeLeg(int upper, int lower, JointRange yaw = {}, JointRange hip = {}, JointRange knee = {}) {
    LegDescription leg;
    leg.upper = upper;
    leg.lower = lower;
    leg.ranges = {yaw, hip, knee};
    return leg;
}

inline std::string LegText(const LegDescription& leg) {
    std::string text = std::to_string(leg.upper) + "/" + std::to_string(leg.lower);
    for (int j = 0; j < kJointCount; ++j) {
        text += std::string(" ") + JointName(static_cast<Joint>(j)) + " " + std::to_string(leg.ranges[j].min) + ".." +
                std::to_string(leg.ranges[j].max);
    }
    return text;
}

// How a test names a leg it runs on.
inline void PrintTo(const LegDescription& leg, std::ostream* out) {
    *out << LegText(leg);
}

// Full ranges, every range narrowed, and one joint held to a single degree.
const LegDescription kFullLeg = MakeLeg(10, 15);
const LegDescription kNarrowedLeg = MakeLeg(40, 65, {30, 150}, {10, 170}, {20, 160});
const LegDescription kOneDegreeLeg = MakeLeg(10, 15, {}, {}, {120, 120});

// A leg drawn by a fixed generator: lengths from 1 up to 10, 100 or 1000,
// each range full one time in three, else between two drawn angles.
inline LegDescription RandomLeg(std::mt19937& words) {
    auto draw = [&](uint32_t n) { return static_cast<int>(static_cast<uint32_t>(words()) % n); };
    const int scales[] = {10, 100, 1000};
    LegDescription leg;
    leg.upper = 1 + draw(scales[draw(3)]);
    leg.lower = 1 + draw(scales[draw(3)]);
    for (JointRange& range : leg.ranges) {
        if (draw(3) == 0) continue;
        int a = draw(181), b = draw(181);
        range = JointRange{std::min(a, b), std::max(a, b)};
    }
    return leg;
}
