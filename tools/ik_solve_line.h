// The JSON line that tavrin-ik prints for a solved foot target, for every
// command that prints one.
#pragma once

#include <string>

#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"

// {"target":[x,y,z],"outOfRange":...,"reach":...,"distance":...} and, for a
// target in range, the angles, the knee and the servos of the joints with a
// [servo.JOINT] section. No line break.
std::string SolveLine(const LegDescription& leg, const LegPose& pose, bool outOfRange);
