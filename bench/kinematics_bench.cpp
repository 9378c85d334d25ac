#include <benchmark/benchmark.h>

#include "kinematics/ik_solver.h"
#include "kinematics/leg.h"

namespace {

void BM_Solve(benchmark::State& state) {
    LegPose pose;
    float y = 15;
    for (auto _ : state) {
        pose.SetTarget(D3DXVECTOR3(10, y, 3));
        IKSolver IK;
        IK.Solve(pose);
        benchmark::DoNotOptimize(pose);
        benchmark::DoNotOptimize(IK.outOfRange);
    }
}
BENCHMARK(BM_Solve);

void BM_SweepDepthZero(benchmark::State& state) {
    Leg leg;
    for (auto _ : state) {
        leg.workspaceReady = false;
        leg.ComputeWorkspace();
        benchmark::DoNotOptimize(leg.workspace.data());
    }
    state.counters["points"] = static_cast<double>(leg.workspace.size());
}
BENCHMARK(BM_SweepDepthZero)->Unit(benchmark::kMillisecond);

}  // namespace
