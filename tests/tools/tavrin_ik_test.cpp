// Runs the built tavrin-ik and checks what it prints and how it exits.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch_file.h"
#include "tests/support/tool_run.h"

namespace {

TEST(TavrinIkTest, SolveInRangePrintsAnglesAndKnee) {
    ToolRun r = RunTool("solve 10 15 5");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(
        "{\"target\":[10,15,5],\"outOfRange\":false,\"reach\":11.18034,\"distance\":18.708286,"
        "\"yawDeg\":64,\"hipDeg\":91,\"kneeDeg\":94,\"knee\":[9.998477,-0.17452404,-4.383044]}\n",
        r.out);
    EXPECT_EQ("", r.err);
}

TEST(TavrinIkTest, SolveOutOfRangeOmitsAnglesAndKnee) {
    ToolRun r = RunTool("solve 25.01 0 -0");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("{\"target\":[25.01,0,-0],\"outOfRange\":true,\"reach\":25.01,\"distance\":25.01}\n", r.out);
}

TEST(TavrinIkTest, SweepListsPointsInShortestFloatText) {
    ToolRun r = RunTool("sweep 0");
    EXPECT_EQ(0, r.status);
    size_t lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(380972u, lines);
    EXPECT_EQ(0u, r.out.rfind("1.0499059,-24.95\n", 0));
    const std::string last = "0.04990576,24.999811\n";
    ASSERT_GE(r.out.size(), last.size());
    EXPECT_EQ(last, r.out.substr(r.out.size() - last.size()));
}

#ifdef TAVRIN_SYSTEM_PYTHON
// Every CSV the tool writes reads with a plain pandas.read_csv: a header
// line first, the columns named, every row a row.
TEST(TavrinIkTest, EveryCsvReadsWithPandasAsItIs) {
    if (std::system(("'" TAVRIN_SYSTEM_PYTHON "' -c 'import pandas' 2>/dev/null")) != 0) {
        GTEST_SKIP() << "pandas (Debian's python3-pandas) is not installed";
    }
    const std::string leg = std::string("--leg '") + TAVRIN_SOURCE_DIR + "/legs/example.toml' ";
    const struct {
        std::string args;
        std::string columns;
        const char* rows;
    } cases[] = {
        {"sweep --header 0", "x,y", "380972"},
        {leg + "path '" + TAVRIN_SOURCE_DIR + "/paths/step.csv'", "t_ms,x,y,z,reachable,yaw,hip,knee,hip_us,knee_us",
         "61"},
        {"workspace --format csv --step 3", "x,y,z", "1217"},
        {"workspace --format csv --step 3 --margin", "x,y,z,margin", "1217"},
    };
    for (const auto& c : cases) {
        const std::string path = ScratchPath("pandas.csv");
        ToolRun r = RunTool(c.args + " >'" + path + "'");
        ASSERT_EQ(0, r.status) << c.args << ": " << r.err;
        ToolRun read = RunShell("'" TAVRIN_SYSTEM_PYTHON "' '" TAVRIN_SOURCE_DIR "/tests/tools/read_with_pandas.py' '" +
                                path + "'");
        EXPECT_EQ(c.columns + "\n" + c.rows + "\n", read.out) << c.args << ": " << read.err;
        std::remove(path.c_str());
    }
}
#endif

// calibrate fits a joint from two marks and, with --write, changes only
// its values in the leg file; the file then gives the marked pulses at the
// marked angles, within a microsecond.
TEST(TavrinIkTest, CalibrateFitsTheMarksAndWritesOnlyTheirValues) {
    const std::string original = ReadFile(TAVRIN_SOURCE_DIR "/legs/example.toml");
    const std::string leg = ScratchFile("calibrate_leg", ".toml", original);
    ToolRun r = RunTool("--leg '" + leg + "' calibrate knee 30=1100 150=1900 --stops 1050,1960 --write");
    ASSERT_EQ(0, r.status) << r.err;
    // 800 us over 120 degrees: p0 = 1100 - 200 = 900, p1 = 900 + 1200 = 2100;
    // the stops at 22.5 and 159 degrees leave 24..158.
    EXPECT_EQ("[servo.knee]\npulse = [900, 2100]\ninvert = false\noffset = 0\n[knee]\nmin = 24\nmax = 158\n", r.out);
    EXPECT_EQ(original, ReadFile(leg + ".bak"));
    std::string expected = original;
    for (const auto& [from, to] : {std::make_pair(std::string("pulse = [1000, 2000]"), std::string("pulse = [900, 2100]")),
                                   std::make_pair(std::string("offset = -10 "), std::string("offset = 0 ")),
                                   std::make_pair(std::string("min = 20\n"), std::string("min = 24\n")),
                                   std::make_pair(std::string("max = 160\n"), std::string("max = 158\n"))}) {
        const size_t at = expected.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        expected.replace(at, from.size(), to);
    }
    EXPECT_EQ(expected, ReadFile(leg));
    for (const auto& [angle, us] : {std::make_pair(30, 1100), std::make_pair(150, 1900)}) {
        ToolRun solve = RunTool("--leg '" + leg + "' calibrate knee " + std::to_string(angle) + "=" +
                                std::to_string(us) + " 90=1500");
        EXPECT_EQ(0u, solve.out.find("[servo.knee]\npulse = [900, 2100]")) << "the saved numbers give the marks back";
    }

    const struct {
        const char* args;
        const char* err;
    } bad[] = {
        {"calibrate knee 30=1100", "calibrate needs JOINT A1=U1 A2=U2"},
        {"calibrate elbow 30=1100 150=1900", "calibrate takes yaw, hip or knee, not 'elbow'"},
        {"calibrate knee 30=1100 200=1900", "a mark is ANGLE=US, a whole angle 0..180 and whole microseconds, not "
                                            "'200=1900'"},
        {"calibrate knee 30=1100 150=1100", "both marks have the pulse 1100 us: the joint did not move"},
        {"calibrate knee 30=1100 150=1900 --stops 1500", "--stops takes U_SMALL,U_LARGE, whole microseconds, not "
                                                         "'1500'"},
        {"calibrate knee 30=1100 150=1900 --stops 1900,1100", "the stops leave no range: min 151 comes above max 29"},
        {"calibrate knee 30=1100 150=1900 --write", "calibrate --write needs the leg file to write (--leg FILE)"},
    };
    for (const auto& b : bad) {
        ToolRun run = RunTool(b.args);
        EXPECT_EQ(2, run.status) << b.args;
        EXPECT_EQ("", run.out) << b.args;
        EXPECT_EQ(std::string("tavrin-ik: ") + b.err + " (see tavrin-ik --help)\n", run.err) << b.args;
    }
}

TEST(TavrinIkTest, SweepCountsEachDepth) {
    ToolRun r = RunTool("sweep --count 0 25 -25 +0");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("380972\n0\n0\n380972\n", r.out);
}

TEST(TavrinIkTest, HelpGoesToStandardOutput) {
    ToolRun r = RunTool("--help");
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("usage: tavrin-ik [--leg FILE] solve X Y Z"));
    EXPECT_EQ("", r.err);
}

TEST(TavrinIkTest, BadInputNamesTheArgumentAndExitsWithTwo) {
    const struct {
        const char* args;
        const char* message;
    } rows[] = {
        {"", "missing command"},
        {"jump 1 2 3", "unknown command: 'jump'"},
        {"--verbose", "unknown option: '--verbose'"},
        {"solve 1 2", "solve needs X Y Z"},
        {"solve 1 2 3 4", "unexpected argument: '4'"},
        {"solve 1 two 3", "not a finite number: 'two'"},
        {"solve 1 2 nan", "not a finite number: 'nan'"},
        {"solve inf 2 3", "not a finite number: 'inf'"},
        {"solve 1e39 2 3", "beyond the float range: '1e39'"},
        {"solve 1 -3.5e38 3", "beyond the float range: '-3.5e38'"},
        {"sweep --count 1e400", "beyond the float range: '1e400'"},
        {"solve '' 2 3", "not a finite number: ''"},
        {"solve 1.5x 2 3", "not a finite number: '1.5x'"},
        {"solve +-1 2 3", "not a finite number: '+-1'"},
        {"sweep", "sweep needs a depth Z"},
        {"sweep --count", "sweep needs a depth Z"},
        {"sweep 1 2", "unexpected argument: '2'"},
        {"sweep --fast 1", "unknown option: '--fast'"},
        {"sweep --count 1 --x", "unknown option: '--x'"},
        {"sweep 0x10", "not a finite number: '0x10'"},
        {"solve --leg legs/example.toml 30 40 10", "--leg goes before the command: tavrin-ik --leg FILE solve ..."},
        {"--leg legs/example.toml --leg legs/example.toml solve 1 2 3", "--leg given twice"},
    };
    for (const auto& row : rows) {
        ToolRun r = RunTool(row.args);
        EXPECT_EQ(2, r.status) << row.args;
        EXPECT_EQ("", r.out) << row.args;
        EXPECT_EQ(std::string("tavrin-ik: ") + row.message + " (see tavrin-ik --help)\n", r.err) << row.args;
    }
}

// Every line is JSON, whatever the floats: no inf, no nan. Numbers too small
// for a float read as zero of their sign, as strtof reads them.
TEST(TavrinIkTest, SolveLinesAreValidJsonForExtremeNumbers) {
    const struct {
        const char* args;
        const char* line;
    } rows[] = {
        {"solve 2e19 0 0", "{\"target\":[2e+19,0,0],\"outOfRange\":true,\"reach\":2e+19,\"distance\":null}"},
        {"solve -3e38 0 3e38",
         "{\"target\":[-3e+38,0,3e+38],\"outOfRange\":true,\"reach\":null,\"distance\":null}"},
        {"solve 1e-50 0 -1e-400", "{\"target\":[0,0,-0],\"outOfRange\":true,\"reach\":0,\"distance\":0}"},
        {"solve -1e-50 1e-45 0",
         "{\"target\":[-0,1e-45,0],\"outOfRange\":true,\"reach\":0,\"distance\":0}"},
    };
    for (const auto& row : rows) {
        ToolRun r = RunTool(row.args);
        EXPECT_EQ(0, r.status) << row.args;
        EXPECT_EQ(std::string(row.line) + "\n", r.out) << row.args;
        EXPECT_EQ("", r.err) << row.args;
    }
}

// Output that never arrived is a failure with a message, not a silent 0.
TEST(TavrinIkTest, FailedWriteExitsWithOne) {
    const char* rows[] = {
        "solve 10 15 0 >/dev/full", "sweep 0 >/dev/full", "sweep --count 0 5 >/dev/full",
        "--help >/dev/full",        "solve 10 15 0 >&-",  "sweep 0 >&-",
    };
    for (const char* args : rows) {
        ToolRun r = RunTool(args);
        EXPECT_EQ(1, r.status) << args;
        EXPECT_EQ(0u, r.err.find("tavrin-ik: cannot write the output: ")) << args << "\n" << r.err;
        EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << args;
    }
}

TEST(TavrinIkTest, HugeArgumentGivesAShortOneLineMessage) {
    ToolRun r = RunTool("solve " + std::string(100000, '7') + " 2 3");
    EXPECT_EQ(2, r.status);
    std::string first = r.err.substr(0, r.err.find('\n'));
    EXPECT_LT(first.size(), 120u);
    EXPECT_NE(std::string::npos, first.find("beyond the float range"));
}

}  // namespace

namespace {

TEST(TavrinIkLegTest, ALegFileSolvesForThatLegWithItsServos) {
    std::string leg = WriteLegFile("servo_leg",
                                   "upper = 40\nlower = 65\n[yaw]\nmin = 30\nmax = 150\n"
                                   "[knee]\nmin = 20\n[servo.hip]\ninvert = true\n"
                                   "[servo.knee]\noffset = -10\npulse = [1000, 2000]\n");
    ToolRun r = RunTool("--leg '" + leg + "' solve 30 40 10");
    EXPECT_EQ(0, r.status);
    // Hip 52 inverted is 128 servo degrees, 500 + 2000 * 128 / 180 = 1922.2 us;
    // knee 51 - 10 is 41, 1000 + 1000 * 41 / 180 = 1227.8 us.
    EXPECT_EQ(
        "{\"target\":[30,40,10],\"outOfRange\":false,\"reach\":31.622776,\"distance\":50.990196,"
        "\"yawDeg\":72,\"hipDeg\":52,\"kneeDeg\":51,\"knee\":[31.520432,24.626461,-9.740349],"
        "\"servo\":{\"hip\":{\"deg\":128,\"us\":1922},\"knee\":{\"deg\":41,\"us\":1228}}}\n",
        r.out);
    // The yaw here is 2 degrees, below the leg's 30: out of range, no servo.
    r = RunTool("--leg '" + leg + "' solve 1 40 50");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(std::string::npos, r.out.find("servo")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("\"outOfRange\":true")) << r.out;
}

TEST(TavrinIkLegTest, TheDefaultsFileChangesNothing) {
    const std::string leg = "'" TAVRIN_SOURCE_DIR "/legs/default.toml'";
    for (const std::string args : {"solve 10 15 5", "solve -3.5 7 -20", "sweep --count 0 7.5 -24.9 30", "sweep 12"}) {
        ToolRun plain = RunTool(args);
        ToolRun withLeg = RunTool("--leg " + leg + " " + args);
        EXPECT_EQ(0, withLeg.status) << args;
        EXPECT_EQ(plain.out, withLeg.out) << args;
    }
}

TEST(TavrinIkLegTest, ABadLegFileIsOneLineAndExitTwo) {
    std::string typo = WriteLegFile("typo_leg", "upper = 10\nuper = 12\n");
    const struct {
        std::string args;
        std::string err;
    } cases[] = {
        {"--leg '" + typo + "' solve 1 2 3", "tavrin-ik: " + typo + ":2: unknown key 'uper'\n"},
        {"--leg /nonexistent.toml sweep 0",
         "tavrin-ik: /nonexistent.toml: cannot open the leg file: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        ToolRun r = RunTool(c.args);
        EXPECT_EQ(2, r.status) << c.args;
        EXPECT_EQ("", r.out) << c.args;
        EXPECT_EQ(c.err, r.err) << c.args;
    }
    ToolRun r = RunTool("--leg");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("tavrin-ik: --leg needs a FILE (see tavrin-ik --help)\n", r.err);

    // A refused leg with nowhere to write the output: the refusal alone.
    ToolRun closed = RunTool("--leg /nonexistent.toml solve 1 1 1 >&-");
    EXPECT_EQ(2, closed.status);
    EXPECT_EQ("tavrin-ik: /nonexistent.toml: cannot open the leg file: No such file or directory\n", closed.err);
}

}  // namespace
