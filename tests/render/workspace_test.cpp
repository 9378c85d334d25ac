#include <cmath>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "render/leg.h"
#include "float_bits.h"

namespace {

TEST(GridTest, SamplesFollowTheFloatRecurrence) {
    const auto& s = GridSamples();
    EXPECT_FLOAT_BITS(-25.0f, s[0]);
    EXPECT_FLOAT_BITS(-24.95f, s[1]);
    EXPECT_FLOAT_BITS(-24.900002f, s[2]);
    EXPECT_FLOAT_BITS(-9.4243136e-05f, s[500]);
    EXPECT_FLOAT_BITS(25.999796f, s[kGridSamples - 1]);
    // The recurrence takes exactly these samples: the next one reaches 26.
    float next = static_cast<float>(static_cast<double>(s[kGridSamples - 1]) + 0.05);
    EXPECT_FALSE(next < 26.0f);
    for (float v : s) EXPECT_NE(0.0f, v);
}

// One sweep at depth 0 is shared by the checks that read it.
class DepthZeroSweep : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        leg = new Leg;
        leg->ComputeWorkspace();
    }
    static void TearDownTestSuite() {
        delete leg;
        leg = nullptr;
    }
    static Leg* leg;
};
Leg* DepthZeroSweep::leg = nullptr;

TEST_F(DepthZeroSweep, ListsTheReachablePointsRowByRow) {
    const PointList& w = leg->workspace;
    EXPECT_TRUE(leg->workspaceReady);
    ASSERT_EQ(380972u, w.size());
    EXPECT_FLOAT_BITS(1.0499059f, w.front().x);
    EXPECT_FLOAT_BITS(-24.95f, w.front().y);
    EXPECT_FLOAT_BITS(0.04990576f, w.back().x);
    EXPECT_FLOAT_BITS(24.999811f, w.back().y);

    float minX = w[0].x, maxX = w[0].x, minY = w[0].y, maxY = w[0].y;
    for (size_t i = 0; i < w.size(); ++i) {
        minX = std::fmin(minX, w[i].x);
        maxX = std::fmax(maxX, w[i].x);
        minY = std::fmin(minY, w[i].y);
        maxY = std::fmax(maxY, w[i].y);
        ASSERT_FLOAT_BITS_Z(w[i]);
        if (i > 0) {
            bool ordered = w[i - 1].y < w[i].y || (w[i - 1].y == w[i].y && w[i - 1].x < w[i].x);
            ASSERT_TRUE(ordered) << "point " << i;
        }
    }
    EXPECT_FLOAT_BITS(-15.150134f, minX);
    EXPECT_FLOAT_BITS(24.999811f, maxX);
    EXPECT_FLOAT_BITS(-24.95f, minY);
    EXPECT_FLOAT_BITS(24.999811f, maxY);
}

TEST_F(DepthZeroSweep, ReadyListIsKeptWhateverTheDepth) {
    size_t before = leg->workspace.size();
    leg->SetTarget(D3DXVECTOR3(0, 0, 20));
    leg->ComputeWorkspace();
    EXPECT_EQ(before, leg->workspace.size());
    leg->SetTarget(D3DXVECTOR3(0, 0, 0));
}

TEST(WorkspaceTest, UnreachableDepthsGiveAnEmptyReadyList) {
    const float depths[] = {25.0f, -25.0f, 26.0f, -1e30f};
    Leg leg;
    for (float depth : depths) {
        leg.workspaceReady = false;
        leg.workspace.assign(5, D3DXVECTOR3(1, 2, 3));
        leg.SetTarget(D3DXVECTOR3(3, 4, depth));
        leg.ComputeWorkspace();
        EXPECT_TRUE(leg.workspace.empty()) << "depth " << depth;
        EXPECT_TRUE(leg.workspaceReady) << "depth " << depth;
    }
}

TEST(WorkspaceTest, NewDepthReplacesTheWholeListWithZeroDepthPoints) {
    Leg leg;
    leg.SetTarget(D3DXVECTOR3(0, 0, 20));
    leg.ComputeWorkspace();
    PointList deep = leg.workspace;
    ASSERT_FALSE(deep.empty());
    leg.workspaceReady = false;
    leg.SetTarget(D3DXVECTOR3(0, 0, 24));
    leg.ComputeWorkspace();
    Leg fresh;
    fresh.SetTarget(D3DXVECTOR3(0, 0, 24));
    fresh.ComputeWorkspace();
    ASSERT_FALSE(fresh.workspace.empty());
    ASSERT_EQ(fresh.workspace.size(), leg.workspace.size());
    EXPECT_LT(leg.workspace.size(), deep.size());
    for (size_t i = 0; i < leg.workspace.size(); ++i) {
        ASSERT_FLOAT_BITS_Z(leg.workspace[i]);
        ASSERT_EQ(FloatBits(fresh.workspace[i].x), FloatBits(leg.workspace[i].x));
        ASSERT_EQ(FloatBits(fresh.workspace[i].y), FloatBits(leg.workspace[i].y));
    }
}

// Two point lists hold the same floats, bit for bit, in the same order.
::testing::AssertionResult SameBits(const PointList& expected, const PointList& actual) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure() << expected.size() << " points expected, " << actual.size() << " listed";
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        const D3DXVECTOR3& e = expected[i];
        const D3DXVECTOR3& a = actual[i];
        if (FloatBits(e.x) != FloatBits(a.x) || FloatBits(e.y) != FloatBits(a.y) || FloatBits(e.z) != FloatBits(a.z)) {
            return ::testing::AssertionFailure() << "the lists part at point " << i;
        }
    }
    return ::testing::AssertionSuccess();
}

// The leg's sweep is the fast one and keeps the ready flag as before: a
// ready list is left alone whatever the depth, a stale one is replaced.
TEST(LegSweepTest, ComputeWorkspaceGivesTheLiteralListAndHonoursTheReadyFlag) {
    const float depths[] = {7.25f, -18.5f};
    Leg leg;
    for (float depth : depths) {
        SCOPED_TRACE(depth);
        leg.workspaceReady = false;
        leg.SetTarget(D3DXVECTOR3(1, 2, depth));
        leg.ComputeWorkspace();
        EXPECT_TRUE(leg.workspaceReady);
        PointList literal;
        LiteralSweep(depth, literal);
        EXPECT_TRUE(SameBits(literal, leg.workspace));

        leg.SetTarget(D3DXVECTOR3(1, 2, 0));
        leg.ComputeWorkspace();
        EXPECT_TRUE(SameBits(literal, leg.workspace));
    }
}

}  // namespace
