// The axes and the leg, drawn into the front buffer (the cloud is drawn by
// cloud_drawing.cpp). Every pen is made, used and deleted within one call,
// with the context's previous pen selected back.
#include "render/leg.h"
#include "kinematics/truncate.h"
#include "platform/win32.h"

namespace {

const COLORREF kVerticalAxisColour = 0x0000FF;    // red
const COLORREF kHorizontalAxisColour = 0xFF0000;  // blue
const COLORREF kLegColour = 0x969696;             // grey
const int kPenWidth = 2;
const int kAxisLength = 800;

void DrawLine(HDC dc, COLORREF colour, int x0, int y0, int x1, int y1) {
    HPEN pen = CreatePen(PS_SOLID, kPenWidth, colour);
    HGDIOBJ previous = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, previous);
    DeleteObject(pen);
}

}  // namespace

void Leg::DrawAxes() {
    int x = TruncateToInt(origin.x);
    int y = TruncateToInt(origin.y);
    DrawLine(frontDC, kVerticalAxisColour, x, 0, x, kAxisLength);
    DrawLine(frontDC, kHorizontalAxisColour, 0, y, kAxisLength, y);
}

void Leg::DrawLeg() {
    // The chain is built before every frame; without it there is nothing to draw.
    if (joints.size() < 3) return;
    HPEN pen = CreatePen(PS_SOLID, kPenWidth, kLegColour);
    HGDIOBJ previous = SelectObject(frontDC, pen);
    MoveToEx(frontDC, TruncateToInt(joints[0].x), TruncateToInt(joints[0].y), nullptr);
    LineTo(frontDC, TruncateToInt(joints[1].x), TruncateToInt(joints[1].y));
    LineTo(frontDC, TruncateToInt(joints[2].x), TruncateToInt(joints[2].y));
    SelectObject(frontDC, previous);
    DeleteObject(pen);
}
