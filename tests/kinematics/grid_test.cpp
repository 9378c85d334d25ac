// Grids of any step, and the sweeps over them.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "float_bits.h"

namespace {

// The slice grid is the grid of step R / 500, sample for sample.
TEST(GridTest, TheSliceGridIsTheStepOfAFiveHundredthReach) {
    for (int reach : {2, 25, 105, 500, 2000}) {
        std::vector<float> stepped;
        ASSERT_TRUE(GridSamples(reach, reach / 500.0, stepped));
        const std::vector<float> slice = GridSamples(reach);
        ASSERT_EQ(slice.size(), stepped.size()) << reach;
        EXPECT_EQ(0, std::memcmp(slice.data(), stepped.data(), slice.size() * sizeof(float))) << reach;
    }
    EXPECT_EQ(static_cast<size_t>(kGridSamples), GridSamples().size());
}

TEST(GridTest, SamplesRunFromMinusReachBelowTwentySixTwentyFifths) {
    const struct {
        int reach;
        double step;
        size_t count;
        float last;
    } rows[] = {
        {25, 1.0, 51, 25.0f},     // -25..25; 26 is not below 26
        {25, 5.0, 11, 25.0f},     // -25, -20, ..., 25
        {25, 50.0, 2, 25.0f},     // -25, 25
        {25, 100.0, 1, -25.0f},   // only -25
        {10, 0.25, 82, 10.25f},   // 10.25 < 10.4
    };
    for (const auto& row : rows) {
        std::vector<float> samples;
        ASSERT_TRUE(GridSamples(row.reach, row.step, samples)) << row.step;
        ASSERT_EQ(row.count, samples.size()) << row.step;
        EXPECT_FLOAT_BITS(static_cast<float>(-row.reach), samples.front());
        EXPECT_FLOAT_BITS(row.last, samples.back());
    }
}

// Too fine a grid is refused rather than built: more than 4096 samples, or
// a step that never moves the float recurrence.
TEST(GridTest, TooFineAGridIsRefused) {
    std::vector<float> samples;
    EXPECT_TRUE(GridSamples(25, 51.0 / 4095.5, samples));  // 4096 samples
    EXPECT_EQ(kMaxGridSamples, samples.size());
    EXPECT_FALSE(GridSamples(25, 51.0 / 4097.0, samples));
    EXPECT_FALSE(GridSamples(25, 1e-300, samples));
    EXPECT_FALSE(GridSamples(1000, 0.01, samples));
}

// On grids of other steps the fast sweep still lists the literal sweep's
// points, and its count form counts them.
TEST(GridTest, SweepsOverAnyGridAgree) {
    LegDescription narrowed;
    narrowed.upper = 40;
    narrowed.lower = 65;
    narrowed.ranges = {JointRange{30, 150}, JointRange{10, 170}, JointRange{20, 160}};
    for (const LegDescription& leg : {LegDescription{}, narrowed}) {
        for (double stepsPerReach : {7.0, 63.0, 250.0, 1300.0}) {
            std::vector<float> grid;
            ASSERT_TRUE(GridSamples(leg.Reach(), leg.Reach() / stepsPerReach, grid));
            for (double share : {0.0, 0.37, -0.81}) {
                const float depth = static_cast<float>(share * leg.Reach());
                SCOPED_TRACE(std::to_string(leg.upper) + " steps " + std::to_string(stepsPerReach) + " depth " +
                             std::to_string(depth));
                PointList literal, fast;
                LiteralSweep(leg, depth, grid, literal);
                FastSweep(leg, depth, grid, fast);
                ASSERT_EQ(literal.size(), fast.size());
                EXPECT_EQ(0, std::memcmp(literal.data(), fast.data(), literal.size() * sizeof literal[0]));
                EXPECT_EQ(literal.size(), FastSweepCount(leg, depth, grid));
            }
        }
    }
}

}  // namespace
