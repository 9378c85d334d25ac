// The slice's margins against the solver, point by point.
#include <algorithm>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "parallel/worker_pool.h"
#include "test_legs.h"
#include "volume/margin.h"

namespace {

// The margin of the solver's own pose for (x, y, depth), or -1 when the
// solver puts it out of range.
int SolvedMargin(const LegDescription& leg, float x, float y, float depth) {
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(x, y, depth));
    IKSolver IK = leg.Solver();
    IK.Solve(pose);
    return IK.outOfRange ? -1 : JointMargin(leg, pose);
}

TEST(JointMarginTest, IsTheSmallestDistanceToAnyEndStop) {
    const LegDescription narrowed = MakeLeg(10, 15, {30, 150}, {10, 170}, {20, 160});
    const struct {
        int yaw, hip, knee;
        int margin;
        const char* why;
    } rows[] = {
        {90, 90, 90, 60, "in the middle of every range"},
        {30, 90, 90, 0, "yaw at its minimum"},
        {90, 170, 90, 0, "hip at its maximum"},
        {90, 90, 21, 1, "knee a degree above its minimum"},
        {140, 100, 100, 10, "yaw ten below its maximum"},
        {90, 95, 85, 60, "no joint nearer than 60"},
    };
    for (const auto& row : rows) {
        LegPose pose;
        pose.yawDeg = row.yaw;
        pose.hipDeg = row.hip;
        pose.kneeDeg = row.knee;
        EXPECT_EQ(row.margin, JointMargin(narrowed, pose)) << row.why;
    }
    LegPose middle;
    middle.yawDeg = middle.hipDeg = middle.kneeDeg = 90;
    EXPECT_EQ(90, JointMargin(kFullLeg, middle)) << "the largest margin a full range allows";
}

class SliceMarginsTest : public ::testing::TestWithParam<LegDescription> {};

// Three threads on two cores: the pieces are taken in no fixed order.
WorkerPool pool(3);

// Every listed point of slices through the middle, the inner shell and the
// edge of the reach, on one thread and on three.
TEST_P(SliceMarginsTest, EqualTheSolversMarginForEveryPoint) {
    const LegDescription& leg = GetParam();
    SCOPED_TRACE(LegText(leg));
    const std::vector<float> grid = GridSamples(leg.Reach());
    const float reach = static_cast<float>(leg.Reach());
    const float inner = static_cast<float>(std::abs(leg.upper - leg.lower));
    size_t checked = 0;
    int lowest = 90, highest = 0;
    for (float depth : {0.0f, 0.3f * reach, -inner, -0.9f * reach}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        PointList points;
        FastSweep(leg, depth, grid, points);
        std::vector<uint8_t> single, shared;
        SliceMargins(leg, grid, depth, points, single);
        SliceMargins(leg, grid, depth, points, shared, &pool);
        ASSERT_EQ(points.size(), single.size());
        ASSERT_EQ(single, shared);
        for (size_t i = 0; i < points.size(); ++i) {
            const int expected = SolvedMargin(leg, points[i].x, points[i].y, depth);
            ASSERT_EQ(expected, static_cast<int>(single[i])) << "point (" << points[i].x << ", " << points[i].y << ")";
            lowest = std::min(lowest, expected);
            highest = std::max(highest, expected);
        }
        checked += points.size();
    }
    // The slices reach both the end stops and well inside the ranges.
    EXPECT_GT(checked, 5000u);
    EXPECT_EQ(0, lowest);
    if (leg.ranges[kKneeJoint].min != leg.ranges[kKneeJoint].max) {
        EXPECT_GE(highest, 30);
    }
}

INSTANTIATE_TEST_SUITE_P(Legs, SliceMarginsTest, ::testing::Values(kFullLeg, kNarrowedLeg, kOneDegreeLeg));

// Legs drawn by a fixed generator, one slice each on the window's grid.
TEST(SliceMarginsTest, RandomLegsEqualTheSolver) {
    std::mt19937 words(20261212u);
    auto draw = [&](uint32_t n) { return static_cast<int>(static_cast<uint32_t>(words()) % n); };
    for (int i = 0; i < 12; ++i) {
        const LegDescription leg = RandomLeg(words);
        const float depth = static_cast<float>((draw(2001) - 1000) / 1000.0 * leg.Reach());
        SCOPED_TRACE(LegText(leg) + " depth " + std::to_string(depth));
        const std::vector<float> grid = GridSamples(leg.Reach());
        PointList points;
        FastSweep(leg, depth, grid, points);
        std::vector<uint8_t> margins;
        SliceMargins(leg, grid, depth, points, margins, &pool);
        for (size_t k = 0; k < points.size(); ++k) {
            ASSERT_EQ(SolvedMargin(leg, points[k].x, points[k].y, depth), static_cast<int>(margins[k]))
                << "point (" << points[k].x << ", " << points[k].y << ")";
        }
    }
}

// Points that no sweep would list still get an answer: off the grid, the
// solver's margin; out of range, 0.
TEST(SliceMarginsTest, PointsOffTheGridOrOutOfRange) {
    const std::vector<float> grid = GridSamples(kFullLeg.Reach());
    const PointList points = {
        D3DXVECTOR3(10.013f, 15.2f, 0), D3DXVECTOR3(-3.3f, 12.1f, 0),  // off the grid, in range
        D3DXVECTOR3(25, 25, 0),                                        // beyond the reach
        D3DXVECTOR3(grid[600], grid[700], 0),                          // on it, after one off it
    };
    std::vector<uint8_t> margins;
    SliceMargins(kFullLeg, grid, 2.5f, points, margins);
    ASSERT_EQ(4u, margins.size());
    EXPECT_EQ(SolvedMargin(kFullLeg, 10.013f, 15.2f, 2.5f), margins[0]);
    EXPECT_EQ(SolvedMargin(kFullLeg, -3.3f, 12.1f, 2.5f), margins[1]);
    EXPECT_EQ(-1, SolvedMargin(kFullLeg, 25, 25, 2.5f));
    EXPECT_EQ(0, margins[2]);
    EXPECT_EQ(SolvedMargin(kFullLeg, grid[600], grid[700], 2.5f), margins[3]);
    EXPECT_GT(margins[0], 0);
}

}  // namespace
