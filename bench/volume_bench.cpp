// The margin mode's depth change, and the whole 3-D workspace: counted,
// against the literal sweep of its slices, and written as a PLY cloud.
#include <chrono>
#include <cstdio>
#include <vector>

#include <benchmark/benchmark.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "parallel/worker_pool.h"
#include "platform/win32.h"
#include "render/margin_drawing.h"
#include "volume/cloud_writers.h"
#include "volume/margin.h"
#include "volume/workspace_volume.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The window's cloud buffer: 700 x 850, the default leg at 15 pixels a unit
// with its root where the window puts it.
class CloudBuffer {
public:
    CloudBuffer() {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, 700, 850);
        initial_ = SelectObject(dc, bitmap_);
        ReleaseDC(nullptr, screen);
    }
    ~CloudBuffer() {
        SelectObject(dc, initial_);
        DeleteObject(bitmap_);
        DeleteDC(dc);
    }
    // As the window clears its buffers: a black rectangle, black outline.
    void Clear() {
        HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 0, 0, 700, 850);
        SelectObject(dc, previous);
    }
    HDC dc;

private:
    HBITMAP bitmap_;
    HGDIOBJ initial_;
};

// One depth change in margin mode, the keypad's +1 and -1 in turn around
// depth 3 of the default leg: the slice's sweep, its margins on both cores,
// and the cloud cleared and plotted. The counters say where the time goes.
void MarginDepthChange(benchmark::State& state) {
    const LegDescription leg;
    const std::vector<float>& grid = GridSamples();
    CloudBuffer buffer;
    PointList points;
    std::vector<uint8_t> margins;
    double sweep = 0, margin = 0, plot = 0;
    int64_t changes = 0;
    float depth = 3;
    for (auto _ : state) {
        depth = depth == 3 ? 4 : 3;
        Clock::time_point t0 = Clock::now();
        FastSweep(leg, depth, grid, SharedPool(), points);
        Clock::time_point t1 = Clock::now();
        SliceMargins(leg, grid, depth, points, margins, &SharedPool());
        Clock::time_point t2 = Clock::now();
        buffer.Clear();
        DrawMarginCloud(buffer.dc, points, margins, 15, 350, 15, 425, &SharedPool());
        Clock::time_point t3 = Clock::now();
        sweep += Seconds(t0, t1);
        margin += Seconds(t1, t2);
        plot += Seconds(t2, t3);
        ++changes;
    }
    state.counters["sweep_ms"] = 1e3 * sweep / changes;
    state.counters["margins_ms"] = 1e3 * margin / changes;
    state.counters["plot_ms"] = 1e3 * plot / changes;
    state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(MarginDepthChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole workspace of the default leg at R/500, about 10^9 grid points,
// counted on every core.
void BM_VolumeCount(benchmark::State& state) {
    const LegDescription leg;
    VolumeCount count;
    for (auto _ : state) {
        count = CountVolume(leg, GridSamples(), VolumeOptions{});
        benchmark::DoNotOptimize(count.points);
    }
    state.counters["points"] = static_cast<double>(count.points);
}
BENCHMARK(BM_VolumeCount)->Unit(benchmark::kMillisecond)->UseRealTime();

// The volume count and the literal sweep of a sample of its slices, timed
// in turn in one run: the counters give the time per slice of each and how
// many times faster the volume is.
void BM_VolumeRatio(benchmark::State& state) {
    const LegDescription leg;
    const std::vector<float>& grid = GridSamples();
    const size_t sample[] = {60, 255, 510, 765, 960};
    PointList literal;
    double volumeSeconds = 0, literalSeconds = 0;
    int64_t volumeSlices = 0, literalSlices = 0;
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        VolumeCount count = CountVolume(leg, grid, VolumeOptions{});
        Clock::time_point middle = Clock::now();
        for (size_t i : sample) {
            LiteralSweep(leg, grid[i], grid, literal);
            if (literal.size() != count.perSlice[i]) state.SkipWithError("the volume and the literal sweep disagree");
        }
        Clock::time_point stop = Clock::now();
        volumeSeconds += Seconds(start, middle);
        literalSeconds += Seconds(middle, stop);
        volumeSlices += static_cast<int64_t>(grid.size());
        literalSlices += static_cast<int64_t>(sizeof sample / sizeof sample[0]);
    }
    const double volumeMs = 1e3 * volumeSeconds / volumeSlices;
    const double literalMs = 1e3 * literalSeconds / literalSlices;
    state.counters["volume_slice_ms"] = volumeMs;
    state.counters["literal_slice_ms"] = literalMs;
    state.counters["ratio"] = literalMs / volumeMs;
}
BENCHMARK(BM_VolumeRatio)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The PLY cloud of the default leg at R/100, with margins when the argument
// is 1, written to /dev/null as tavrin-ik writes it: counted, then swept.
void BM_VolumePly(benchmark::State& state) {
    const LegDescription leg;
    const bool margins = state.range(0) == 1;
    std::vector<float> grid;
    GridSamples(leg.Reach(), leg.Reach() / 100.0, grid);
    FILE* out = std::fopen("/dev/null", "wb");
    if (!out) {
        state.SkipWithError("no /dev/null");
        return;
    }
    VolumeOptions options;
    options.margins = margins;
    uint64_t vertices = 0;
    for (auto _ : state) {
        vertices = CountVolume(leg, grid, VolumeOptions{}).points;
        PlyWriter ply(out, vertices, margins, "bench");
        SweepVolume(leg, grid, options, ply);
        if (!ply.Finish()) state.SkipWithError("the cloud was not written");
    }
    std::fclose(out);
    state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(BM_VolumePly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
