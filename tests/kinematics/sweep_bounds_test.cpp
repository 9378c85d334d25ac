// Checks the error bounds that the fast sweep's margins rest on against the
// solver itself, over a coarse grid at several depths, and that the margins
// leave only a thin band of points to the solver.
#include <cmath>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"
#include "float_bits.h"

namespace {

// The solver's float arc-cosine arguments, the same operations in the same
// order as in its hip and knee angles.
struct ShellFloats {
    float sum;
    float distance;
    float hip;   // (d² − 125) / (20 d)
    float knee;  // (325 − d²) / 300
};

ShellFloats Shell(float x, float y, float z) {
    ShellFloats s;
    float xx = x * x;
    float yy = y * y;
    float zz = z * z;
    s.sum = (xx + yy) + zz;
    s.distance = static_cast<float>(std::sqrt(static_cast<double>(s.sum)));
    float d2 = s.distance * s.distance;
    s.hip = (static_cast<float>(-125) + d2) / (static_cast<float>(20) * s.distance);
    s.knee = (static_cast<float>(325) - d2) / static_cast<float>(300);
    return s;
}

bool InShell(const ShellFloats& s) {
    return s.hip >= -1 && s.hip <= 1 && s.knee >= -1 && s.knee <= 1;
}

const float kDepths[] = {0.0f, 3.3f, -9.7f, 17.2f, -24.4f};

TEST(SweepBoundsTest, SolverStaysWithinTheDerivedErrors) {
    const auto& samples = GridSamples();
    double worstCosine = 0, worstHip = 0;
    int checked = 0;
    for (float z : kDepths) {
        for (int row = 0; row < kGridSamples; row += 5) {
            for (int col = 2; col < kGridSamples; col += 5) {
                float x = samples[col], y = samples[row];
                ShellFloats s = Shell(x, y, z);
                LegPose pose;
                pose.SetTarget(D3DXVECTOR3(x, y, z));
                IKSolver IK;
                IK.YawAngle(pose);
                float hip = IK.HipAngle(pose);
                ASSERT_EQ(FloatBits(pose.distance), FloatBits(s.distance)) << x << ", " << y << ", " << z;
                if (!InShell(s)) continue;
                ++checked;
                // Double functions of the same inputs stand in for the exact
                // values: their own error, near 1e-16, is far below the bounds.
                double r = pose.reach;
                double rho = std::hypot(r, static_cast<double>(y));
                double exactCosine = (rho * rho - 125) / (20 * rho);
                double exactHip = std::atan2(r, static_cast<double>(y)) + std::acos(static_cast<double>(s.hip));
                worstCosine = std::fmax(worstCosine, std::fabs(s.hip - exactCosine));
                worstHip = std::fmax(worstHip, std::fabs(hip - exactHip));
            }
        }
    }
    EXPECT_GT(checked, 100000);
    EXPECT_LE(worstCosine, sweep_bounds::kCosineError);
    EXPECT_LE(worstHip, sweep_bounds::kHipError);
}

// The shell verdict is settled by the float sum alone outside two windows of
// relative width kShellMargin around 25 and 625, including at the float sums
// right next to the windows' edges.
TEST(SweepBoundsTest, ShellVerdictIsSettledOutsideTheSumWindows) {
    const float m = sweep_bounds::kShellMargin;
    struct Window {
        float low, high;
        bool shellBelow, shellAbove;  // the verdict on either side
    };
    const Window windows[] = {{25.0f * (1 - m), 25.0f * (1 + m), false, true},
                              {625.0f * (1 - m), 625.0f * (1 + m), true, false}};
    for (const Window& w : windows) {
        float below = w.low, above = w.high;
        int checked = 0;
        for (int step = 0; step < 2000; ++step) {
            below = std::nextafter(below, 0.0f);
            above = std::nextafter(above, 1e4f);
            // Points straight ahead with sums at and next to these floats.
            ShellFloats inner = Shell(static_cast<float>(std::sqrt(static_cast<double>(below))), 0, 0);
            ShellFloats outer = Shell(static_cast<float>(std::sqrt(static_cast<double>(above))), 0, 0);
            if (inner.sum < w.low) {
                EXPECT_EQ(w.shellBelow, InShell(inner)) << inner.sum;
                ++checked;
            }
            if (outer.sum > w.high) {
                EXPECT_EQ(w.shellAbove, InShell(outer)) << outer.sum;
                ++checked;
            }
        }
        EXPECT_GT(checked, 2000);
    }
}

TEST(SweepBoundsTest, OnlyAThinBandGoesToTheSolver) {
    const float depths[] = {0.0f, 12.0f, -24.5f, 25.0f};
    for (float depth : depths) {
        PointList points;
        SweepStats stats;
        FastSweep(depth, points, &stats);
        EXPECT_LT(stats.exactSolves, 1000u) << "depth " << depth;
        EXPECT_GT(stats.exactSolves, 0u) << "depth " << depth;
    }
}

}  // namespace
