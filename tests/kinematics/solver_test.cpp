#include <climits>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"
#include "float_bits.h"

namespace {

struct SolveCase {
    const char* what;
    float x, y, z;
    float reach, distance;
    bool outOfRange;
    int yawDeg, hipDeg, kneeDeg;
    float kneeX, kneeY, kneeZ;
};

const SolveCase kCases[] = {
    {"start pose, right angles", 10, 15, 0, 10, 18.027756f, false, 90, 90, 90, 10, 1.7948965e-08f, 0},
    {"the root itself: division by zero", 0, 0, 0, 0, 0, true, 0, 0, 0, 0, 0, 0},
    {"full stretch", 25, 0, 0, 25, 25, false, 90, 90, 180, 10, 1.7948965e-08f, 0},
    {"just beyond full stretch", 25.01f, 0, 0, 25.01f, 25.01f, true, 0, 0, 0, 0, 0, 0},
    {"left of the root", -10, 15, 0, -10, 18.027756f, false, 90, 158, 90, 3.746066f, -9.271839f, 0},
    {"above the root: hip 202", 10, -15, 0, 10, 18.027756f, true, 0, 0, 0, 0, 0, 0},
    {"positive depth", 10, 15, 5, 11.18034f, 18.708286f, false, 64, 91, 94, 9.998477f, -0.17452404f, -4.383044f},
    {"negative depth", 10, 15, -5, 11.18034f, 18.708286f, false, 116, 91, 94, 9.998477f, -0.17452404f, 4.383044f},
    {"left and deep", -10, 15, 5, -11.18034f, 18.708286f, false, 116, 164, 94, 2.7563736f, -9.612617f, 1.2083147f},
    {"x zero, depth only: yaw 0", 0, 15, 10, 10, 18.027756f, false, 90, 90, 90, 10, 1.7948965e-08f, 0},
    {"inner shell, knee folded flat", 0, 5, 0, 0, 5, false, 90, 0, 0, 0, 10, 0},
    {"inside the inner shell", 0, 4.99f, 0, 0, 4.99f, true, 0, 0, 0, 0, 0, 0},
    {"inner shell sideways: hip 270", 5, 0, 0, 5, 5, true, 0, 0, 0, 0, 0, 0},
    {"inner shell, other side", -5, 0, 0, -5, 5, false, 90, 90, 0, 10, 1.7948965e-08f, 0},
    {"straight down", 0, 25, 0, 0, 25, false, 90, 180, 180, 3.589793e-08f, -10, 0},
    {"straight up", 0, -25, 0, 0, 25, false, 90, 0, 180, 0, 10, 0},
    {"bent sideways", 15, 0, 0, 15, 15, false, 90, 20, 70, 3.4202015f, 9.396926f, 0},
};

// Fills the six fields that only an in-range solve writes with values no
// solve produces, so that "left as it was" can be seen.
void MarkSolvedFields(LegPose& pose) {
    pose.yawDeg = -7;
    pose.hipDeg = -8;
    pose.kneeDeg = -9;
    pose.kneeX = 123.25f;
    pose.kneeY = -456.5f;
    pose.kneeZ = 789.75f;
}

TEST(IKSolverTest, WorkedTargetsBitForBit) {
    for (const SolveCase& c : kCases) {
        SCOPED_TRACE(c.what);
        LegPose pose;
        MarkSolvedFields(pose);
        pose.SetTarget(D3DXVECTOR3(c.x, c.y, c.z));
        IKSolver IK;
        IK.Solve(pose);

        EXPECT_EQ(c.outOfRange, IK.outOfRange);
        EXPECT_FLOAT_BITS(c.x, pose.x);
        EXPECT_FLOAT_BITS(c.y, pose.y);
        EXPECT_FLOAT_BITS(c.z, pose.z);
        EXPECT_FLOAT_BITS(c.reach, pose.reach);
        EXPECT_FLOAT_BITS(c.distance, pose.distance);
        if (c.outOfRange) {
            EXPECT_EQ(-7, pose.yawDeg);
            EXPECT_EQ(-8, pose.hipDeg);
            EXPECT_EQ(-9, pose.kneeDeg);
            EXPECT_FLOAT_BITS(123.25f, pose.kneeX);
            EXPECT_FLOAT_BITS(-456.5f, pose.kneeY);
            EXPECT_FLOAT_BITS(789.75f, pose.kneeZ);
        } else {
            EXPECT_EQ(c.yawDeg, pose.yawDeg);
            EXPECT_EQ(c.hipDeg, pose.hipDeg);
            EXPECT_EQ(c.kneeDeg, pose.kneeDeg);
            EXPECT_FLOAT_BITS(c.kneeX, pose.kneeX);
            EXPECT_FLOAT_BITS(c.kneeY, pose.kneeY);
            EXPECT_FLOAT_BITS(c.kneeZ, pose.kneeZ);
        }
    }
}

TEST(IKSolverTest, NegativeDepthWithZeroXMatchesPositive) {
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(0, 15, -10));
    IKSolver IK;
    IK.Solve(pose);
    ASSERT_FALSE(IK.outOfRange);
    EXPECT_FLOAT_BITS(10.0f, pose.reach);
    EXPECT_EQ(90, pose.yawDeg);
    EXPECT_EQ(90, pose.hipDeg);
    EXPECT_FLOAT_BITS(0.0f, pose.kneeZ);
}

TEST(IKSolverTest, FailedSolveKeepsThePreviousAnglesButUpdatesDistances) {
    LegPose pose;
    IKSolver IK;
    pose.SetTarget(D3DXVECTOR3(10, 15, 5));
    IK.Solve(pose);
    ASSERT_FALSE(IK.outOfRange);
    pose.SetTarget(D3DXVECTOR3(30, 0, 0));
    IK.Solve(pose);
    EXPECT_TRUE(IK.outOfRange);
    EXPECT_EQ(64, pose.yawDeg);
    EXPECT_FLOAT_BITS(-4.383044f, pose.kneeZ);
    EXPECT_FLOAT_BITS(30.0f, pose.reach);
    EXPECT_FLOAT_BITS(30.0f, pose.distance);

    // The flag is the verdict of the latest solve only.
    pose.SetTarget(D3DXVECTOR3(10, 15, 0));
    IK.Solve(pose);
    EXPECT_FALSE(IK.outOfRange);
}

TEST(IKSolverTest, NewPoseAndSolverStartCleared) {
    LegPose pose;
    EXPECT_EQ(0, pose.yawDeg);
    EXPECT_FLOAT_BITS(0.0f, pose.kneeX);
    EXPECT_FLOAT_BITS(0.0f, pose.reach);
    IKSolver IK;
    EXPECT_FALSE(IK.outOfRange);
    EXPECT_EQ(10, IK.upperLength);
    EXPECT_EQ(15, IK.lowerLength);
}

TEST(IKSolverTest, ReachTakesTheSignOfXOnly) {
    struct { float x, z, reach; } rows[] = {
        {-0.0f, 0.0f, 0.0f},   // -0 counts as zero and is not below zero
        {-0.0f, 3.0f, 3.0f},   // depth alone: positive
        {-3.0f, 4.0f, -5.0f},  // left: negative
        {3.0f, -4.0f, 5.0f},   // negative depth does not flip it
    };
    for (const auto& r : rows) {
        LegPose pose;
        pose.SetTarget(D3DXVECTOR3(r.x, 1, r.z));
        IKSolver().ComputeReach(pose);
        EXPECT_FLOAT_BITS(r.reach, pose.reach) << "x " << r.x << " z " << r.z;
    }
}

TEST(IKSolverTest, HypotenuseDoesNotOverflow) {
    LegPose pose;
    float big = std::numeric_limits<float>::max();
    pose.SetTarget(D3DXVECTOR3(big / 2, 0, big / 2));
    IKSolver().ComputeReach(pose);
    EXPECT_TRUE(std::isfinite(pose.reach));
    EXPECT_FLOAT_EQ(big / 2 * std::sqrt(2.0f), pose.reach);
}

TEST(ToDegreesTest, TruncatesTowardZeroAndMapsTheUnrepresentableToIntMin) {
    const float inf = std::numeric_limits<float>::infinity();
    struct { float radians; int degrees; const char* what; } rows[] = {
        {0.0f, 0, "zero"},
        {1.5707964f, 90, "pi/2 in this scale is 90.04..., truncated"},
        {3.1415927f, 180, "pi is 180.09..., truncated"},
        {-0.0174f, 0, "just below zero truncates up to 0"},
        {-0.0175f, -1, "a full degree below zero"},
        {3.1575f, 181, "above 181 / 57.3248..."},
        {std::nanf(""), INT_MIN, "not a number"},
        {inf, INT_MIN, "infinity"},
        {-inf, INT_MIN, "minus infinity"},
        {3.8e7f, INT_MIN, "beyond the int range"},
        {-3.8e7f, INT_MIN, "beyond the int range, negative"},
        {3.7e7f, 2121019108, "just inside the int range"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(r.degrees, ToDegrees(r.radians)) << r.what;
    }
}

TEST(IKSolverTest, NonFiniteTargetsAreOutOfRangeWithoutTouchingTheTarget) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float rows[][3] = {{nan, 10, 0}, {10, nan, 0}, {10, 15, nan}, {inf, 0, 0},
                             {10, -inf, 0}, {10, 15, inf}, {3e38f, 3e38f, 3e38f}};
    for (const auto& r : rows) {
        LegPose pose;
        MarkSolvedFields(pose);
        pose.SetTarget(D3DXVECTOR3(r[0], r[1], r[2]));
        IKSolver IK;
        IK.Solve(pose);
        EXPECT_TRUE(IK.outOfRange);
        EXPECT_FLOAT_BITS(r[0], pose.x);
        EXPECT_FLOAT_BITS(r[1], pose.y);
        EXPECT_FLOAT_BITS(r[2], pose.z);
        EXPECT_EQ(-7, pose.yawDeg);
    }
}

}  // namespace

namespace {

// The joints' positions at a solved pose's degrees come back to its target
// and its knee, within what whole degrees lose (a degree at the reach).
TEST(PositionsAtTest, TheSolvedDegreesLeadBackToTheTarget) {
    const LegDescription leg;
    const D3DXVECTOR3 targets[] = {D3DXVECTOR3(10, 15, 0), D3DXVECTOR3(12, 8, 5), D3DXVECTOR3(5, 18, -6),
                                   D3DXVECTOR3(-4, 16, 3)};
    for (const D3DXVECTOR3& target : targets) {
        LegPose pose;
        pose.SetTarget(target);
        IKSolver IK = leg.Solver();
        IK.Solve(pose);
        ASSERT_FALSE(IK.outOfRange) << target.x << "," << target.y << "," << target.z;
        const JointPositions at = PositionsAt(leg, JointDegrees(pose));
        const float tolerance = static_cast<float>(leg.Reach()) * 3.0f * 0.0175f;
        EXPECT_NEAR(target.x, at.foot.x, tolerance);
        EXPECT_NEAR(target.y, at.foot.y, tolerance);
        EXPECT_NEAR(target.z, at.foot.z, tolerance);
        EXPECT_NEAR(pose.kneeX, at.knee.x, 0.001f);
        EXPECT_NEAR(-pose.kneeY, at.knee.y, 0.001f);
    }
}

}  // namespace
