// A leg as its builder describes it: the two segment lengths, the usable
// range of each joint, and for each joint that drives a hobby servo how to
// turn the solved angle into what the servo is sent. The default is the leg
// the tool was made for: 10 and 15 units, every joint 0..180, no servos.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "kinematics/ik_solver.h"

enum Joint { kYawJoint, kHipJoint, kKneeJoint, kJointCount };

// The names the leg file and the tool's output give the joints.
const char* JointName(Joint joint);
// The joint a name ("yaw", "hip", "knee") gives; false for any other.
bool JointNamed(const std::string& name, Joint& joint);

// The solved pose's whole degrees in joint order: yaw, hip, knee.
std::array<int, kJointCount> JointDegrees(const LegPose& pose);


// How a servo is mounted: turned the other way, and with its horn offset.
struct ServoSetting {
    bool invert = false;
    int offset = 0;           // whole degrees, added after inverting
    int pulseAtZero = 500;    // microseconds at 0 servo degrees
    int pulseAtFull = 2500;   // microseconds at 180 servo degrees
    std::optional<int> channel;  // the controller channel that drives it; none, nothing sent
};

// What one servo is sent for one solved angle.
struct ServoCommand {
    int degrees = 0;
    int microseconds = 0;
};

// (invert ? 180 - angle : angle) + offset, and the pulse width
// p0 + (p1 - p0) * degrees / 180 rounded to the nearest microsecond, halves
// away from zero. Exact integer arithmetic for every setting a leg file can
// hold.
ServoCommand ServoFor(const ServoSetting& servo, int angle);

// The servo degrees that the joint's angles min..max map to, lowest first.
JointRange ServoSpan(const ServoSetting& servo, JointRange angles);

struct LegDescription {
    int upper = kUpperLength;
    int lower = kLowerLength;
    std::array<JointRange, kJointCount> ranges{};
    std::array<std::optional<ServoSetting>, kJointCount> servos{};

    int Reach() const { return upper + lower; }
    // A solver for this leg, made afresh like every caller's local IK.
    IKSolver Solver() const;
};

// Where the knee and the foot are, model units with y down, when the joints
// stand at these degrees: the solver's angles run backwards (yaw 90 - atan
// (z / x), hip 180 minus the upper segment's angle from straight down, the
// knee's inner angle). For drawing a pose that no target was solved for.
struct JointPositions {
    D3DXVECTOR3 knee;  // as the leg draws it: x along the reach, y down
    D3DXVECTOR3 foot;
};
JointPositions PositionsAt(const LegDescription& leg, const std::array<int, kJointCount>& degrees);
