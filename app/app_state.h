// The program's state, one object with one definition, and the window
// procedure that owns it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/calibration_state.h"
#include "controller/controller_link.h"
#include "controller/controller_settings.h"
#include "footpath/path_motion.h"
#include "kinematics/d3dx_vector3.h"
#include "kinematics/leg_description.h"
#include "platform/win32.h"
#include "render/frame_buffers.h"
#include "render/leg.h"

// Compose one frame in the front buffer.
const UINT WM_REDRAW = WM_USER + 1;

struct AppState {
    // What the next window's leg is made with (WM_CREATE hands it over);
    // from then on the leg holds its own copy.
    LegDescription legDescription;
    D3DXVECTOR3 origin;               // frame position of the leg root, pixels
    D3DXVECTOR3 scale;                // pixels per model unit

    D3DXVECTOR3 target;               // requested foot position, model units
    D3DXVECTOR3 lastValidTarget;      // latest requested target that solved
    bool haveValidTarget = false;     // some requested target has solved
    bool dragging = false;
    bool showAngles = false;          // the joint angles under the target

    // Made by WM_CREATE and kept until the process ends.
    Leg* leg = nullptr;
    FrameBuffers* buffers = nullptr;

    HINSTANCE hInstance = nullptr;
    HWND hWnd = nullptr;              // stored once CreateWindowExA returns

    // The servo controller the drawn pose goes to, when the leg file names
    // one, and the command last handed to it.
    std::optional<ControllerSettings> controller;
    std::unique_ptr<ControllerLink> link;
    std::string lastCommand;

    bool marginMode = false;          // the cloud coloured by joint margin

    std::string legFile;              // the --leg file; empty for the default leg
    Calibration calibration;          // C: the servos calibrated from the real leg

    // Recording (R) and playing back (P) the foot's moves.
    PathRecorder recorder;
    PathPlayer player;
    std::string recordFile;           // where R saves; empty: a dated name
    bool recordingUnsaved = false;    // the kept recording's save failed
    std::string pathNote;             // what the title says of it: "recording", "saved ..."

    // Milliseconds on the program's clock: GetTickCount unless a test
    // hands in its own.
    int64_t (*clock)() = nullptr;
    int64_t Now() const;

    AppState();
};

extern AppState app;

// Shows this leg: its scale (375 / reach pixels per unit) and its start
// target (2/5 and 3/5 of its reach), which is also the first last-valid one.
void UseLeg(const LegDescription& description);

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the loop does on each turn besides messages, never waiting: the
// controller's link, and the playback of a path.
void OnLoopTurn(HWND window);
// When OnLoopTurn next has something to do, on the program's clock, or -1
// when only a message can bring work. Everything that runs on the loop's
// turns gives its deadline here.
int64_t NextLoopDeadlineMs(const AppState& state);

// Decimal text of value, as "%d" writes it.
std::string FormatInt(int value);

// Puts the state back to its start values and gives back the leg and the
// buffers (a fresh pair is made by the next WM_CREATE). For running the
// program more than once in one process.
void ResetApplicationState();
