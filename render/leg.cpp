#include "render/leg.h"

#include "kinematics/ik_solver.h"
#include "render/pixel_axis.h"

void Leg::SetOrigin(D3DXVECTOR3 value) { origin = value; }
void Leg::SetOrigin(float x, float y, float z) { origin = D3DXVECTOR3(x, y, z); }
void Leg::SetScale(D3DXVECTOR3 value) { scale = value; }
void Leg::SetScale(float x, float y, float z) { scale = D3DXVECTOR3(x, y, z); }
void Leg::SetTarget(D3DXVECTOR3 value) { target = value; }
void Leg::SetTarget(float x, float y, float z) { target = D3DXVECTOR3(x, y, z); }
void Leg::SetFrontDC(HDC dc) { frontDC = dc; }
void Leg::SetWorkspaceDC(HDC dc) { workspaceDC = dc; }

void Leg::Solve() {
    // A fresh pose starts cleared, so an out-of-range solve, which writes no
    // knee field, leaves kneeOffset at (0, -0, 0) rather than stale memory.
    LegPose pose;
    pose.SetTarget(target);
    IKSolver IK = description.Solver();
    IK.Solve(pose);
    outOfRange = IK.outOfRange;
    rootOffset = D3DXVECTOR3(0, 0, 0);
    // The solver's knee y points up; the leg's y runs down like the screen.
    kneeOffset = D3DXVECTOR3(pose.kneeX, pose.kneeY * -1.0f, pose.kneeZ);
    footOffset = target;
    solved = pose;
}

void Leg::BuildJoints() {
    joints.clear();
    joints.push_back(rootOffset + origin);
    joints.push_back(FramePoint(kneeOffset, scale, origin));
    joints.push_back(FramePoint(footOffset, scale, origin));
}
