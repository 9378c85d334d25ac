// The one leg on the screen: where its root is drawn, pixels per model unit,
// the requested foot target, the solved joint chain, the cloud of grid
// points the foot can reach at the current depth, and the two buffers it
// draws into. Built on the pure model: the leg's description, its solver and
// the sweep of one depth slice.
#pragma once

#include "kinematics/d3dx_vector3.h"
#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"
#include "kinematics/point_list.h"
#include "platform/win32.h"

class Leg {
public:
    D3DXVECTOR3 origin{0, 0, 0};       // pixels
    D3DXVECTOR3 scale{0, 0, 0};        // pixels per model unit
    D3DXVECTOR3 target{0, 0, 0};       // model units, y downwards
    PointList workspace;               // reachable grid points of the slice
    bool workspaceReady = false;
    D3DXVECTOR3 rootOffset{0, 0, 0};
    D3DXVECTOR3 kneeOffset{0, 0, 0};
    D3DXVECTOR3 footOffset{0, 0, 0};
    PointList joints;                  // root, knee, foot in pixels
    bool outOfRange = true;
    HDC frontDC = nullptr;             // borrowed, never released here
    HDC workspaceDC = nullptr;         // borrowed, never released here
    LegDescription description;        // lengths and joint ranges
    LegPose solved;                    // the last solve: its angles when in range

    void SetOrigin(D3DXVECTOR3 value);
    void SetOrigin(float x, float y, float z);
    void SetScale(D3DXVECTOR3 value);
    void SetScale(float x, float y, float z);
    void SetTarget(D3DXVECTOR3 value);
    void SetTarget(float x, float y, float z);
    void SetFrontDC(HDC dc);
    void SetWorkspaceDC(HDC dc);

    void Solve();
    void BuildJoints();
    void ComputeWorkspace();

    void DrawAxes();
    void DrawWorkspace();
    // The same list, each point in the colour of its joint margin.
    void DrawMarginWorkspace();
    void DrawLeg();
};
