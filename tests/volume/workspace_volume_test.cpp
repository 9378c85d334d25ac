// The volume's slices against the literal sweep of each slice on the same
// grid, its counts against its slices, and its streaming order.
#include <algorithm>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "test_legs.h"
#include "volume/margin.h"
#include "volume/workspace_volume.h"

namespace {

bool SameBits(const PointList& a, const PointList& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

// Checks each slice as it arrives against the literal sweep at its depth
// and the solver's margins, and that the slices come in the grid's order.
class CheckingSink : public VolumeSink {
public:
    CheckingSink(const LegDescription& leg, const std::vector<float>& grid, bool margins)
        : leg_(leg), grid_(grid), margins_(margins) {}

    bool TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) override {
        EXPECT_LT(next_, grid_.size());
        if (next_ >= grid_.size()) return false;
        EXPECT_EQ(grid_[next_], z) << "slice " << next_;
        ++next_;
        PointList literal;
        LiteralSweep(leg_, z, grid_, literal);
        EXPECT_TRUE(SameBits(literal, points)) << "slice at z = " << z << ": " << literal.size() << " points, got "
                                               << points.size();
        if (margins_) {
            // The margins of the solver's own poses.
            std::vector<uint8_t> expected;
            for (const D3DXVECTOR3& p : literal) {
                LegPose pose;
                pose.SetTarget(D3DXVECTOR3(p.x, p.y, z));
                IKSolver IK = leg_.Solver();
                IK.Solve(pose);
                expected.push_back(static_cast<uint8_t>(JointMargin(leg_, pose)));
            }
            EXPECT_EQ(expected, margins) << "z = " << z;
        } else {
            EXPECT_TRUE(margins.empty());
        }
        points_ += points.size();
        return true;
    }

    size_t next_ = 0;
    uint64_t points_ = 0;

private:
    const LegDescription& leg_;
    const std::vector<float>& grid_;
    const bool margins_;
};

std::vector<float> CoarseGrid(const LegDescription& leg, double stepsPerReach) {
    std::vector<float> grid;
    EXPECT_TRUE(GridSamples(leg.Reach(), leg.Reach() / stepsPerReach, grid));
    return grid;
}

void ExpectVolumeMatchesLiteralSlices(const LegDescription& leg, double stepsPerReach, int threads, bool margins) {
    SCOPED_TRACE(LegText(leg) + ", " + std::to_string(threads) + " threads");
    const std::vector<float> grid = CoarseGrid(leg, stepsPerReach);
    CheckingSink sink(leg, grid, margins);
    VolumeOptions options;
    options.margins = margins;
    options.threads = threads;
    EXPECT_TRUE(SweepVolume(leg, grid, options, sink));
    EXPECT_EQ(grid.size(), sink.next_);
    EXPECT_GT(sink.points_, 0u);

    VolumeCount count = CountVolume(leg, grid, options);
    EXPECT_EQ(sink.points_, count.points);
    ASSERT_EQ(grid.size(), count.perSlice.size());
    if (margins) {
        uint64_t sum = 0;
        for (uint64_t n : count.marginHistogram) sum += n;
        EXPECT_EQ(count.points, sum);
        ASSERT_FALSE(count.marginHistogram.empty());
        EXPECT_GT(count.marginHistogram[0], 0u) << "the edges of the reach are end stops";
    } else {
        EXPECT_TRUE(count.marginHistogram.empty());
    }
}

class VolumeSliceTest : public ::testing::TestWithParam<LegDescription> {};

TEST_P(VolumeSliceTest, EverySliceIsTheLiteralSweep) {
    ExpectVolumeMatchesLiteralSlices(GetParam(), 40, 2, false);
    ExpectVolumeMatchesLiteralSlices(GetParam(), 25, 3, true);
    ExpectVolumeMatchesLiteralSlices(GetParam(), 31, 1, true);
}

INSTANTIATE_TEST_SUITE_P(Legs, VolumeSliceTest, ::testing::Values(kFullLeg, kNarrowedLeg, kOneDegreeLeg));

// Legs drawn by a fixed generator, as in the slice sweep's tests, each on a
// coarse grid of its own step.
TEST(VolumeSliceTest, RandomLegsMatchTheLiteralSweep) {
    std::mt19937 words(20261211u);
    auto draw = [&](uint32_t n) { return static_cast<int>(static_cast<uint32_t>(words()) % n); };
    for (int i = 0; i < 8; ++i) {
        const LegDescription leg = RandomLeg(words);
        ExpectVolumeMatchesLiteralSlices(leg, 20 + draw(20), 1 + draw(3), draw(2) == 1);
    }
}

// The count without margins stores no points, yet gives each slice's count.
TEST(VolumeCountTest, PerSliceCountsAreTheSliceSweeps) {
    const std::vector<float> grid = CoarseGrid(kNarrowedLeg, 60);
    VolumeCount count = CountVolume(kNarrowedLeg, grid, VolumeOptions{});
    ASSERT_EQ(grid.size(), count.perSlice.size());
    uint64_t sum = 0;
    for (size_t i = 0; i < grid.size(); ++i) {
        PointList points;
        FastSweep(kNarrowedLeg, grid[i], grid, points);
        EXPECT_EQ(points.size(), count.perSlice[i]) << "z = " << grid[i];
        sum += points.size();
    }
    EXPECT_EQ(sum, count.points);
}

// A sink that stops early ends the sweep without waiting for the rest.
class StoppingSink : public VolumeSink {
public:
    bool TakeSlice(float, const PointList&, const std::vector<uint8_t>&) override { return ++taken < 3; }
    int taken = 0;
};

TEST(VolumeSweepTest, ASinkThatStopsEndsTheSweep) {
    const std::vector<float> grid = CoarseGrid(kFullLeg, 100);
    for (int threads : {1, 2, 4}) {
        StoppingSink sink;
        VolumeOptions options;
        options.threads = threads;
        EXPECT_FALSE(SweepVolume(kFullLeg, grid, options, sink));
        EXPECT_EQ(3, sink.taken);
    }
}

}  // namespace
