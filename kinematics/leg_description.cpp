#include "kinematics/leg_description.h"

#include <cstdint>

std::array<int, kJointCount> JointDegrees(const LegPose& pose) {
    return {pose.yawDeg, pose.hipDeg, pose.kneeDeg};
}

const char* JointName(Joint joint) {
    static const char* const names[kJointCount] = {"yaw", "hip", "knee"};
    return names[joint];
}

namespace {

int ServoDegrees(const ServoSetting& servo, int angle) {
    return (servo.invert ? 180 - angle : angle) + servo.offset;
}

// n / 180 rounded to the nearest whole number, halves away from zero.
int64_t DivideBy180Rounded(int64_t n) {
    int64_t magnitude = (n < 0 ? -n : n);
    int64_t rounded = (magnitude + 90) / 180;
    return n < 0 ? -rounded : rounded;
}

}  // namespace

// The whole sum over 180 is rounded, not the offset from p0: rounding the
// offset alone would take a half of a falling range (p1 < p0) down instead
// of away from zero.
ServoCommand ServoFor(const ServoSetting& servo, int angle) {
    ServoCommand command;
    command.degrees = ServoDegrees(servo, angle);
    int64_t span = static_cast<int64_t>(servo.pulseAtFull) - servo.pulseAtZero;
    int64_t total = static_cast<int64_t>(servo.pulseAtZero) * 180 + span * command.degrees;
    command.microseconds = static_cast<int>(DivideBy180Rounded(total));
    return command;
}

JointRange ServoSpan(const ServoSetting& servo, JointRange angles) {
    int a = ServoDegrees(servo, angles.min);
    int b = ServoDegrees(servo, angles.max);
    return a <= b ? JointRange{a, b} : JointRange{b, a};
}


IKSolver LegDescription::Solver() const {
    IKSolver IK;
    IK.upperLength = upper;
    IK.lowerLength = lower;
    IK.yawRange = ranges[kYawJoint];
    IK.hipRange = ranges[kHipJoint];
    IK.kneeRange = ranges[kKneeJoint];
    return IK;
}
