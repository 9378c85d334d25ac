// The rough angles stay within their stated bounds, sampled densely, and
// RoughAtan2 takes atan2's branches; the same for the four-at-a-time ones.
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "volume/rough_angles.h"
#include "volume/rough_angles_sse.h"

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

#ifdef TAVRIN_ROUGH_SSE2
namespace {

// Four float arguments at a time, their reciprocals as callers give them.
TEST(RoughAngles4Test, WithinTheirBounds) {
    const int samples = 2000000;
    double acosError = 0, atanError = 0;
    for (int i = 0; i <= samples; i += 4) {
        alignas(16) float x[4], acos4[4], atan4[4];
        for (int lane = 0; lane < 4; ++lane) {
            x[lane] = static_cast<float>(-1.0 + 2.0 * std::min(i + lane, samples) / samples);
        }
        // acos over [-1, 1]; atan2 over directions all round the circle.
        _mm_store_ps(acos4, RoughAcos4(_mm_load_ps(x)));
        alignas(16) float ys[4], xs[4], inverseY[4], inverseX[4];
        for (int lane = 0; lane < 4; ++lane) {
            const double angle = 3.14159265358979 * x[lane];
            ys[lane] = static_cast<float>(7.5 * std::sin(angle));
            xs[lane] = static_cast<float>(7.5 * std::cos(angle));
            inverseY[lane] = 1.0f / ys[lane];
            inverseX[lane] = 1.0f / xs[lane];
        }
        _mm_store_ps(atan4, RoughAtan2_4(_mm_load_ps(ys), _mm_load_ps(xs), _mm_load_ps(inverseY),
                                         _mm_load_ps(inverseX)));
        for (int lane = 0; lane < 4; ++lane) {
            acosError = std::max(acosError, std::fabs(acos4[lane] - std::acos(static_cast<double>(x[lane]))));
            atanError = std::max(atanError, std::fabs(atan4[lane] - std::atan2(static_cast<double>(ys[lane]),
                                                                                 static_cast<double>(xs[lane]))));
        }
    }
    EXPECT_LT(acosError, kRoughAcos4Error);
    EXPECT_LT(atanError, kRoughAtan2_4Error);
}

TEST(RoughAngles4Test, Atan2FollowsTheLibrarysBranches) {
    const float values[] = {-7.5f, -1, -0.3f, -1e-30f, -0.0f, 0.0f, 1e-30f, 0.3f, 1, 7.5f};
    for (float y : values) {
        for (float x : values) {
            alignas(16) float out[4];
            _mm_store_ps(out, RoughAtan2_4(_mm_set1_ps(y), _mm_set1_ps(x), _mm_set1_ps(1.0f / y),
                                           _mm_set1_ps(1.0f / x)));
            if (y == 0 && x == 0) {
                EXPECT_EQ(0.0f, out[0]);
                continue;
            }
            EXPECT_NEAR(std::atan2(y, x), out[0], kRoughAtan2_4Error) << "atan2(" << y << ", " << x << ")";
        }
    }
}

}  // namespace
#endif
