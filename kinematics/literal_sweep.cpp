#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"

void LiteralSweep(const LegDescription& description, float depth, const std::vector<float>& samples,
                  PointList& points) {
    IKSolver IK = description.Solver();
    LegPose pose;
    points.clear();
    for (float y : samples) {
        for (float x : samples) {
            pose.SetTarget(D3DXVECTOR3(x, y, depth));
            IK.Solve(pose);
            if (!IK.outOfRange) points.push_back(D3DXVECTOR3(x, y, 0));
        }
    }
}

void LiteralSweep(const LegDescription& description, float depth, PointList& points) {
    LiteralSweep(description, depth, GridSamples(description.Reach()), points);
}

void LiteralSweep(float depth, PointList& points) {
    LiteralSweep(LegDescription{}, depth, points);
}
