// Checks the error bounds and thresholds that the fast sweep rests on
// against the solver itself, for legs of very different proportions, and
// that they leave only a thin band of points to the solver.
#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/leg_description.h"
#include "kinematics/sweep.h"
#include "float_bits.h"

namespace {

LegDescription MakeLeg(int upper, int lower) {
    LegDescription leg;
    leg.upper = upper;
    leg.lower = lower;
    return leg;
}

// The default, the extremes of length and of proportion, equal segments.
const LegDescription kLegs[] = {MakeLeg(10, 15), MakeLeg(1, 1000), MakeLeg(1000, 1),
                                MakeLeg(40, 65),  MakeLeg(7, 7),    MakeLeg(1, 1)};

std::string Name(const LegDescription& leg) {
    return std::to_string(leg.upper) + "/" + std::to_string(leg.lower);
}

// The solver's hip cosine, its operations in its order.
float HipCosine(const LegDescription& leg, float distance) {
    float d2 = distance * distance;
    return (static_cast<float>(leg.upper * leg.upper - leg.lower * leg.lower) + d2) /
           (static_cast<float>(2 * leg.upper) * distance);
}

TEST(SweepBoundsTest, SolverStaysWithinTheDerivedErrors) {
    for (const LegDescription& leg : kLegs) {
        SCOPED_TRACE(Name(leg));
        const std::vector<float> samples = GridSamples(leg.Reach());
        const int n = static_cast<int>(samples.size());
        const float depths[] = {0.0f, 0.13f * leg.Reach(), -0.61f * leg.Reach()};
        double worstCosine = 0, worstHip = 0;
        int checked = 0;
        for (float z : depths) {
            for (int row = 0; row < n; row += 7) {
                for (int col = 3; col < n; col += 7) {
                    float x = samples[col], y = samples[row];
                    LegPose pose;
                    pose.SetTarget(D3DXVECTOR3(x, y, z));
                    IKSolver IK = leg.Solver();
                    IK.YawAngle(pose);
                    float hip = IK.HipAngle(pose);
                    float w = HipCosine(leg, pose.distance);
                    if (!(w >= -1 && w <= 1)) continue;
                    ++checked;
                    // Double functions of the same inputs stand in for the
                    // exact values: their own error, near 1e-16, is far
                    // below the bounds.
                    double r = pose.reach;
                    double rho = std::hypot(r, static_cast<double>(y));
                    double exact = (rho * rho + (double{1.0} * leg.upper * leg.upper - double{1.0} * leg.lower * leg.lower)) /
                                   (2.0 * leg.upper * rho);
                    worstCosine = std::fmax(worstCosine, std::fabs(w - exact) / HipCosineError(rho, exact, leg.upper));
                    double exactHip = std::atan2(r, static_cast<double>(y)) + std::acos(static_cast<double>(w));
                    worstHip = std::fmax(worstHip, std::fabs(hip - exactHip));
                }
            }
        }
        EXPECT_GT(checked, 150);
        // The bound carries a factor 2 of its own: half of it must do.
        EXPECT_LE(worstCosine, 0.5);
        EXPECT_LE(worstHip, 4.8e-7);
    }
}

// Points straight ahead whose float sums sit at and next to a threshold.
float SumStraightAhead(float s, float& x) {
    x = static_cast<float>(std::sqrt(static_cast<double>(s)));
    return x * x;
}

TEST(SweepBoundsTest, ShellVerdictIsSettledOutsideTheSumWindows) {
    for (const LegDescription& leg : kLegs) {
        SCOPED_TRACE(Name(leg));
        SweepLimits limits = MakeSweepLimits(leg);
        ASSERT_LE(limits.innerOut, limits.innerIn);
        ASSERT_LE(limits.outerIn, limits.outerOut);
        auto valid = [&](float x) {
            float w = HipCosine(leg, static_cast<float>(std::sqrt(static_cast<double>(x * x))));
            return w >= -1 && w <= 1;
        };
        struct Edge {
            float sum;
            bool inside;  // the sums on the far side of it are in the shell
            float direction;
        };
        const Edge edges[] = {{limits.innerOut, false, 0.0f}, {limits.innerIn, true, 1e30f},
                              {limits.outerIn, true, 0.0f},   {limits.outerOut, false, 1e30f}};
        for (const Edge& edge : edges) {
            if (edge.sum <= 0) continue;
            float s = edge.sum;
            for (int step = 0; step < 3000; ++step) {
                float x;
                float sum = SumStraightAhead(s, x);
                bool beyond = edge.inside ? sum >= limits.innerIn && sum <= limits.outerIn
                                          : (edge.direction > edge.sum ? sum > edge.sum : sum < edge.sum);
                if (beyond && sum > 0) {
                    EXPECT_EQ(edge.inside, valid(x)) << "sum " << sum;
                }
                s = std::nextafter(s, edge.direction);
            }
        }
    }
}

// The knee thresholds are the exact sums where the solver's knee enters and
// leaves its range, and every sum around them agrees.
TEST(SweepBoundsTest, KneeThresholdsAreExact) {
    struct Case {
        LegDescription leg;
        JointRange knee;
    };
    const Case cases[] = {{MakeLeg(10, 15), {0, 180}},   {MakeLeg(10, 15), {30, 150}}, {MakeLeg(1, 1000), {90, 91}},
                          {MakeLeg(1000, 1), {0, 5}},    {MakeLeg(7, 7), {0, 0}},      {MakeLeg(40, 65), {179, 180}},
                          {MakeLeg(123, 45), {17, 160}}};
    for (Case c : cases) {
        c.leg.ranges[kKneeJoint] = c.knee;
        SCOPED_TRACE(Name(c.leg) + " knee " + std::to_string(c.knee.min) + ".." + std::to_string(c.knee.max));
        SweepLimits limits = MakeSweepLimits(c.leg);
        auto inRange = [&](float s) {
            LegPose pose;
            pose.distance = static_cast<float>(std::sqrt(static_cast<double>(s)));
            IKSolver IK = c.leg.Solver();
            int degrees = ToDegrees(IK.KneeAngle(pose));
            return degrees != INT_MIN && c.knee.Holds(static_cast<float>(degrees));
        };
        for (float edge : {limits.kneeLow, limits.kneeHigh}) {
            float below = edge, above = edge;
            for (int step = 0; step < 2000; ++step) {
                below = std::nextafter(below, 0.0f);
                EXPECT_EQ(below >= limits.kneeLow && below < limits.kneeHigh, inRange(below)) << below;
                EXPECT_EQ(above >= limits.kneeLow && above < limits.kneeHigh, inRange(above)) << above;
                above = std::nextafter(above, 1e30f);
            }
        }
    }
}

TEST(SweepBoundsTest, OnlyAThinBandGoesToTheSolver) {
    for (const LegDescription& leg : kLegs) {
        SCOPED_TRACE(Name(leg));
        for (float share : {0.0f, 0.5f, -0.98f}) {
            PointList points;
            SweepStats stats;
            FastSweep(leg, share * leg.Reach(), points, &stats);
            // A shell thinner than the grid step (1/1000, 1000/1) goes to
            // the solver whole.
            bool thinShell = std::min(leg.upper, leg.lower) * 100 < std::max(leg.upper, leg.lower);
            EXPECT_LT(stats.exactSolves, thinShell ? 5000u : 500u) << "depth share " << share;
        }
    }
}

}  // namespace
