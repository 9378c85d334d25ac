// Calibrating a servo from the real leg: two marks, each a pulse the user
// found to put the joint at a known model angle, give the servo's numbers
// (the inverse of ServoFor's pulse formula); the pulses at which the joint
// stops at either end give its usable range.
#pragma once

#include <string>

#include "controller/controller_settings.h"
#include "kinematics/leg_description.h"

struct CalibrationMark {
    int angle;  // the joint's model angle, whole degrees
    int pulse;  // microseconds that put the real joint there
};

// The slope a mark pair may have, in microseconds a degree: a smaller or
// larger one means a mark on the wrong joint, or a typo.
constexpr int kLeastFitSlope = 2;
constexpr int kMostFitSlope = 50;

// From the marks (A1, u1) and (A2, u2), slope k = (u2 - u1) / (A2 - A1):
// rising (k > 0) invert = false, p0 = u1 - k A1, p1 = p0 + 180 k; falling
// invert = true, p0 = u1 + k (180 - A1), p1 = p0 - 180 k; offset 0. p0 and
// p1 are rounded to whole microseconds, halves away from zero, from the
// exact fractions. False with one line for marks at one angle or one
// pulse, a slope outside 2..50 us a degree, pulses outside 0..100000, or
// pulses over range that limits (when given) do not take.
bool FitServo(CalibrationMark a, CalibrationMark b, JointRange range, const PulseLimits* limits,
              ServoSetting& fitted, std::string& error);

// The model angle range left inside the end stops: with A the exact angle
// at which the fitted servo gets a stop's pulse, min = ceil(A) + 1 for the
// stop at the smallest angle and max = floor(A) - 1 for the one at the
// largest, one whole degree inside each, kept within 0..180. False with one
// line when min comes above max.
bool RangeInsideStops(const ServoSetting& fitted, int smallStopPulse, int largeStopPulse, JointRange& range,
                      std::string& error);
