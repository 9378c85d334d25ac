// The rough angles stay within their stated bounds, sampled densely, and
// RoughAtan2 takes atan2's branches.
#include <cmath>

#include <gtest/gtest.h>

#include "volume/rough_angles.h"

namespace {

TEST(RoughAnglesTest, WithinTheirBounds) {
    const int samples = 2000000;
    double acosError = 0, atanError = 0;
    for (int i = 0; i <= samples; ++i) {
        const double t = -1.0 + 2.0 * i / samples;
        acosError = std::max(acosError, std::fabs(RoughAcos(t) - std::acos(t)));
        atanError = std::max(atanError, std::fabs(RoughAtan(t) - std::atan(t)));
    }
    EXPECT_LT(acosError, 6.76e-5);
    EXPECT_LT(atanError, 1.15e-5);
    EXPECT_GT(acosError, 6e-5) << "the bound is not loose";
}

TEST(RoughAnglesTest, Atan2FollowsTheLibrarysBranches) {
    const double values[] = {-7.5, -1, -0.3, -1e-30, -0.0, 0.0, 1e-30, 0.3, 1, 7.5};
    for (double y : values) {
        for (double x : values) {
            if (y == 0 && x == 0) {
                EXPECT_EQ(0.0, RoughAtan2(y, x));
                continue;
            }
            EXPECT_NEAR(std::atan2(y, x), RoughAtan2(y, x), 1.15e-5) << "atan2(" << y << ", " << x << ")";
        }
    }
}

}  // namespace
