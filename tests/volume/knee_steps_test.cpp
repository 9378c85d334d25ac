// The knee's degrees from the sum alone equal the solver's, around every
// step and far from them, for legs of every scale.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "volume/knee_steps.h"

namespace {

float Next(float f, int ulps) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    bits = static_cast<uint32_t>(static_cast<int64_t>(bits) + ulps);
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

TEST(KneeStepsTest, EqualTheSolverAtEverySum) {
    const int legs[][2] = {{10, 15}, {15, 10}, {17, 17}, {1, 1}, {1, 1000}, {1000, 1}, {40, 65}, {999, 998}};
    std::mt19937 words(20261211u);
    for (const auto& leg : legs) {
        const KneeSteps steps(leg[0], leg[1]);
        SCOPED_TRACE("upper " + std::to_string(leg[0]) + ", lower " + std::to_string(leg[1]));
        const double outer = static_cast<double>(leg[0] + leg[1]) * (leg[0] + leg[1]);
        const double inner = static_cast<double>(leg[0] - leg[1]) * (leg[0] - leg[1]);
        int changes = 0;
        int previous = steps.SolverDegrees(0);
        // Dense over the shell and beyond it on both sides, then every step
        // a few ulps either side.
        for (int i = 0; i <= 200000; ++i) {
            const float s = static_cast<float>(inner * 0.9 + (outer * 1.1 - inner * 0.9) * i / 200000);
            const int expected = steps.SolverDegrees(s);
            ASSERT_EQ(expected, steps.DegreesAt(s)) << "sum " << s;
            changes += expected != previous;
            for (int ulps = -3; expected != previous && ulps <= 3; ++ulps) {
                const float near = Next(s, ulps);
                ASSERT_EQ(steps.SolverDegrees(near), steps.DegreesAt(near)) << "sum " << near;
            }
            previous = expected;
        }
        EXPECT_GT(changes, 100) << "the sums cross the knee's degrees";
        for (int i = 0; i < 20000; ++i) {
            const float s = static_cast<float>(outer * 1.2 * (words() / 4294967296.0));
            ASSERT_EQ(steps.SolverDegrees(s), steps.DegreesAt(s)) << "sum " << s;
        }
        for (float s : {0.0f, -0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                        std::numeric_limits<float>::infinity(), std::numeric_limits<float>::max()}) {
            EXPECT_EQ(steps.SolverDegrees(s), steps.DegreesAt(s)) << "sum " << s;
        }
    }
}

}  // namespace
