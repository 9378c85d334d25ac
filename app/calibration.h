// Calibrating the servos in the window (C): one joint's servo at a time is
// jogged until the real joint matches the drawing at two reference angles,
// the two marks fit its numbers, the pulses at its end stops give its
// range, and S writes what changed into the leg file. Every pulse goes out
// paced through the controller link, like every pose; the window never
// waits.
#pragma once

#include <vector>

#include "app/app_state.h"

// Whether C may start: a controller link and a joint with a channel.
bool CanCalibrate(const AppState& state);
// C: starts with the first channelled joint.
void StartCalibration(AppState& state);
// A key while calibrating.
void CalibrationKey(AppState& state, int vk);
// The keys it takes, for polling.
const std::vector<int>& CalibrationKeys();

// The angle the drawing shows the selected joint at: the first reference
// angle (a quarter into the joint's range, whole degrees) until it is
// marked, then the second (three quarters), then the middle of the range.
int ReferenceAngle(const AppState& state);
