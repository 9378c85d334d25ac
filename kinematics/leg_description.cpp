#include "kinematics/leg_description.h"

#include <cmath>
#include <cstdint>

std::array<int, kJointCount> JointDegrees(const LegPose& pose) {
    return {pose.yawDeg, pose.hipDeg, pose.kneeDeg};
}

JointPositions PositionsAt(const LegDescription& leg, const std::array<int, kJointCount>& degrees) {
    const double radians = 3.14159265358979323846 / 180.0;
    const double yaw = (90.0 - degrees[kYawJoint]) * radians;
    // The upper segment's angle from straight down, toward the reach.
    const double hip = (180.0 - degrees[kHipJoint]) * radians;
    // The lower segment turns back from it by 180 degrees less the knee's.
    const double lower = hip + (degrees[kKneeJoint] - 180.0) * radians;
    const double kneeReach = leg.upper * std::sin(hip), kneeDown = leg.upper * std::cos(hip);
    const double footReach = kneeReach + leg.lower * std::sin(lower);
    const double footDown = kneeDown + leg.lower * std::cos(lower);
    JointPositions p;
    p.knee = D3DXVECTOR3(static_cast<float>(kneeReach), static_cast<float>(kneeDown),
                         static_cast<float>(kneeReach * std::sin(yaw)));
    p.foot = D3DXVECTOR3(static_cast<float>(footReach * std::cos(yaw)), static_cast<float>(footDown),
                         static_cast<float>(footReach * std::sin(yaw)));
    return p;
}

const char* JointName(Joint joint) {
    static const char* const names[kJointCount] = {"yaw", "hip", "knee"};
    return names[joint];
}

bool JointNamed(const std::string& name, Joint& joint) {
    for (int j = 0; j < kJointCount; ++j) {
        if (name == JointName(static_cast<Joint>(j))) {
            joint = static_cast<Joint>(j);
            return true;
        }
    }
    return false;
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
