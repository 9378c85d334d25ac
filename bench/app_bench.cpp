// The program's frame costs, headless: plotting one cloud, composing one
// frame, a whole depth change, and presenting a frame that did not change.
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

// One depth change per iteration, keypad plus and minus in turn: a whole
// rebuild (clear, sweep, plot) and a frame.
void BM_DepthChange(benchmark::State& state) {
    StartProgram();
    bool plus = true;
    for (auto _ : state) {
        int key = plus ? VK_ADD : VK_SUBTRACT;
        plus = !plus;
        TavrinInjectKey(key, true);
        TavrinInjectKey(key, false);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
}
BENCHMARK(BM_DepthChange)->Unit(benchmark::kMillisecond);

// A depth change and one literal sweep of the slice it shows, in turn, in
// one run: the counters give the time of each and how many times faster the
// whole depth change is than solving every grid point of its slice.
void BM_DepthChangeRatio(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    StartProgram();
    PointList literal;
    double changeSeconds = 0, literalSeconds = 0;
    int64_t changes = 0;
    bool plus = true;
    for (auto _ : state) {
        int key = plus ? VK_ADD : VK_SUBTRACT;
        plus = !plus;
        Clock::time_point start = Clock::now();
        TavrinInjectKey(key, true);
        TavrinInjectKey(key, false);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Clock::time_point middle = Clock::now();
        LiteralSweep(app.legDescription, app.target.z, literal);
        benchmark::DoNotOptimize(literal.data());
        Clock::time_point stop = Clock::now();
        changeSeconds += std::chrono::duration<double>(middle - start).count();
        literalSeconds += std::chrono::duration<double>(stop - middle).count();
        ++changes;
    }
    state.counters["change_ms"] = 1e3 * changeSeconds / changes;
    state.counters["literal_ms"] = 1e3 * literalSeconds / changes;
    state.counters["ratio"] = literalSeconds / changeSeconds;
}
BENCHMARK(BM_DepthChangeRatio)->Unit(benchmark::kMillisecond);

void BM_PresentUnchangedFrame(benchmark::State& state) {
    StartProgram();
    app.buffers->PresentFrame(app.hWnd);
    for (auto _ : state) app.buffers->PresentFrame(app.hWnd);
}
BENCHMARK(BM_PresentUnchangedFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
