// Where the drawn pose goes besides the screen: the servo controller that
// the leg file names, through a paced link that never makes the loop wait.
#pragma once

#include <string>

#include "app/app_state.h"

// Opens the controller's port at start; false with a one-line error (the
// port and why) when it cannot.
bool OpenController(AppState& state, std::string& error);

// After each frame's solve, the one place that hands the drawn pose to
// everything that follows it: the controller and the title.
void HandOnDrawnPose(HWND window, AppState& state);

// The pose now drawn has been solved: its command goes to the controller
// unless it is the one sent last. A target out of reach draws the last
// pose again, so nothing new goes out.
void SendDrawnPose(AppState& state);

// What is due on the link at the loop's turn; true when its lost or found
// state changed, so that the title must say so.
bool PollController(AppState& state);

// Nothing more is sent: the servos hold their last pose.
void CloseController(AppState& state);
