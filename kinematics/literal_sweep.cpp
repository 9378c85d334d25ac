#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"

void LiteralSweep(const LegDescription& description, float depth, PointList& points) {
    IKSolver IK = description.Solver();
    LegPose pose;
    const std::vector<float> samples = GridSamples(description.Reach());
    points.clear();
    for (float y : samples) {
        for (float x : samples) {
            pose.SetTarget(D3DXVECTOR3(x, y, depth));
            IK.Solve(pose);
            if (!IK.outOfRange) points.push_back(D3DXVECTOR3(x, y, 0));
        }
    }
}

void LiteralSweep(float depth, PointList& points) {
    LiteralSweep(LegDescription{}, depth, points);
}
