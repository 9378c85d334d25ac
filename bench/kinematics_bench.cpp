#include <chrono>

#include <benchmark/benchmark.h>

#include "kinematics/ik_solver.h"
#include "kinematics/leg.h"
#include "kinematics/sweep.h"

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

// One sweep at the depth given as the argument, into a list that keeps its
// storage from one sweep to the next, as the leg's list does.
template <void (*Sweep)(float, PointList&)>
void BM_Sweep(benchmark::State& state) {
    const float depth = static_cast<float>(state.range(0));
    PointList points;
    for (auto _ : state) {
        Sweep(depth, points);
        benchmark::DoNotOptimize(points.data());
        benchmark::ClobberMemory();
    }
    state.counters["points"] = static_cast<double>(points.size());
}

void FastSweepDefault(float depth, PointList& points) {
    FastSweep(depth, points);
}

BENCHMARK_TEMPLATE(BM_Sweep, LiteralSweep)->Name("BM_LiteralSweep")->Arg(0)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Sweep, FastSweepDefault)->Name("BM_FastSweep")->Arg(0)->Arg(12)->Unit(benchmark::kMillisecond);

// Both sweeps over the depths a user steps through, timed side by side in
// each iteration: the counters give the time of one sweep of each and how
// many times faster the fast one is.
void BM_SweepRatio(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const float depths[] = {-24, -20, -16, -12, -8, -4, 0, 4, 8, 12, 16, 20, 24};
    const int fastRounds = 20;
    PointList literal, fast;
    double literalSeconds = 0, fastSeconds = 0;
    int literalSweeps = 0, fastSweeps = 0;
    for (auto _ : state) {
        for (float depth : depths) {
            Clock::time_point start = Clock::now();
            LiteralSweep(depth, literal);
            benchmark::DoNotOptimize(literal.data());
            Clock::time_point middle = Clock::now();
            for (int round = 0; round < fastRounds; ++round) {
                FastSweep(depth, fast);
                benchmark::DoNotOptimize(fast.data());
                benchmark::ClobberMemory();
            }
            Clock::time_point stop = Clock::now();
            literalSeconds += std::chrono::duration<double>(middle - start).count();
            fastSeconds += std::chrono::duration<double>(stop - middle).count();
            ++literalSweeps;
            fastSweeps += fastRounds;
            if (literal.size() != fast.size()) state.SkipWithError("the sweeps disagree");
        }
    }
    double literalMs = 1e3 * literalSeconds / literalSweeps;
    double fastMs = 1e3 * fastSeconds / fastSweeps;
    state.counters["literal_ms"] = literalMs;
    state.counters["fast_ms"] = fastMs;
    state.counters["ratio"] = literalMs / fastMs;
}
BENCHMARK(BM_SweepRatio)->Unit(benchmark::kMillisecond);

}  // namespace
