// tavrin-ik path's work without the process: a path of a million samples
// checked, sampled, solved and written as CSV, to a file and to /dev/null.
// The goal is a second or less for the million.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "footpath/path_export.h"
#include "footpath/path_file.h"
#include "footpath/path_sampling.h"
#include "text/output_buffer.h"

namespace {

const int kStepMs = 20;
const int kSamples = 1000000;

LegDescription ExampleLeg() {
    LegDescription leg;
    leg.upper = 40;
    leg.lower = 65;
    leg.ranges = {JointRange{30, 150}, JointRange{10, 170}, JointRange{20, 160}};
    ServoSetting hip;
    hip.invert = true;
    ServoSetting knee;
    knee.offset = -10;
    knee.pulseAtZero = 1000;
    knee.pulseAtFull = 2000;
    leg.servos[kHipJoint] = hip;
    leg.servos[kKneeJoint] = knee;
    return leg;
}

// A file made for the run and removed after it.
struct TemporaryFile {
    std::string name;
    ~TemporaryFile() { std::remove(name.c_str()); }
};

// The step cycle of paths/step.csv over and over, a row every 150 ms or so,
// for a million samples of 20 ms.
const std::string& StepCyclePath() {
    static const TemporaryFile path = [] {
        const PathRow cycle[] = {{0, 50, 70, 20},    {600, 50, 70, -20}, {750, 50, 50, -20},
                                 {900, 50, 45, 0},   {1050, 50, 50, 20}};
        std::vector<PathRow> rows;
        const double duration = double(kSamples - 1) * kStepMs;
        for (double start = 0; start <= duration; start += 1200) {
            for (const PathRow& row : cycle) {
                if (start + row.tMs < duration) rows.push_back({start + row.tMs, row.x, row.y, row.z});
            }
        }
        rows.push_back({duration, 50, 70, 20});
        std::string name = (std::filesystem::temp_directory_path() / "tavrin_bench_path.csv").string();
        std::string error;
        if (!WritePathFile(name, rows, error)) std::fprintf(stderr, "%s\n", error.c_str());
        return TemporaryFile{name};
    }();
    return path.name;
}

void BM_PathCsv(benchmark::State& state) {
    const LegDescription leg = ExampleLeg();
    const std::string& path = StepCyclePath();
    const std::string file = (std::filesystem::temp_directory_path() / "tavrin_bench_path_out.csv").string();
    const char* target = state.range(0) == 0 ? file.c_str() : "/dev/null";
    uint64_t samples = 0;
    for (auto _ : state) {
        std::FILE* out = std::fopen(target, "wb");
        PathSpan span;
        std::string error;
        bool ok = ScanPath(path, kStepMs, span, error);
        {
            OutputBuffer buffer(out);
            ok = ok && ExportPathCsv(path, kStepMs, leg, buffer, nullptr, error);
        }
        std::fclose(out);
        if (!ok) state.SkipWithError(error.c_str());
        samples = span.samples;
    }
    if (state.range(0) == 0) std::remove(file.c_str());
    state.counters["samples"] = static_cast<double>(samples);
    state.SetLabel(state.range(0) == 0 ? "to a file" : "to /dev/null");
}
BENCHMARK(BM_PathCsv)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
