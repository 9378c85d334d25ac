#include <gtest/gtest.h>

#include "kinematics/ik_solver.h"
#include "render/leg.h"
#include "float_bits.h"

namespace {

void ExpectPoint(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual) {
    EXPECT_FLOAT_BITS(expected.x, actual.x);
    EXPECT_FLOAT_BITS(expected.y, actual.y);
    EXPECT_FLOAT_BITS(expected.z, actual.z);
}

// The leg as the application sets it up.
struct AppLeg : ::testing::Test {
    Leg leg;
    void SetUp() override {
        leg.SetOrigin(D3DXVECTOR3(250, 400, 0));
        leg.SetScale(D3DXVECTOR3(15, 15, 15));
    }
};

TEST(LegTest, NewLegIsEmptyUnsolvedAndStale) {
    Leg leg;
    ExpectPoint(D3DXVECTOR3(0, 0, 0), leg.target);
    EXPECT_TRUE(leg.outOfRange);
    EXPECT_FALSE(leg.workspaceReady);
    EXPECT_TRUE(leg.workspace.empty());
    EXPECT_TRUE(leg.joints.empty());
}

TEST(LegTest, VectorAndComponentFormsStoreTheSame) {
    Leg a, b;
    a.SetOrigin(D3DXVECTOR3(1.5f, -2, 3));
    b.SetOrigin(1.5f, -2, 3);
    a.SetScale(D3DXVECTOR3(4, 5, 6));
    b.SetScale(4, 5, 6);
    a.SetTarget(D3DXVECTOR3(-7, 8.25f, 9));
    b.SetTarget(-7, 8.25f, 9);
    ExpectPoint(a.origin, b.origin);
    ExpectPoint(a.scale, b.scale);
    ExpectPoint(a.target, b.target);
}

TEST_F(AppLeg, SetTargetAloneSolvesNothing) {
    leg.SetTarget(D3DXVECTOR3(10, 15, 0));
    leg.Solve();
    ASSERT_FALSE(leg.outOfRange);
    D3DXVECTOR3 knee = leg.kneeOffset;
    leg.SetTarget(D3DXVECTOR3(0, 0, 0));
    EXPECT_FALSE(leg.outOfRange);
    ExpectPoint(knee, leg.kneeOffset);
    ExpectPoint(D3DXVECTOR3(10, 15, 0), leg.footOffset);
}

TEST_F(AppLeg, SolveSetsOffsetsFromTheSolverInEitherVerdict) {
    const D3DXVECTOR3 targets[] = {{10, 15, 0}, {-10, 15, 5}, {0, 0, 0}, {30, 1, 2}, {10, -15, 0}};
    for (const D3DXVECTOR3& t : targets) {
        leg.SetTarget(t);
        leg.Solve();
        LegPose pose;
        pose.SetTarget(t);
        IKSolver IK;
        IK.Solve(pose);
        EXPECT_EQ(IK.outOfRange, leg.outOfRange);
        ExpectPoint(D3DXVECTOR3(0, 0, 0), leg.rootOffset);
        ExpectPoint(t, leg.footOffset);
        // In range the knee is the solver's, y flipped; out of range the
        // fresh pose's cleared knee, (0, -0, 0), never an old value.
        ExpectPoint(D3DXVECTOR3(pose.kneeX, -pose.kneeY, pose.kneeZ), leg.kneeOffset);
        if (IK.outOfRange) ExpectPoint(D3DXVECTOR3(0, -0.0f, 0), leg.kneeOffset);
    }
}

TEST_F(AppLeg, StartTargetBuildsTheFirstFramesChain) {
    leg.SetTarget(D3DXVECTOR3(10, 15, 0));
    leg.Solve();
    EXPECT_FALSE(leg.outOfRange);
    EXPECT_FLOAT_BITS(-1.7948965e-08f, leg.kneeOffset.y);
    leg.BuildJoints();
    leg.BuildJoints();  // rebuilt, not appended
    ASSERT_EQ(3u, leg.joints.size());
    ExpectPoint(D3DXVECTOR3(250, 400, 0), leg.joints[0]);
    ExpectPoint(D3DXVECTOR3(400, 400, 0), leg.joints[1]);
    ExpectPoint(D3DXVECTOR3(400, 625, 0), leg.joints[2]);
}

TEST_F(AppLeg, BuildJointsScalesEveryAxis) {
    leg.rootOffset = D3DXVECTOR3(0, 0, 0);
    leg.kneeOffset = D3DXVECTOR3(10, 0, 0);
    leg.footOffset = D3DXVECTOR3(10, 15, -2);
    leg.BuildJoints();
    ASSERT_EQ(3u, leg.joints.size());
    ExpectPoint(D3DXVECTOR3(400, 400, 0), leg.joints[1]);
    ExpectPoint(D3DXVECTOR3(400, 625, -30), leg.joints[2]);
}

TEST_F(AppLeg, KneeMovesInWholeDegrees) {
    leg.SetTarget(D3DXVECTOR3(10, 16, 0));
    leg.Solve();
    leg.BuildJoints();
    ASSERT_EQ(3u, leg.joints.size());
    EXPECT_NEAR(399.18, leg.joints[1].x, 0.01);
    EXPECT_NEAR(415.68, leg.joints[1].y, 0.01);
    ExpectPoint(D3DXVECTOR3(400, 640, 0), leg.joints[2]);
}

}  // namespace
