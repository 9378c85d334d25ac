#include <chrono>
#include <string>

#include <benchmark/benchmark.h>

#include "kinematics/ik_solver.h"
#include "render/leg.h"
#include "kinematics/leg_description.h"
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

// The legs the sweeps are timed on: the default and a long one.
LegDescription BenchLeg(int64_t which) {
    LegDescription leg;
    if (which == 1) {
        leg.upper = 40;
        leg.lower = 65;
    }
    return leg;
}

std::string LegLabel(const LegDescription& leg) {
    return std::to_string(leg.upper) + "/" + std::to_string(leg.lower);
}

// One sweep at the depth given as the first argument (in twenty-fifths of
// the reach: 12 is 12 units on the default leg), of the leg given as the
// second, into a list that keeps its storage from one sweep to the next, as
// the leg's list does.
template <void (*Sweep)(const LegDescription&, float, PointList&, SweepStats*)>
void BM_Sweep(benchmark::State& state) {
    const LegDescription leg = BenchLeg(state.range(1));
    const float depth = static_cast<float>(state.range(0) * leg.Reach() / 25.0);
    PointList points;
    for (auto _ : state) {
        Sweep(leg, depth, points, nullptr);
        benchmark::DoNotOptimize(points.data());
        benchmark::ClobberMemory();
    }
    state.counters["points"] = static_cast<double>(points.size());
    state.SetLabel(LegLabel(leg));
}

void Literal(const LegDescription& leg, float depth, PointList& points, SweepStats*) {
    LiteralSweep(leg, depth, points);
}

BENCHMARK_TEMPLATE(BM_Sweep, Literal)
    ->Name("BM_LiteralSweep")
    ->ArgsProduct({{0, 12}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Sweep, FastSweep)
    ->Name("BM_FastSweep")
    ->ArgsProduct({{0, 12}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// Both sweeps over the depths a user steps through, timed side by side in
// each iteration, for the leg given as the argument: the counters give the
// time of one sweep of each and how many times faster the fast one is.
void BM_SweepRatio(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const LegDescription leg = BenchLeg(state.range(0));
    const int shares[] = {-24, -20, -16, -12, -8, -4, 0, 4, 8, 12, 16, 20, 24};
    const int fastRounds = 20;
    PointList literal, fast;
    double literalSeconds = 0, fastSeconds = 0;
    int literalSweeps = 0, fastSweeps = 0;
    for (auto _ : state) {
        for (int share : shares) {
            const float depth = static_cast<float>(share * leg.Reach() / 25.0);
            Clock::time_point start = Clock::now();
            LiteralSweep(leg, depth, literal);
            benchmark::DoNotOptimize(literal.data());
            Clock::time_point middle = Clock::now();
            for (int round = 0; round < fastRounds; ++round) {
                FastSweep(leg, depth, fast);
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
    state.SetLabel(LegLabel(leg));
}
BENCHMARK(BM_SweepRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
