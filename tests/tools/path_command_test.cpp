// Runs tavrin-ik path and checks its exports against the solver, its
// refusals, and that a long path streams in bounded memory.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/tool_run.h"

#include "footpath/path_sampling.h"
#include "kinematics/leg_description.h"
#include "legfile/leg_file.h"
#include "tests/footpath/temp_files.h"

namespace {

const std::string kExampleLeg = TAVRIN_SOURCE_DIR "/legs/example.toml";
const std::string kStepPath = TAVRIN_SOURCE_DIR "/paths/step.csv";

// For the default leg (reach 25): out of reach at the start, in, out on
// the way to (40, 0, 0), and in again.
const char kLeavesReach[] =
    "t_ms,x,y,z\n"
    "0,30,0,0\n"
    "100,10,15,5\n"
    "200,40,0,0\n"
    "300,10,15,0\n";

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// What the csv export must hold, worked out here from the sampler and the
// solver, one line a sample.
std::vector<std::string> ExpectedCsv(const std::string& pathFile, int stepMs, const LegDescription& leg,
                                     int& unreachable) {
    std::vector<std::string> lines;
    std::string header = "t_ms,x,y,z,reachable,yaw,hip,knee";
    size_t servoCount = 0;
    for (int j = 0; j < kJointCount; ++j) {
        if (!leg.servos[j]) continue;
        header += std::string(",") + JointName(static_cast<Joint>(j)) + "_us";
        ++servoCount;
    }
    lines.push_back(header);
    PathSampler sampler;
    std::string error;
    EXPECT_TRUE(sampler.Open(pathFile, stepMs, error)) << error;
    PathRow sample;
    std::string kept;   // the angle and pulse cells of the last reachable sample
    unreachable = 0;
    while (sampler.Next(sample, error) == PathReader::Step::Row) {
        LegPose pose;
        pose.SetTarget(sample.Target());
        IKSolver IK = leg.Solver();
        IK.Solve(pose);
        if (!IK.outOfRange) {
            const int angles[kJointCount] = {pose.yawDeg, pose.hipDeg, pose.kneeDeg};
            kept = std::to_string(angles[0]) + "," + std::to_string(angles[1]) + "," + std::to_string(angles[2]);
            for (int j = 0; j < kJointCount; ++j) {
                if (leg.servos[j]) kept += "," + std::to_string(ServoFor(*leg.servos[j], angles[j]).microseconds);
            }
        } else {
            ++unreachable;
        }
        char t[32];
        std::string line(t, std::to_chars(t, t + sizeof t, sample.tMs).ptr);
        for (float v : {sample.x, sample.y, sample.z}) {
            char text[32];
            line += "," + std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
        }
        line += IK.outOfRange ? ",0," : ",1,";
        if (kept.empty()) {
            line += std::string(2 + servoCount, ',');
        } else {
            line += kept;
        }
        lines.push_back(line);
    }
    return lines;
}

LegDescription LoadLeg(const std::string& path) {
    LegDescription leg;
    std::string error;
    EXPECT_TRUE(path.empty() || ReadLegFile(path, leg, error)) << error;
    return leg;
}

TEST(PathCommandTest, CsvIsTheSolverAtEverySample) {
    std::string leaves = WriteTempFile("leaves.csv", kLeavesReach);
    const struct {
        std::string legFile;
        std::string pathFile;
        int stepMs;
        int status;
    } cases[] = {
        {kExampleLeg, kStepPath, 20, 0},
        {kExampleLeg, kStepPath, 7, 0},
        {"", leaves, 20, 3},
        {"", leaves, 13, 3},
    };
    for (const auto& c : cases) {
        std::string args = (c.legFile.empty() ? "" : "--leg " + Quoted(c.legFile) + " ") + "path " +
                           Quoted(c.pathFile) + " --step " + std::to_string(c.stepMs);
        ToolRun r = RunTool(args);
        EXPECT_EQ(c.status, r.status) << args << "\n" << r.err;
        int unreachable = 0;
        std::vector<std::string> expected = ExpectedCsv(c.pathFile, c.stepMs, LoadLeg(c.legFile), unreachable);
        std::vector<std::string> lines = Split(r.out, '\n');
        ASSERT_EQ("", lines.back()) << "the output ends with a line ending";
        lines.pop_back();
        ASSERT_EQ(expected.size(), lines.size()) << args;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(expected[i], lines[i]) << args << " line " << i + 1;
        EXPECT_EQ(c.status == 3, unreachable > 0) << args;
    }
}

TEST(PathCommandTest, OutOfReachKeepsThePoseAndIsToldOnStandardError) {
    std::string leaves = WriteTempFile("leaves.csv", kLeavesReach);
    ToolRun r = RunTool("path " + Quoted(leaves) + " --step 50");
    EXPECT_EQ(3, r.status);
    // The lines by hand: unreachable before any pose, then a pose, then
    // out of reach again holding it, and back in.
    std::vector<std::string> lines = Split(r.out, '\n');
    ASSERT_EQ(9u, lines.size()) << r.out;
    EXPECT_EQ("t_ms,x,y,z,reachable,yaw,hip,knee", lines[0]);
    EXPECT_EQ("0,30,0,0,0,,,", lines[1]);
    EXPECT_EQ("50,20,7.5,2.5,1,", lines[2].substr(0, 16));
    EXPECT_EQ("100,10,15,5,1,64,91,94", lines[3]);
    EXPECT_EQ("150,25,7.5,2.5,0,64,91,94", lines[4]);
    EXPECT_EQ("200,40,0,0,0,64,91,94", lines[5]);
    EXPECT_EQ("250,25,7.5,0,0,64,91,94", lines[6]);
    EXPECT_EQ("300,10,15,0,1,", lines[7].substr(0, 14));
    EXPECT_EQ(leaves + ": t=0 ms (30, 0, 0) is out of reach\n" + leaves +
                  ": t=150 ms (25, 7.5, 2.5) is out of reach\n" + leaves + ": t=200 ms (40, 0, 0) is out of reach\n" +
                  leaves + ": t=250 ms (25, 7.5, 0) is out of reach\n",
              r.err);

    // Beyond 20 samples out of reach: 20 lines and a count.
    r = RunTool("path " + Quoted(leaves) + " --step 1");
    EXPECT_EQ(3, r.status);
    std::vector<std::string> told = Split(r.err, '\n');
    ASSERT_EQ(22u, told.size()) << r.err;
    EXPECT_EQ(leaves + ": t=19 ms (26.2, 2.85, 0.95) is out of reach", told[19]);
    EXPECT_EQ(0u, told[20].rfind(leaves + ": ", 0));
    EXPECT_NE(std::string::npos, told[20].find(" more samples out of reach, ")) << told[20];
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 302);
}

// Writes the header for a leg and a path and compiles a sketch that
// includes it, as C and as C++; returns the header.
std::string CompileHeader(const std::string& legText, const std::string& pathFile, int expectedStatus) {
    std::string leg = WriteTempFile("leg.toml", legText);
    ToolRun r = RunTool("--leg " + Quoted(leg) + " path " + Quoted(pathFile) + " --format header --step 25");
    EXPECT_EQ(expectedStatus, r.status) << r.err;
    std::string dir = TempPath("sketch");
    mkdir(dir.c_str(), 0755);
    WriteTempFile("sketch/tavrin_path.h", r.out);
    const char* sketch =
        "#include \"tavrin_path.h\"\n"
        "int main(void) {\n"
        "    uint32_t last = TAVRIN_PATH_SAMPLES - 1;\n"
        "    return tavrin_path_degrees(last, TAVRIN_PATH_KNEE) > 180 || !tavrin_path_reaches(0) ||\n"
        "           TAVRIN_PATH_STEP_MS != 25;\n"
        "}\n";
    std::string c = WriteTempFile("sketch/main.c", sketch);
    std::string cpp = WriteTempFile("sketch/main.cpp", sketch);
    for (const std::string& command :
         {std::string(C_COMPILER) + " -std=c99 -pedantic -fsyntax-only -Wall -Wextra -Werror " + Quoted(c),
          std::string(CXX_COMPILER) + " -std=c++11 -pedantic -fsyntax-only -Wall -Wextra -Werror " + Quoted(cpp)}) {
        EXPECT_EQ(0, std::system((command + " 2>&1").c_str())) << command;
    }
    return r.out;
}

TEST(PathCommandTest, HeaderCompilesAsCAndCppWithTheCsvNumbers) {
    std::string header = CompileHeader(ReadFile(kExampleLeg), kStepPath, 0);
    EXPECT_NE(std::string::npos, header.find("from the leg file " + TempPath("leg.toml") + " and the path file " +
                                             kStepPath + ".\n"));
    EXPECT_NE(std::string::npos, header.find("#define TAVRIN_PATH_SAMPLES 49u\n"));
    EXPECT_NE(std::string::npos, header.find("static const uint16_t tavrin_path_us["));
    EXPECT_NE(std::string::npos, header.find("enum { TAVRIN_PATH_US_HIP = 0, TAVRIN_PATH_US_KNEE = 1, "
                                             "TAVRIN_PATH_SERVOS = 2 };"));
    // Every sample's degrees and pulse widths are the csv's, in order.
    ToolRun csv = RunTool("--leg " + Quoted(kExampleLeg) + " path " + Quoted(kStepPath) + " --step 25");
    std::string degrees, pulses;
    std::vector<std::string> lines = Split(csv.out, '\n');
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::vector<std::string> cells = Split(lines[i], ',');
        ASSERT_EQ(10u, cells.size());
        degrees += "    {" + cells[5] + "," + cells[6] + "," + cells[7] + "},\n";
        pulses += "    {" + cells[8] + "," + cells[9] + "},\n";
    }
    EXPECT_NE(std::string::npos, header.find("[TAVRIN_PATH_JOINTS] TAVRIN_PATH_STORAGE = {\n" + degrees + "};\n"))
        << header;
    EXPECT_NE(std::string::npos, header.find("[TAVRIN_PATH_SERVOS] TAVRIN_PATH_STORAGE = {\n" + pulses + "};\n"))
        << header;

    // A leg without servos, out of reach at the start: degrees only, the
    // first reachable pose before it is reached.
    std::string leaves = WriteTempFile("leaves.csv", kLeavesReach);
    header = CompileHeader("", leaves, 3);
    EXPECT_EQ(std::string::npos, header.find("tavrin_path_us"));
    EXPECT_NE(std::string::npos, header.find("[TAVRIN_PATH_JOINTS] TAVRIN_PATH_STORAGE = {\n    {83,73,117},\n    {83,73,117},\n    {83,73,117},\n"))
        << header;
    EXPECT_NE(std::string::npos, header.find("tavrin_path_reachable[TAVRIN_PATH_SAMPLES] TAVRIN_PATH_STORAGE = {\n    0,\n    0,\n    1,\n"));

    // Pulses beyond 16 bits, and a path the leg never reaches.
    std::string never = WriteTempFile("never.csv", "t_ms,x,y,z\n0,30,0,0\n40,30,10,0\n");
    header = CompileHeader("[servo.yaw]\npulse = [1000, 70000]\n", never, 3);
    EXPECT_NE(std::string::npos, header.find("static const uint32_t tavrin_path_us["));
    EXPECT_NE(std::string::npos, header.find("[TAVRIN_PATH_SERVOS] TAVRIN_PATH_STORAGE = {\n    {0},\n    {0},\n    {0},\n};"));
}

// Channels for the hip and the knee, none for the yaw servo, on a leg of
// the default size.
const char kChannelLeg[] =
    "[servo.yaw]\n"
    "[servo.hip]\ninvert = true\nchannel = 3\n"
    "[servo.knee]\npulse = [1000, 2000]\nchannel = 0\n";

TEST(PathCommandTest, Ssc32IsOneGroupMoveASampleWithTheCsvPulses) {
    std::string leg = WriteTempFile("leg.toml", kChannelLeg);
    std::string leaves = WriteTempFile("leaves.csv", kLeavesReach);
    ToolRun ssc32 = RunTool("--leg " + Quoted(leg) + " path " + Quoted(leaves) + " --step 25 --format ssc32");
    ToolRun csv = RunTool("--leg " + Quoted(leg) + " path " + Quoted(leaves) + " --step 25");
    EXPECT_EQ(3, ssc32.status);
    EXPECT_EQ(csv.err, ssc32.err);
    // The csv's pulse cells, and before the first reachable sample the
    // pulses of that sample: the leg waits where the path comes in reach.
    std::vector<std::string> lines = Split(csv.out, '\n');
    std::string expected, waiting;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::vector<std::string> cells = Split(lines[i], ',');
        ASSERT_EQ(11u, cells.size()) << lines[i];
        if (cells[8].empty()) {
            waiting += "?";
            continue;
        }
        std::string move = "#3P" + cells[9] + "#0P" + cells[10] + "T25\r";
        for (char c : waiting) expected += c == '?' ? move : "";
        waiting.clear();
        expected += move;
    }
    // The first reachable pose is yaw 83, hip 73, knee 117: the hip turned
    // round is 107 servo degrees, 500 + 2000 * 107 / 180 = 1688.9 us; the
    // knee 1000 + 1000 * 117 / 180 = 1650 us.
    ASSERT_EQ(0u, expected.rfind("#3P1689#0P1650T25\r#3P1689#0P1650T25\r#3P1689#0P1650T25\r", 0)) << expected;
    EXPECT_EQ(expected, ssc32.out);

    // Without channels there is nothing to address.
    ToolRun r = RunTool("--leg " + Quoted(kExampleLeg) + " path " + Quoted(kStepPath) + " --format ssc32");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("tavrin-ik: --format ssc32 needs a leg file whose [servo.JOINT] sections give a channel\n", r.err);
    // A path the leg never reaches: no moves at all.
    std::string never = WriteTempFile("never.csv", "t_ms,x,y,z\n0,30,0,0\n40,30,10,0\n");
    r = RunTool("--leg " + Quoted(leg) + " path " + Quoted(never) + " --format ssc32");
    EXPECT_EQ(3, r.status);
    EXPECT_EQ("", r.out);
}

TEST(PathCommandTest, BadPathFilesAndArgumentsExitTwoWithNothingOnStandardOutput) {
    const std::string longRow = "20,1,2,3," + std::string(5000, '0');
    const struct {
        std::string text;
        std::string where;
    } files[] = {
        {"0,16,24,0\n", ":1: the header must begin t_ms,x,y,z, not '0,16,24,0'"},
        {"t_ms,x,y,zz\n", ":1: the header must begin t_ms,x,y,z, not 't_ms,x,y,zz'"},
        {"t_ms,x,y,z\n0,1,2,3\n20,1,2\n", ":3: 3 columns, a row needs 4: t_ms,x,y,z"},
        {"t_ms,x,y,z\n0,1,2,3\n20,1,two,3\n", ":3: y is not a number: 'two'"},
        {"t_ms,x,y,z\n0,1,2,3\n20,1,2,inf\n", ":3: z is not a finite number: 'inf'"},
        {"t_ms,x,y,z\n0,1,2,3\n20,1,2,3\n10,1,2,3\n", ":4: the time goes back: 10 after 20"},
        {"t_ms,x,y,z\n0,1,2,3\n" + longRow + "\n", ":3: the line is longer than 4096 characters"},
    };
    for (const auto& f : files) {
        // The bad row comes late in a long path: still nothing goes out.
        std::string text = f.text;
        std::string path = WriteTempFile("bad.csv", text);
        std::string leg = WriteTempFile("leg.toml", kChannelLeg);
        for (const char* format : {"csv", "header", "ssc32"}) {
            ToolRun r = RunTool("--leg " + Quoted(leg) + " path " + Quoted(path) + " --format " + format);
            EXPECT_EQ(2, r.status) << f.where;
            EXPECT_EQ("", r.out) << f.where;
            EXPECT_EQ("tavrin-ik: " + path + f.where + "\n", r.err);
        }
    }
    ToolRun r = RunTool("path /nonexistent.csv");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("tavrin-ik: /nonexistent.csv: cannot open the path file: No such file or directory\n", r.err);
    r = RunTool("path " + Quoted(TAVRIN_SOURCE_DIR "/paths"));
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ("tavrin-ik: " TAVRIN_SOURCE_DIR "/paths: cannot read the path file: Is a directory\n", r.err);

    const struct {
        const char* args;
        const char* message;
    } usage[] = {
        {"path", "path needs a PATHFILE"},
        {"path a.csv b.csv", "unexpected argument: 'b.csv'"},
        {"path a.csv --step", "--step needs MS"},
        {"path a.csv --step 0", "--step takes whole milliseconds from 1 to 3600000, not '0'"},
        {"path a.csv --step 2.5", "--step takes whole milliseconds from 1 to 3600000, not '2.5'"},
        {"path a.csv --step -20", "--step takes whole milliseconds from 1 to 3600000, not '-20'"},
        {"path a.csv --step 99999999999999999999", "--step takes whole milliseconds from 1 to 3600000, not "
                                                   "'99999999999999999999'"},
        {"path --format json a.csv", "--format takes csv, ssc32 or header, not 'json'"},
        {"path a.csv --format", "--format needs csv, ssc32 or header"},
        {"path a.csv --loop", "unknown option: '--loop'"},
        {"path a.csv --format header --only deg", "--only takes us (the pulse widths alone), not 'deg'"},
        {"path a.csv --only us", "--only us is for --format header"},
        {"path a.csv --format header --only", "--only needs us"},
    };
    for (const auto& u : usage) {
        ToolRun run = RunTool(u.args);
        EXPECT_EQ(2, run.status) << u.args;
        EXPECT_EQ("", run.out) << u.args;
        EXPECT_EQ(std::string("tavrin-ik: ") + u.message + " (see tavrin-ik --help)\n", run.err) << u.args;
    }
}

TEST(PathCommandTest, FailedWriteExitsWithOne) {
    std::string leg = WriteTempFile("leg.toml", kChannelLeg);
    std::string reached = WriteTempFile("reached.csv", "t_ms,x,y,z\n0,10,15,5\n1000,10,15,0\n");
    for (const char* format : {"csv", "header", "ssc32"}) {
        ToolRun r = RunTool("--leg " + Quoted(leg) + " path " + Quoted(reached) + " --step 1 --format " +
                            format + " >/dev/full");
        EXPECT_EQ(1, r.status) << format;
        EXPECT_EQ(0u, r.err.rfind("tavrin-ik: cannot write the output: ", 0)) << r.err;
    }
}

// An output that fails stops the export at once, however long the path: a
// full disk, or a reader that went away (no death by SIGPIPE). The path is
// some 4 x 10^8 samples, minutes of solving; `timeout` ends a tool that
// keeps going with status 124.
TEST(PathCommandTest, AnExportStopsAtTheFirstFailedWrite) {
    std::string leg = WriteTempFile("leg.toml", kChannelLeg);
    std::string huge = WriteTempFile("huge.csv", "t_ms,x,y,z\n0,10,15,5\n8500000000,10,15,0\n");
    for (const char* format : {"csv", "ssc32"}) {
        const std::string command = "timeout 20 '" TAVRIN_IK_PATH "' --leg " + Quoted(leg) + " path " + Quoted(huge) +
                                    " --yes-large --format " + format;
        ToolRun full = RunShell(command + " >/dev/full");
        EXPECT_EQ(1, full.status) << format;
        EXPECT_EQ("tavrin-ik: cannot write the output: No space left on device\n", full.err) << format;
        ToolRun closed = RunShell("{ { " + command + "; echo \"status $?\" >&2; } | head -c 1 >/dev/null; }");
        EXPECT_EQ("tavrin-ik: cannot write the output: Broken pipe\nstatus 1\n", closed.err) << format;
    }
}

// An output past a sane size is refused before anything is written, with
// its count and size and the option that allows it; a header past what any
// board holds is refused outright.
TEST(PathCommandTest, AnOutputPastASaneSizeIsRefusedUnlessAskedFor) {
    std::string leg = WriteTempFile("leg.toml", kChannelLeg);
    // A typo: one zero too many in the last time.
    std::string typo = WriteTempFile("typo.csv", "t_ms,x,y,z\n0,10,15,5\n1000,10,15,0\n85000000000,10,15,0\n");
    const struct {
        const char* args;
        const char* message;
    } rows[] = {
        {" --format csv", ": the output would be 4250000001 samples, about 264 GB; above 100000000 samples or "
                          "2 GB, --yes-large writes it"},
        {" --format ssc32", ": the output would be 4250000001 samples, about 149 GB; above 100000000 samples or "
                            "2 GB, --yes-large writes it"},
        {" --format header --yes-large", " gives 4250000001 samples; a header holds at most 1000000, more than "
                                         "any board's flash takes (a larger --step gives fewer)"},
    };
    for (const auto& r : rows) {
        ToolRun run = RunTool("--leg " + Quoted(leg) + " path " + Quoted(typo) + r.args);
        EXPECT_EQ(2, run.status) << r.args;
        EXPECT_EQ("", run.out) << r.args;
        EXPECT_EQ("tavrin-ik: " + typo + r.message + "\n", run.err) << r.args;
    }
    // Just under the size, nothing is asked: 2 GB of CSV at 62 bytes a sample.
    std::string fits = WriteTempFile("fits.csv", "t_ms,x,y,z\n0,10,15,5\n600000000,10,15,0\n");
    ToolRun run = RunShell("'" TAVRIN_IK_PATH "' --leg " + Quoted(leg) + " path " + Quoted(fits) + " | head -c 1");
    EXPECT_EQ("t", run.out);
}

// The sketch of a board: every sample's pulse widths, read through the
// header's accessor, on the serial line as "us,us" lines.
const char kAvrSketch[] = R"(#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>
#include "tavrin_path.h"

static void put(char c) {
    while (!(UCSR0A & (1 << UDRE0))) {
    }
    UDR0 = c;
}

static void number(uint16_t v) {
    char text[6];
    int n = 0;
    do {
        text[n++] = (char)('0' + v % 10);
        v /= 10;
    } while (v);
    while (n) put(text[--n]);
}

int main(void) {
    UBRR0 = 8;
    UCSR0B = 1 << TXEN0;
    for (uint32_t i = 0; i < TAVRIN_PATH_SAMPLES; ++i) {
        for (unsigned s = 0; s < TAVRIN_PATH_SERVOS; ++s) {
            if (s) put(',');
            number(tavrin_path_pulse(i, s));
        }
        put('\n');
    }
    cli();
    sleep_enable();
    sleep_cpu();
    return 0;
}
)";

// A 60 s path at 20 ms, its pulse widths alone, fits an Arduino Uno: the
// arrays in flash (32,256 bytes for a sketch), none of it in its 2 KB of
// RAM; run on a simulated ATmega328P it sends the CSV's pulse widths.
TEST(PathCommandTest, APulseHeaderFitsAnUnoAndPlaysItsPulses) {
    const std::string path = WriteTempFile("minute.csv", "t_ms,x,y,z\n0,50,70,20\n30000,60,80,10\n60000,50,70,20\n");
    ToolRun header = RunTool("--leg " + Quoted(kExampleLeg) + " path " + Quoted(path) + " --format header --only us");
    ASSERT_EQ(0, header.status) << header.err;
    EXPECT_EQ(std::string::npos, header.out.find("tavrin_path_deg")) << "--only us: no degrees";
    EXPECT_EQ(std::string::npos, header.out.find("tavrin_path_reachable")) << "--only us: no reached flags";
    const std::string dir = TempPath("uno");
    mkdir(dir.c_str(), 0755);
    WriteTempFile("uno/tavrin_path.h", header.out);
    const std::string sketch = WriteTempFile("uno/sketch.c", kAvrSketch);
    // The same header builds for the host as C99 and C++11, warnings as errors.
    const std::string host = WriteTempFile("uno/host.c", "#include \"tavrin_path.h\"\n"
                                                          "int main(void) { return tavrin_path_pulse(0, 0) == 0; }\n");
    const std::string hostCpp = WriteTempFile("uno/host.cpp", ReadFile(host));
    for (const std::string& command :
         {std::string(C_COMPILER) + " -std=c99 -pedantic -fsyntax-only -Wall -Wextra -Werror " + Quoted(host),
          std::string(CXX_COMPILER) + " -std=c++11 -pedantic -fsyntax-only -Wall -Wextra -Werror " + Quoted(hostCpp)}) {
        EXPECT_EQ(0, std::system((command + " 2>&1").c_str())) << command;
    }
    if (std::system("command -v avr-gcc >/dev/null && command -v avr-size >/dev/null") != 0) {
        GTEST_SKIP() << "avr-gcc (Debian's gcc-avr and avr-libc) is not installed";
    }
    const std::string elf = dir + "/sketch.elf";
    ASSERT_EQ(0, std::system(("avr-gcc -mmcu=atmega328p -Os -std=c99 -Wall -Wextra -Werror -o " + Quoted(elf) + " " +
                              Quoted(sketch) + " 2>&1").c_str()));
    ToolRun size = RunShell("avr-size " + Quoted(elf) + " | tail -n 1");
    std::istringstream sizes(size.out);
    long text = -1, data = -1, bss = -1;
    sizes >> text >> data >> bss;
    EXPECT_GT(text, 3001 * 2 * 2) << "the pulse widths of 3001 samples are in flash";
    EXPECT_LE(text + data, 32256) << size.out;
    EXPECT_EQ(0, data + bss) << "the arrays take no RAM: " << size.out;

    if (std::system("command -v simavr >/dev/null") != 0) return;
    ToolRun run = RunShell("timeout 120 simavr -m atmega328p -f 16000000 " + Quoted(elf) + " >/dev/null");
    // simavr shows each line the UART sent between colour codes, ending '.'.
    std::string sent;
    for (const std::string& line : Split(run.err, '\n')) {
        const size_t start = line.find("\x1b[32m");
        if (start == std::string::npos || line.size() < start + 6 || line.back() != '.') continue;
        sent += line.substr(start + 5, line.size() - start - 6) + "\n";
    }
    ToolRun csv = RunTool("--leg " + Quoted(kExampleLeg) + " path " + Quoted(path));
    std::string pulses;
    std::vector<std::string> lines = Split(csv.out, '\n');
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> cells = Split(lines[i], ',');
        if (cells.size() == 10) pulses += cells[8] + "," + cells[9] + "\n";
    }
    EXPECT_EQ(3001u, Split(pulses, '\n').size() - 1);
    EXPECT_TRUE(pulses == sent) << Split(sent, '\n').size() - 1 << " lines from the board: "
                                << sent.substr(0, 200);
}

// The peak resident memory of the tool on a path, in KiB.
long PeakMemoryKiB(const std::string& pathFile, int& status) {
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(TAVRIN_IK_PATH, TAVRIN_IK_PATH, "path", pathFile.c_str(), "--step", "100000", (char*)nullptr);
        _exit(127);
    }
    int raw = 0;
    rusage usage{};
    wait4(child, &raw, 0, &usage);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return usage.ru_maxrss;
}

TEST(PathCommandTest, ALongPathStreamsInBoundedMemory) {
    const long rows = 10000000;
    std::string big = TempPath("big.csv");
    {
        std::FILE* f = std::fopen(big.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::vector<char> text;
        text.reserve(1 << 20);
        const char header[] = "t_ms,x,y,z\n";
        text.insert(text.end(), header, header + sizeof header - 1);
        for (long i = 0; i < rows; ++i) {
            char line[64];
            char* p = std::to_chars(line, line + sizeof line, i).ptr;
            const char tail[] = ",10,15,5\n";
            p = std::copy(tail, tail + sizeof tail - 1, p);
            text.insert(text.end(), line, p);
            if (text.size() > (1 << 20) - 64) {
                std::fwrite(text.data(), 1, text.size(), f);
                text.clear();
            }
        }
        std::fwrite(text.data(), 1, text.size(), f);
        ASSERT_EQ(0, std::fclose(f));
    }
    std::string small = WriteTempFile("small.csv", "t_ms,x,y,z\n0,10,15,5\n9999999,10,15,5\n");
    int status = -1;
    long smallKiB = PeakMemoryKiB(small, status);
    EXPECT_EQ(0, status);
    long bigKiB = PeakMemoryKiB(big, status);
    EXPECT_EQ(0, status);
    std::remove(big.c_str());
    // Ten million rows kept would take 240 MB; streamed they take nothing.
    EXPECT_LT(bigKiB - smallKiB, 4096) << smallKiB << " KiB for 2 rows, " << bigKiB << " KiB for " << rows;
}

}  // namespace
