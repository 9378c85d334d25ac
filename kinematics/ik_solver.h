// Inverse kinematics of the three-joint leg: a yaw joint at the root, a hip
// joint, an upper segment (10 units unless the leg says otherwise) to the
// knee and a lower one (15) to the foot. Angles come out as whole degrees,
// like hobby servos; a target that needs any angle outside its joint's range
// (0 to 180 unless the leg says otherwise) is out of range.
//
// Every step is 32-bit float arithmetic, one rounded operation at a time in
// the order written, with the double maths functions applied to widened
// floats and their results rounded back to float. The build forbids
// contraction and x87 excess precision, so every platform gets the same bits.
#pragma once

#include "kinematics/d3dx_vector3.h"

// The foot target and what a solve writes about it. A new pose is all zero;
// a solve that fails leaves the angle and knee fields as they were.
struct LegPose {
    float x = 0;
    float y = 0;
    float z = 0;
    float reach = 0;      // signed horizontal distance, negative when x < 0
    float distance = 0;   // straight-line distance from the root
    int yawDeg = 0;
    int hipDeg = 0;
    int kneeDeg = 0;
    float kneeX = 0;      // along the reach direction
    float kneeY = 0;      // upwards, the opposite sense to y
    float kneeZ = 0;

    void SetTarget(D3DXVECTOR3 target);
};

// The leg's segments, root to knee and knee to foot, in model units.
constexpr int kUpperLength = 10;
constexpr int kLowerLength = 15;

// The whole degrees a joint may take, both bounds included.
struct JointRange {
    int min = 0;
    int max = 180;

    // Compared as floats, as the solver compares its angles.
    bool Holds(float degrees) const {
        return degrees >= static_cast<float>(min) && degrees <= static_cast<float>(max);
    }
};
// The degree factor of the solve: 180 / 3.14, as a double.
constexpr double kDegreesPerRadian = 57.324840764331206;

// Radians to whole degrees by the factor 180 / 3.14, truncated toward zero.
// A non-number, or a value beyond the int range, gives INT_MIN: the value the
// x86 conversion instruction yields for them, written without undefined
// behaviour.
int ToDegrees(float radians);

class IKSolver {
public:
    bool outOfRange = false;
    int upperLength = kUpperLength;
    int lowerLength = kLowerLength;
    JointRange yawRange;
    JointRange hipRange;
    JointRange kneeRange;

    void Solve(LegPose& pose);

    void ComputeReach(LegPose& pose);
    float YawAngle(LegPose& pose);
    float HipAngle(LegPose& pose);
    float KneeAngle(LegPose& pose);
};
