// Runs the built tavrin-ik's workspace command and checks its counts and
// clouds against the literal sweep of every slice and the solver's
// margins, the clouds read back by NumPy.
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"
#include "tests/support/tool_run.h"

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "test_legs.h"
#include "volume/margin.h"
#include "volume/margin_ramp.h"

namespace {

const std::string kExampleLeg = std::string("--leg '") + TAVRIN_SOURCE_DIR + "/legs/example.toml' ";

// The example leg's lengths and ranges (legs/example.toml).
const LegDescription& ExampleLeg() {
    return kNarrowedLeg;
}

// What the literal sweep of every slice gives: the points, a histogram of
// their margins, and the first and last point as read_cloud.py prints them.
struct LiteralVolume {
    size_t slices = 0;
    uint64_t points = 0;
    std::vector<uint64_t> histogram;
    std::string first;
    std::string last;
};

std::string Hex(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    char text[16];
    std::snprintf(text, sizeof text, "%08x", bits);
    return text;
}

std::string Describe(const LegDescription& leg, float x, float y, float z, bool margins) {
    std::string text = Hex(x) + " " + Hex(y) + " " + Hex(z);
    if (!margins) return text;
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(x, y, z));
    IKSolver IK = leg.Solver();
    IK.Solve(pose);
    const int margin = JointMargin(leg, pose);
    const MarginColour c = MarginRampColour(margin);
    return text + " " + std::to_string(margin) + " " + std::to_string(c.red) + " " + std::to_string(c.green) + " " +
           std::to_string(c.blue);
}

LiteralVolume SweepLiterally(const LegDescription& leg, double step, bool margins) {
    std::vector<float> grid;
    EXPECT_TRUE(GridSamples(leg.Reach(), step, grid));
    LiteralVolume volume;
    volume.slices = grid.size();
    volume.histogram.assign(91, 0);
    PointList points;
    for (float z : grid) {
        LiteralSweep(leg, z, grid, points);
        for (const D3DXVECTOR3& p : points) {
            LegPose pose;
            pose.SetTarget(D3DXVECTOR3(p.x, p.y, z));
            IKSolver IK = leg.Solver();
            IK.Solve(pose);
            ++volume.histogram[JointMargin(leg, pose)];
        }
        if (points.empty()) continue;
        if (volume.points == 0) volume.first = Describe(leg, points.front().x, points.front().y, z, margins);
        volume.last = Describe(leg, points.back().x, points.back().y, z, margins);
        volume.points += points.size();
    }
    while (!volume.histogram.empty() && volume.histogram.back() == 0) volume.histogram.pop_back();
    return volume;
}

std::string HistogramText(const std::vector<uint64_t>& histogram) {
    std::string text;
    for (size_t m = 0; m < histogram.size(); ++m) text += (m ? "," : "") + std::to_string(histogram[m]);
    return text;
}

TEST(WorkspaceCommandTest, CountIsTheLiteralSweepOfEverySlice) {
    const LiteralVolume literal = SweepLiterally(kFullLeg, 1.0, true);
    ToolRun r = RunTool("workspace --step 1 --margin");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("{\"points\":" + std::to_string(literal.points) + ",\"step\":1,\"slices\":" + std::to_string(literal.slices) + ",\"volume\":" +
                  std::to_string(literal.points) + ",\"margins\":[" + HistogramText(literal.histogram) + "]}\n",
              r.out);
    EXPECT_EQ("", r.err);

    ToolRun plain = RunTool("workspace --format count --step 1");
    EXPECT_EQ(0, plain.status);
    EXPECT_EQ("{\"points\":" + std::to_string(literal.points) + ",\"step\":1,\"slices\":" + std::to_string(literal.slices) + ",\"volume\":" +
                  std::to_string(literal.points) + "}\n",
              plain.out);
}

// The default step is R/500: the slice grid of the window, 1021 samples a
// side for the default leg, whose middle slice the sweep counts as 380972.
TEST(WorkspaceCommandTest, DefaultCountUsesTheSliceGrid) {
    ToolRun r = RunTool("workspace");
    ASSERT_EQ(0, r.status) << r.err;
    EXPECT_EQ(0u, r.out.find("{\"points\":")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(",\"step\":0.05,\"slices\":1021,\"volume\":")) << r.out;
    // About half a ball of radius 25 (32725 cubic units): the hip, from 0
    // to 180 degrees, keeps the foot on one side of the root.
    const double volume = std::stod(r.out.substr(r.out.find("\"volume\":") + 9));
    EXPECT_GT(volume, 32000);
    EXPECT_LT(volume, 33500);
    EXPECT_EQ("380972\n", RunTool("sweep --count 0").out);
}

#ifdef TAVRIN_SYSTEM_PYTHON
// A vertex as Describe gives it without its last three words, the colour;
// unchanged when it has no margin.
std::string WithoutColour(const std::string& vertex) {
    std::istringstream words(vertex);
    std::vector<std::string> kept;
    for (std::string word; words >> word;) kept.push_back(word);
    if (kept.size() == 7) kept.resize(4);
    std::string text;
    for (const std::string& word : kept) text += (text.empty() ? "" : " ") + word;
    return text;
}

// Reads the cloud with NumPy: its count and its first and last vertex.
std::string ReadBack(const char* format, const std::string& path) {
    ToolRun r = RunShell(std::string("'") + TAVRIN_SYSTEM_PYTHON + "' '" + TAVRIN_SOURCE_DIR +
                         "/tests/volume/read_cloud.py' " + format + " '" + path + "'");
    EXPECT_EQ(0, r.status) << r.err;
    return r.out;
}

TEST(WorkspaceCommandTest, CloudsReadBackByNumpy) {
    const struct {
        const char* args;
        const char* format;
        bool margins;
    } rows[] = {
        {"workspace --format ply --margin --step 3", "ply", true},
        {"workspace --format ply --step 3", "ply", false},
        {"workspace --step 3 --margin --format csv", "csv", true},
        {"workspace --format csv --step 3", "csv", false},
    };
    for (bool margins : {false, true}) {
        const LiteralVolume literal = SweepLiterally(ExampleLeg(), 3.0, margins);
        for (const auto& row : rows) {
            if (row.margins != margins) continue;
            SCOPED_TRACE(row.args);
            // CSV carries the margin without the colour.
            const bool csv = std::strcmp(row.format, "csv") == 0;
            const std::string expected = std::to_string(literal.points) + "\n" +
                                         (csv ? WithoutColour(literal.first) : literal.first) + "\n" +
                                         (csv ? WithoutColour(literal.last) : literal.last) + "\n";
            const std::string path = ScratchPath(std::string("cloud.") + row.format);
            ToolRun r = RunTool(kExampleLeg + row.args + " >'" + path + "'");
            EXPECT_EQ(0, r.status) << r.err;
            EXPECT_EQ("", r.err);
            EXPECT_EQ(expected, ReadBack(row.format, path));
            std::remove(path.c_str());
        }
    }
}

// The first and last point of the literal volume turned as --up turns it:
// "x y z margin" in hex, as read_with_meshio.py prints them.
std::string Turned(const std::string& described, const char* up) {
    std::istringstream words(described);
    std::string x, y, z, margin;
    words >> x >> y >> z >> margin;
    auto negated = [](const std::string& hex) {
        uint32_t bits = static_cast<uint32_t>(std::stoul(hex, nullptr, 16)) ^ 0x80000000u;
        char text[16];
        std::snprintf(text, sizeof text, "%08x", bits);
        return std::string(text);
    };
    if (std::strcmp(up, "y") == 0) return x + " " + negated(y) + " " + negated(z) + " " + margin;
    if (std::strcmp(up, "z") == 0) return x + " " + z + " " + negated(y) + " " + margin;
    return x + " " + y + " " + z + " " + margin;
}

// A reader nobody here wrote (meshio) finds the margin as CloudCompare's
// scalar field and the points turned as asked: y-up (x, -y, -z), z-up
// (x, z, -y), or the window's frame.
TEST(WorkspaceCommandTest, ViewersReadTheMarginAndTheAxesAsAsked) {
    if (std::system(("'" + std::string(TAVRIN_SYSTEM_PYTHON) + "' -c 'import meshio' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "meshio (Debian's python3-meshio) is not installed";
    }
    const LiteralVolume literal = SweepLiterally(ExampleLeg(), 3.0, true);
    for (const char* up : {"", "y", "z"}) {
        SCOPED_TRACE(up);
        const std::string path = ScratchPath("turned.ply");
        const std::string option = *up ? std::string(" --up ") + up : std::string();
        ToolRun r = RunTool(kExampleLeg + "workspace --format ply --margin --step 3" + option + " >'" + path + "'");
        ASSERT_EQ(0, r.status) << r.err;
        ToolRun read = RunShell(std::string("'") + TAVRIN_SYSTEM_PYTHON + "' '" + TAVRIN_SOURCE_DIR +
                                "/tests/volume/read_with_meshio.py' '" + path + "'");
        ASSERT_EQ(0, read.status) << read.err;
        EXPECT_EQ(std::to_string(literal.points) + "\nscalar_margin red green blue\n" +
                      Turned(WithoutColour(literal.first), up) + "\n" + Turned(WithoutColour(literal.last), up) + "\n",
                  read.out);
        std::remove(path.c_str());
    }
    ToolRun bad = RunTool("workspace --format ply --up x");
    EXPECT_EQ(2, bad.status);
    EXPECT_EQ("tavrin-ik: --up takes y or z, not 'x' (see tavrin-ik --help)\n", bad.err);
}
#endif

TEST(WorkspaceCommandTest, BadArgumentsGiveOneLineAndTwo) {
    const struct {
        const char* args;
        const char* message;
    } rows[] = {
        {"workspace --step 0", "--step must be above 0: '0'"},
        {"workspace --step -0.5", "--step must be above 0: '-0.5'"},
        {"workspace --step 1e-400", "--step must be above 0: '1e-400'"},
        {"workspace --step nan", "--step is not a finite number: 'nan'"},
        {"workspace --step inf", "--step is not a finite number: 'inf'"},
        {"workspace --step 1e999", "--step is beyond the float range: '1e999'"},
        {"workspace --step 1e39", "--step is beyond the float range: '1e39'"},
        {"workspace --step 0.05 --format ply", "the output would be 262537785 vertices, about 3.15 GB; above "
                                               "100000000 vertices or 2 GB, --yes-large writes it"},
        {"workspace --step 0.05 --format csv --margin", "the output would be 262537785 vertices, about 7.35 GB; "
                                                        "above 100000000 vertices or 2 GB, --yes-large writes it"},
        {"workspace --step ten", "--step is not a finite number: 'ten'"},
        {"workspace --step", "--step needs a value"},
        {"workspace --step 0.01", "--step 0.01 is too small: the grid would exceed 4096 samples a side"},
        {"workspace --format ply --step 0.012", "--step 0.012 is too small: the grid would exceed 4096 samples a side"},
        {"workspace --format obj", "unknown format: 'obj' (count, ply or csv)"},
        {"workspace --format", "--format needs a value"},
        {"workspace --margins", "unknown option: '--margins'"},
        {"workspace 5", "unexpected argument: '5'"},
    };
    for (const auto& row : rows) {
        ToolRun r = RunTool(row.args);
        EXPECT_EQ(2, r.status) << row.args;
        EXPECT_EQ("", r.out) << row.args;
        EXPECT_EQ(std::string("tavrin-ik: ") + row.message + " (see tavrin-ik --help)\n", r.err) << row.args;
    }
}

TEST(WorkspaceCommandTest, AFullDiskExitsWithOne) {
    for (const char* args : {"workspace --step 1 >/dev/full", "workspace --format ply >/dev/full",
                             "workspace --format csv --margin >/dev/full"}) {
        ToolRun r = RunTool(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_NE(std::string::npos, r.err.find("cannot write the output")) << args << "\n" << r.err;
    }
}

}  // namespace
