// The program's frame costs, headless: plotting one cloud, composing one
// frame, a depth change plain and in margin mode against the literal sweep
// of its slice, and presenting a frame that did not change.
#include <algorithm>
#include <chrono>
#include <cstdlib>

#include <benchmark/benchmark.h>

#include "app/app_state.h"
#include "app/window.h"
#include "kinematics/sweep.h"
#include "platform/test_hooks.h"

namespace {

// The program's window, made once for all the benchmarks below.
void StartProgram() {
    static bool started = false;
    if (started) return;
    started = true;
    setenv("TAVRIN_HEADLESS", "1", 1);
    TavrinResetForTests();
    app.hInstance = GetModuleHandleA(nullptr);
    RegisterMainClass();
    app.hWnd = CreateMainWindow();
    ShowWindow(app.hWnd, SW_SHOWNORMAL);
    UpdateWindow(app.hWnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    app.buffers->PresentFrame(app.hWnd);
}

void BM_PlotCloud(benchmark::State& state) {
    StartProgram();
    for (auto _ : state) {
        app.buffers->ClearWorkspaceBuffer();
        app.leg->DrawWorkspace();
    }
    state.counters["points"] = static_cast<double>(app.leg->workspace.size());
}
BENCHMARK(BM_PlotCloud)->Unit(benchmark::kMillisecond);

void BM_ComposeFrame(benchmark::State& state) {
    StartProgram();
    for (auto _ : state) SendMessageA(app.hWnd, WM_REDRAW, 0, 0);
}
BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// Dispatches what the queue holds, adding the time spent on key releases
// and on redraws.
void DispatchTiming(double& keyUps, double& redraws) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        const Clock::time_point start = Clock::now();
        DispatchMessageA(&msg);
        const double seconds = Seconds(start, Clock::now());
        if (msg.message == WM_KEYUP) keyUps += seconds;
        if (msg.message == WM_REDRAW) redraws += seconds;
    }
}

void SetMarginMode(bool on) {
    if (app.marginMode == on) return;
    TavrinInjectKey('M', true);
    TavrinInjectKey('M', false);
    double ignored = 0;
    DispatchTiming(ignored, ignored);
}

// The literal sweep of the slice at depth, the best of three: what solving
// every grid point of it costs.
double LiteralSliceSeconds(float depth) {
    PointList literal;
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const Clock::time_point start = Clock::now();
        LiteralSweep(app.legDescription, depth, literal);
        benchmark::DoNotOptimize(literal.data());
        best = std::min(best, Seconds(start, Clock::now()));
    }
    return best;
}

// One depth change per iteration, keypad plus and minus in turn, plain
// (argument 0) or in margin mode (1). The change is what the key's release
// does: clear the cloud's buffer, sweep the slice, find its margins in margin
// mode, plot it (change_ms); the frame that shows it follows (frame_ms).
// In the same run, the literal sweep of the slice (literal_ms) and how many
// times faster the change is (ratio).
void BM_DepthChange(benchmark::State& state) {
    StartProgram();
    SetMarginMode(state.range(0) == 1);
    const double literal = LiteralSliceSeconds(app.target.z);
    double change = 0, frame = 0;
    int64_t changes = 0;
    bool plus = true;
    for (auto _ : state) {
        int key = plus ? VK_ADD : VK_SUBTRACT;
        plus = !plus;
        TavrinInjectKey(key, true);
        TavrinInjectKey(key, false);
        DispatchTiming(change, frame);
        ++changes;
    }
    SetMarginMode(false);
    state.counters["change_ms"] = 1e3 * change / changes;
    state.counters["frame_ms"] = 1e3 * frame / changes;
    state.counters["literal_ms"] = 1e3 * literal;
    state.counters["ratio"] = literal / (change / changes);
}
BENCHMARK(BM_DepthChange)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PresentUnchangedFrame(benchmark::State& state) {
    StartProgram();
    app.buffers->PresentFrame(app.hWnd);
    for (auto _ : state) app.buffers->PresentFrame(app.hWnd);
}
BENCHMARK(BM_PresentUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
