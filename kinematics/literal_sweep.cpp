#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"

void LiteralSweep(float depth, PointList& points) {
    IKSolver IK;
    LegPose pose;
    const auto& samples = GridSamples();
    points.clear();
    for (float y : samples) {
        for (float x : samples) {
            pose.SetTarget(D3DXVECTOR3(x, y, depth));
            IK.Solve(pose);
            if (!IK.outOfRange) points.push_back(D3DXVECTOR3(x, y, 0));
        }
    }
}
