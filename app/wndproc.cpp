#include <algorithm>
#include <array>
#include <cstring>

#include "app/app_state.h"
#include "app/calibration.h"
#include "app/leg_output.h"
#include "app/motion.h"
#include "app/title.h"
#include "kinematics/truncate.h"
#include "parallel/worker_pool.h"
#include "render/margin_drawing.h"
#include "render/pixel_axis.h"

namespace {

const float kKeyStep = 1.0f;
const int kReadoutRightInset = 44;
const int kReadoutRows[3] = {70, 90, 110};
const int kAngleRows[3] = {130, 150, 170};
const int kAngleKey = 'A';
const int kMarginKey = 'M';
const int kRecordKey = 'R';
const int kPlayKey = 'P';
const int kDiscardKey = VK_BACK;
const int kCalibrateKey = 'C';
// A playing path moves the target at most once a frame of a 60 Hz screen.
const int64_t kPlaybackFrameMs = 16;

// The cloud of the leg's current list into the workspace buffer: plain, or
// in margin mode each point in the colour of its joint margin.
void PlotCloud() {
    if (app.marginMode) {
        app.leg->DrawMarginWorkspace();
    } else {
        app.leg->DrawWorkspace();
    }
}

// The buffers take the screen's pixel format: the window's handle is not
// stored yet while it is being created.
void OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
    Leg* leg = app.leg = new Leg;
    leg->description = app.legDescription;
    leg->SetOrigin(app.origin);
    leg->SetScale(app.scale);
    HDC screen = GetDC(nullptr);
    app.buffers = new FrameBuffers(screen);
    ReleaseDC(nullptr, screen);
    leg->SetFrontDC(app.buffers->frontDC);
    leg->SetWorkspaceDC(app.buffers->workspaceDC);
    // The leg's own target is still (0, 0, 0): the first slice is depth 0.
    leg->ComputeWorkspace();
    PlotCloud();
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

// One number of the readout, whole, at the outer window's width less 44;
// where that would put it past the frame's right edge (a wide window, a long
// number), it ends at that edge instead. Returns where it starts.
int DrawReadoutNumber(int outerWidth, int y, int value) {
    std::string text = FormatInt(value);
    int count = static_cast<int>(text.size());
    SIZE extent = {0, 0};
    HDC front = app.buffers->frontDC;
    GetTextExtentPoint32A(front, text.c_str(), count, &extent);
    int x = std::min<int>(outerWidth - kReadoutRightInset, app.buffers->bufferWidth - extent.cx);
    TextOutA(front, x, y, text.c_str(), count);
    return x;
}

// The joint's name, in the readout's font, ending a space before its
// number, so that the three angle rows can be told apart.
void DrawAngleLabel(int numberX, int y, Joint joint) {
    const char* name = JointName(joint);
    const int count = static_cast<int>(std::strlen(name));
    HDC front = app.buffers->frontDC;
    SIZE extent = {0, 0}, space = {0, 0};
    GetTextExtentPoint32A(front, name, count, &extent);
    GetTextExtentPoint32A(front, " ", 1, &space);
    TextOutA(front, numberX - space.cx - extent.cx, y, name, count);
}

// The requested target and, when asked for, the joint angles of the pose
// that is drawn.
void DrawReadout(HWND window) {
    RECT rcWind;
    GetWindowRect(window, &rcWind);
    POINT ptDiff;
    ptDiff.x = rcWind.right - rcWind.left;
    ptDiff.y = rcWind.bottom - rcWind.top;
    const float components[3] = {app.target.x, app.target.y, app.target.z};
    for (int i = 0; i < 3; ++i) DrawReadoutNumber(ptDiff.x, kReadoutRows[i], TruncateToInt(components[i]));
    const bool calibrating = app.calibration.active;
    if ((!app.showAngles && !calibrating) || !app.haveValidTarget) return;
    std::array<int, kJointCount> angles = JointDegrees(app.leg->solved);
    // While calibrating, the selected joint's row is its servo's pulse.
    if (calibrating) angles[app.calibration.joint] = app.calibration.pulse;
    for (int i = 0; i < kJointCount; ++i) {
        const int x = DrawReadoutNumber(ptDiff.x, kAngleRows[i], angles[i]);
        DrawAngleLabel(x, kAngleRows[i], static_cast<Joint>(i));
    }
}

// While calibrating, the leg is drawn with the selected joint at the angle
// the real joint is to be matched to, the others as solved.
void ShowReferencePose(Leg* leg) {
    std::array<int, kJointCount> degrees = JointDegrees(leg->solved);
    degrees[app.calibration.joint] = ReferenceAngle(app);
    const JointPositions at = PositionsAt(leg->description, degrees);
    leg->kneeOffset = at.knee;
    leg->footOffset = at.foot;
    leg->BuildJoints();
}

// One complete frame: background and cloud, then the leg for the target or,
// when that is out of reach, for the last target that solved. Until some
// target has solved (a leg whose start target is out of its reach) there is
// no pose to draw.
void OnRedraw(HWND window) {
    Leg* leg = app.leg;
    app.buffers->ClearFrontBuffer();
    app.buffers->CopyWorkspaceToFront();
    leg->SetTarget(app.target);
    leg->Solve();
    if (!leg->outOfRange) {
        app.lastValidTarget = leg->target;
        app.haveValidTarget = true;
    } else if (app.haveValidTarget) {
        leg->SetTarget(app.lastValidTarget);
        leg->Solve();
    }
    leg->BuildJoints();
    if (app.calibration.active && app.haveValidTarget) ShowReferencePose(leg);
    leg->DrawAxes();
    if (app.haveValidTarget) leg->DrawLeg();
    DrawReadout(window);
    if (app.marginMode) DrawMarginLegend(app.buffers->frontDC, app.buffers->bufferHeight);
    HandOnDrawnPose(window, app);
}

// The leg sweeps the depth of the target it is handed, once its list is
// marked stale.
void RebuildDepthSlice() {
    Leg* leg = app.leg;
    // The sweep and the plot run on every core: the other threads wake
    // while the buffer is cleared.
    SharedPool().Prime();
    app.buffers->ClearWorkspaceBuffer();
    leg->workspaceReady = false;
    leg->SetTarget(app.target);
    leg->ComputeWorkspace();
    PlotCloud();
}

// M: the same slice plotted again, the other way.
void ToggleMarginMode() {
    app.marginMode = !app.marginMode;
    SharedPool().Prime();
    app.buffers->ClearWorkspaceBuffer();
    PlotCloud();
}

// Exactly 1: pressed since the previous query and no longer down.
bool WasTapped(int key) {
    return GetAsyncKeyState(key) == 1;
}

// Forgets every tap not yet taken, so that the key that ended a playback
// does nothing more, and a key pressed before calibrating (an Enter, an S)
// does not act in it.
void ForgetTaps() {
    for (int key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_SUBTRACT, VK_ADD, kAngleKey, kMarginKey, kRecordKey,
                    kPlayKey, kDiscardKey}) {
        WasTapped(key);
    }
    for (int key : CalibrationKeys()) WasTapped(key);
}

void OnKeyUp(HWND window, WPARAM wParam, LPARAM lParam) {
    if (app.player.Playing()) {
        StopPlayback(app);
        ForgetTaps();
        PostMessageA(window, WM_REDRAW, wParam, lParam);
        return;
    }
    if (app.calibration.active) {
        for (int key : CalibrationKeys()) {
            if (WasTapped(key)) CalibrationKey(app, key);
        }
        ForgetTaps();
        if (app.calibration.cloudStale) {
            app.calibration.cloudStale = false;
            RebuildDepthSlice();
        }
        PostMessageA(window, WM_REDRAW, wParam, lParam);
        return;
    }
    if (WasTapped(kCalibrateKey)) {
        if (CanCalibrate(app)) {
            StartCalibration(app);
        } else {
            app.calibration.note = "C calibrates with a leg file whose [controller] drives a joint with a channel";
        }
        ForgetTaps();
        PostMessageA(window, WM_REDRAW, wParam, lParam);
        return;
    }
    D3DXVECTOR3& target = app.target;
    const D3DXVECTOR3 before = target;
    if (WasTapped(VK_UP)) target.y = target.y - kKeyStep;
    if (WasTapped(VK_DOWN)) target.y = target.y + kKeyStep;
    if (WasTapped(VK_LEFT)) target.x = target.x - kKeyStep;
    if (WasTapped(VK_RIGHT)) target.x = target.x + kKeyStep;
    if (WasTapped(VK_SUBTRACT)) {
        target.z = target.z - kKeyStep;
        RebuildDepthSlice();
    }
    if (WasTapped(VK_ADD)) {
        target.z = target.z + kKeyStep;
        RebuildDepthSlice();
    }
    if (WasTapped(kAngleKey)) app.showAngles = !app.showAngles;
    if (target.x != before.x || target.y != before.y || target.z != before.z) RecordTarget(app);
    if (WasTapped(kMarginKey)) ToggleMarginMode();
    if (WasTapped(kRecordKey)) ToggleRecording(app);
    if (WasTapped(kDiscardKey)) DiscardRecording(app);
    if (WasTapped(kPlayKey)) {
        // A drag would go on moving the target under the playback.
        if (app.dragging) ReleaseCapture();
        app.dragging = false;
        StartPlayback(app);
    }
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

// The pointer maps back to model units: (position - origin) / scale.
void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
    if (!app.dragging) return;
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    app.target.x = PixelAxis{app.scale.x, app.origin.x}.Model(x);
    app.target.y = PixelAxis{app.scale.y, app.origin.y}.Model(y);
    RecordTarget(app);
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

}  // namespace

void OnLoopTurn(HWND window) {
    if (PollController(app)) ShowTitle(window, app);
    const bool wasPlaying = app.player.Playing();
    PlaybackStep step = AdvancePlayback(app);
    if (step.depthChanged) RebuildDepthSlice();
    if (step.moved || (wasPlaying && !app.player.Playing())) PostMessageA(window, WM_REDRAW, 0, 0);
}

int64_t NextLoopDeadlineMs(const AppState& state) {
    int64_t due = -1;
    auto take = [&due](int64_t t) {
        if (t >= 0 && (due < 0 || t < due)) due = t;
    };
    if (state.link) take(state.link->NextWakeMs());
    take(state.player.NextChangeMs(state.Now(), kPlaybackFrameMs));
    return due;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window, wParam, lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_KEYUP:
        OnKeyUp(window, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(window, wParam, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        StopPlayback(app);
        SetCapture(window);
        app.dragging = true;
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        app.dragging = false;
        return 0;
    case WM_RBUTTONDOWN:
        StopPlayback(app);
        return 0;
    case WM_CAPTURECHANGED:
        // The capture went elsewhere (the window lost the focus, another
        // window took it): the drag cannot see its release any more.
        app.dragging = false;
        return 0;
    case WM_RBUTTONUP:
        ReleaseCapture();
        app.dragging = false;
        UpdateWindow(window);
        return 0;
    case WM_REDRAW:
        OnRedraw(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
