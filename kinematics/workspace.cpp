#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/leg.h"

// Lists every grid point of the slice at the target's depth that solves in
// range, row by row (rising y), each row in rising x, with z stored as 0.
void Leg::ComputeWorkspace() {
    if (workspaceReady) return;
    IKSolver IK;
    LegPose pose;
    const auto& samples = GridSamples();
    workspace.clear();
    for (float y : samples) {
        for (float x : samples) {
            pose.SetTarget(D3DXVECTOR3(x, y, target.z));
            IK.Solve(pose);
            if (!IK.outOfRange) workspace.push_back(D3DXVECTOR3(x, y, 0));
        }
    }
    workspaceReady = true;
}
