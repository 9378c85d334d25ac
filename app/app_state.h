// The application state that the window procedure owns, and the procedure.
#pragma once

#include <string>

#include "kinematics/d3dx_vector3.h"
#include "kinematics/leg.h"
#include "kinematics/leg_description.h"
#include "platform/win32.h"

// Compose one frame in the front buffer.
const UINT WM_REDRAW = WM_USER + 1;

extern D3DXVECTOR3 target;           // requested foot position, model units
extern D3DXVECTOR3 lastValidTarget;  // latest requested target that solved
extern D3DXVECTOR3 origin;           // frame position of the leg root, pixels
extern D3DXVECTOR3 scale;            // pixels per model unit
extern bool dragging;
extern Leg* leg;
extern LegDescription legDescription;  // the leg the next WM_CREATE makes
extern bool haveValidTarget;           // some requested target has solved
extern bool showAngles;                // the joint angles under the target

// Shows this leg: its scale (375 / reach pixels per unit) and its start
// target (2/5 and 3/5 of its reach), which is also the first last-valid one.
void UseLeg(const LegDescription& description);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Decimal text of value, as "%d" writes it.
std::string FormatInt(int value);

// Puts every item above back to its start value (a fresh leg is made by the
// next WM_CREATE). For running the program more than once in one process.
void ResetApplicationState();
