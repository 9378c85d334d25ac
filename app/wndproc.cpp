#include <algorithm>
#include <cstring>

#include "app/app_state.h"
#include "kinematics/truncate.h"
#include "render/buffers.h"

namespace {

const float kKeyStep = 1.0f;
const int kReadoutRightInset = 44;
const int kReadoutRows[3] = {70, 90, 110};
const int kAngleRows[3] = {130, 150, 170};
const int kAngleKey = 'A';

void OnCreate(HWND window, WPARAM wParam, LPARAM lParam) {
    leg = new Leg;
    leg->description = legDescription;
    leg->SetOrigin(origin);
    leg->SetScale(scale);
    CreateFrontBuffer();
    leg->SetFrontDC(frontDC);
    CreateWorkspaceBuffer();
    leg->SetWorkspaceDC(workspaceDC);
    // The leg's own target is still (0, 0, 0): the first slice is depth 0.
    leg->ComputeWorkspace();
    leg->DrawWorkspace();
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

// One number of the readout, whole, at the outer window's width less 44;
// where that would put it past the frame's right edge (a wide window, a long
// number), it ends at that edge instead.
void DrawReadoutNumber(int outerWidth, int y, int value) {
    std::string text = FormatInt(value);
    int count = static_cast<int>(text.size());
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(frontDC, text.c_str(), count, &extent);
    int x = std::min<int>(outerWidth - kReadoutRightInset, bufferWidth - extent.cx);
    TextOutA(frontDC, x, y, text.c_str(), count);
}

// The requested target and, when asked for, the joint angles of the pose
// that is drawn.
void DrawReadout(HWND window) {
    RECT rcWind;
    GetWindowRect(window, &rcWind);
    POINT ptDiff;
    ptDiff.x = rcWind.right - rcWind.left;
    ptDiff.y = rcWind.bottom - rcWind.top;
    const float components[3] = {target.x, target.y, target.z};
    for (int i = 0; i < 3; ++i) DrawReadoutNumber(ptDiff.x, kReadoutRows[i], TruncateToInt(components[i]));
    if (!showAngles || !haveValidTarget) return;
    const int angles[3] = {leg->solved.yawDeg, leg->solved.hipDeg, leg->solved.kneeDeg};
    for (int i = 0; i < 3; ++i) DrawReadoutNumber(ptDiff.x, kAngleRows[i], angles[i]);
}

// One complete frame: background and cloud, then the leg for the target or,
// when that is out of reach, for the last target that solved. Until some
// target has solved (a leg whose start target is out of its reach) there is
// no pose to draw.
void OnRedraw(HWND window) {
    ClearFrontBuffer();
    CopyWorkspaceToFront(workspaceDC, frontDC);
    leg->SetTarget(target);
    leg->Solve();
    if (!leg->outOfRange) {
        lastValidTarget = leg->target;
        haveValidTarget = true;
    } else if (haveValidTarget) {
        leg->SetTarget(lastValidTarget);
        leg->Solve();
    }
    leg->BuildJoints();
    leg->DrawAxes();
    if (haveValidTarget) leg->DrawLeg();
    DrawReadout(window);
}

void RebuildDepthSlice() {
    ClearWorkspaceBuffer();
    leg->workspaceReady = false;
    leg->SetTarget(target);
    leg->ComputeWorkspace();
    leg->DrawWorkspace();
}

// Exactly 1: pressed since the previous query and no longer down.
bool WasTapped(int key) {
    return GetAsyncKeyState(key) == 1;
}

void OnKeyUp(HWND window, WPARAM wParam, LPARAM lParam) {
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
    if (WasTapped(kAngleKey)) showAngles = !showAngles;
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

// The pointer maps back to model units: (position - origin) / scale.
void OnMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
    if (!dragging) return;
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    target.x = (static_cast<float>(x) - origin.x) / scale.x;
    target.y = (static_cast<float>(y) - origin.y) / scale.y;
    PostMessageA(window, WM_REDRAW, wParam, lParam);
}

}  // namespace

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
        SetCapture(window);
        dragging = true;
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        dragging = false;
        return 0;
    case WM_RBUTTONDOWN:
        return 0;
    case WM_CAPTURECHANGED:
        // The capture went elsewhere (the window lost the focus, another
        // window took it): the drag cannot see its release any more.
        dragging = false;
        return 0;
    case WM_RBUTTONUP:
        ReleaseCapture();
        dragging = false;
        UpdateWindow(window);
        return 0;
    case WM_REDRAW:
        OnRedraw(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
