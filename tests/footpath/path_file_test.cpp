// The path file: written and read back bit for bit, the lines a reader
// takes, and every refusal with its file and line.
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "footpath/path_file.h"
#include "temp_files.h"

namespace {

template <typename Number>
bool SameBits(Number a, Number b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameRows(const std::vector<PathRow>& expected, const std::vector<PathRow>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(SameBits(expected[i].tMs, actual[i].tMs)) << "row " << i << " t " << expected[i].tMs;
        EXPECT_TRUE(SameBits(expected[i].x, actual[i].x)) << "row " << i << " x " << expected[i].x;
        EXPECT_TRUE(SameBits(expected[i].y, actual[i].y)) << "row " << i << " y " << expected[i].y;
        EXPECT_TRUE(SameBits(expected[i].z, actual[i].z)) << "row " << i << " z " << expected[i].z;
    }
}

float RandomFiniteFloat(std::mt19937& random) {
    for (;;) {
        uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) return value;
    }
}

TEST(PathFileTest, RowsWrittenReadBackBitForBit) {
    // The floats whose shortest text is easiest to get wrong, then random
    // bit patterns over the whole float range.
    std::vector<PathRow> rows = {
        {0, -0.0f, 0.0f, 1.0f / 3.0f},
        {0, FLT_MAX, -FLT_MAX, FLT_MIN},
        {0.1, std::numeric_limits<float>::denorm_min(), -FLT_MIN / 3, 16777217.0f},
        {12.5, 18.5f, 22.0f, 3.0f},
        {1e15 + 0.5, 0.1f, -1e-30f, 123456.79f},
    };
    std::mt19937 random(20240611);
    double t = rows.back().tMs;
    for (int i = 0; i < 2000; ++i) {
        t += static_cast<double>(random() % 1000) / 8;
        rows.push_back({t, RandomFiniteFloat(random), RandomFiniteFloat(random), RandomFiniteFloat(random)});
    }
    std::string path = TempPath("round.csv");
    std::string error;
    ASSERT_TRUE(WritePathFile(path, rows, error)) << error;
    std::vector<PathRow> read;
    ASSERT_TRUE(ReadPathFile(path, read, error)) << error;
    ExpectSameRows(rows, read);
    EXPECT_EQ(0u, ReadFile(path).rfind("t_ms,x,y,z\n0,-0,0,0.33333334\n", 0));
}

// How many of our temporary files lie beside path.
int TemporariesBeside(const std::string& path) {
    const std::filesystem::path p(path);
    const std::string prefix = p.filename().string() + ".tavrin-";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(p.parent_path())) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) ++count;
    }
    return count;
}

TEST(PathFileTest, WriteReplacesTheFileWholeOrLeavesNothingBehind) {
    std::string path = WriteTempFile("old.csv", "t_ms,x,y,z\n0,1,2,3\n");
    std::string error;
    ASSERT_TRUE(WritePathFile(path, {{0, 4, 5, 6}, {20, 7, 8, 9}}, error)) << error;
    EXPECT_EQ("t_ms,x,y,z\n0,4,5,6\n20,7,8,9\n", ReadFile(path));
    EXPECT_EQ(0, TemporariesBeside(path));

    // No directory to write in: the temporary file cannot be made.
    std::string missing = TempPath("no-such-dir") + "/rec.csv";
    EXPECT_FALSE(WritePathFile(missing, {{0, 1, 2, 3}}, error));
    EXPECT_EQ(0u, error.rfind(missing + ": cannot write the path file: cannot create ", 0)) << error;
    EXPECT_EQ(std::string::npos, error.find('\n'));

    // A directory in the way: the rename fails, the temporary file goes.
    std::string directory = TempPath("a-directory");
    std::filesystem::create_directories(directory + "/inside");
    EXPECT_FALSE(WritePathFile(directory, {{0, 1, 2, 3}}, error));
    EXPECT_EQ(0u, error.rfind(directory + ": cannot write the path file: renaming ", 0)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(directory + "/inside"));
    EXPECT_EQ(0, TemporariesBeside(directory));
}

// The temporary file is one of our own, made exclusively: the user's files
// beside the path, whatever their names, are never touched.
TEST(PathFileTest, WritingNeverTouchesTheUsersOtherFiles) {
    const std::string path = TempPath("mine.csv");
    const std::string suffixes[] = {".part", ".tavrin-1.part", ".tmp"};
    std::vector<std::string> others;
    for (const std::string& suffix : suffixes) {
        others.push_back(WriteTempFile("mine.csv" + suffix, "the user's own " + suffix));
    }
    std::string error;
    ASSERT_TRUE(WritePathFile(path, {{0, 1, 2, 3}}, error)) << error;
    EXPECT_EQ("t_ms,x,y,z\n0,1,2,3\n", ReadFile(path));
    for (const std::string& other : others) {
        EXPECT_EQ("the user's own " + other.substr(path.size()), ReadFile(other));
        std::remove(other.c_str());
    }
    EXPECT_EQ(0, TemporariesBeside(path));
}

TEST(PathFileTest, ReaderSkipsCommentsAndBlanksAndIgnoresExtraColumns) {
    // The longest line taken, its length made up by an ignored column.
    std::string longRow = "300,1,2,3,";
    longRow += std::string(kMaxPathLineChars - longRow.size(), 'x');
    std::string path = WriteTempFile("lenient.csv",
                                     "\xEF\xBB\xBF# a step, by hand\r\n"
                                     "\r\n"
                                     " t_ms , x ,y,\tz ,reachable,yaw\r\n"
                                     "0,16,24,0\r\n"
                                     "   \n"
                                     "  # a comment between rows\n"
                                     "250, +18.5 ,22,3,1,90,extra\n"
                                     "250,1e-50,-1e-50,1E2\n" +
                                         longRow + "\n900,10,30,-4");
    std::vector<PathRow> rows;
    std::string error;
    ASSERT_TRUE(ReadPathFile(path, rows, error)) << error;
    ExpectSameRows({{0, 16, 24, 0}, {250, 18.5f, 22, 3}, {250, 0.0f, -0.0f, 100}, {300, 1, 2, 3}, {900, 10, 30, -4}},
                   rows);
}

TEST(PathFileTest, BadFilesAreRefusedWithTheirLine) {
    const std::string tooLong = "0,1,2,3," + std::string(kMaxPathLineChars - 7, '9');
    const struct {
        std::string text;
        std::string where;  // ":line: message", or ": message" for the file as a whole
    } cases[] = {
        {"", ": no header line t_ms,x,y,z"},
        {"# only a comment\n\n", ": no header line t_ms,x,y,z"},
        {"0,16,24,0\n", ":1: the header must begin t_ms,x,y,z, not '0,16,24,0'"},
        {"t_ms,x,y\n0,1,2\n", ":1: the header must begin t_ms,x,y,z, not 't_ms,x,y'"},
        {"t,x,y,z\n", ":1: the header must begin t_ms,x,y,z, not 't,x,y,z'"},
        {"t_ms,x,z,y\n", ":1: the header must begin t_ms,x,y,z, not 't_ms,x,z,y'"},
        // A binary file: its bytes shown as code points, never raw.
        {std::string("\x89PNG\r\x1a\x00\xff", 8) + "\n", ":1: the header must begin t_ms,x,y,z, not "
                                                        "'U+0089PNG???U+00FF'"},
        {"t_ms,x,y,z\n", ": no rows after the header t_ms,x,y,z"},
        {"t_ms,x,y,z\n0,1,2,3\n# x\n20,1,2\n", ":4: 3 columns, a row needs 4: t_ms,x,y,z"},
        {"t_ms,x,y,z\n20\n", ":2: 1 column, a row needs 4: t_ms,x,y,z"},
        {"t_ms,x,y,z\n0,abc,2,3\n", ":2: x is not a number: 'abc'"},
        {"t_ms,x,y,z\n0,1,,3\n", ":2: y is not a number: ''"},
        {"t_ms,x,y,z\n0,1,2,3.5.1\n", ":2: z is not a number: '3.5.1'"},
        {"t_ms,x,y,z\n0,0x10,2,3\n", ":2: x is not a number: '0x10'"},
        {"t_ms,x,y,z\nten,1,2,3\n", ":2: t_ms is not a number: 'ten'"},
        {"t_ms,x,y,z\n0,1,inf,3\n", ":2: y is not a finite number: 'inf'"},
        {"t_ms,x,y,z\n0,1,2,-NaN\n", ":2: z is not a finite number: '-NaN'"},
        {"t_ms,x,y,z\nnan,1,2,3\n", ":2: t_ms is not a finite number: 'nan'"},
        {"t_ms,x,y,z\n0,1e39,2,3\n", ":2: x is beyond the float range: '1e39'"},
        {"t_ms,x,y,z\n1e309,1,2,3\n", ":2: t_ms is beyond the float range: '1e309'"},
        {"t_ms,x,y,z\n-5,1,2,3\n", ":2: t_ms is negative: '-5'"},
        {"t_ms,x,y,z\n1e16,1,2,3\n", ":2: t_ms is beyond 2^53: '1e16'"},
        {"t_ms,x,y,z\n0,1,2,3\n120,1,2,3\n\n90,1,2,3\n", ":5: the time goes back: 90 after 120"},
        {"t_ms,x,y,z\n0,1,2,3\n" + tooLong + "\n1,2,3,4\n", ":3: the line is longer than 4096 characters"},
        {"t_ms,x,y,z\n0,1,2,3\n" + tooLong, ":3: the line is longer than 4096 characters"},
        {std::string(70000, '#') + "\n", ":1: the line is longer than 4096 characters"},
        {"t_ms,x,y,z\n0,1,2,\x01" "3\n", ":2: z is not a number: '?3'"},
        {"t_ms,x,y,z\n0,1,2," + std::string(50, '7') + "x\n",
         ":2: z is not a number: '7777777777777777777777777777777777777777...'"},
    };
    for (const auto& c : cases) {
        std::string path = WriteTempFile("bad.csv", c.text);
        std::vector<PathRow> rows = {{1, 2, 3, 4}};
        std::string error;
        EXPECT_FALSE(ReadPathFile(path, rows, error)) << c.text.substr(0, 80);
        EXPECT_EQ(path + c.where, error) << c.text.substr(0, 80);
        EXPECT_EQ(1u, rows.size()) << "the caller's rows are kept";
    }
    std::string error;
    std::vector<PathRow> rows;
    EXPECT_FALSE(ReadPathFile(TempPath("absent.csv"), rows, error));
    EXPECT_EQ(TempPath("absent.csv") + ": cannot open the path file: No such file or directory", error);
}

#ifndef _WIN32
// A FIFO with no writer would block the window's start for ever; a device
// never ends. Both are refused at once.
TEST(PathFileTest, WhatIsNotARegularFileIsRefusedWithoutWaiting) {
    const std::string fifo = TempPath("fifo.csv");
    std::remove(fifo.c_str());
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        std::vector<PathRow> rows;
        std::string error;
        EXPECT_FALSE(ReadPathFile(path, rows, error));
        EXPECT_EQ(path + ": cannot read the path file: not a regular file", error);
    }
    std::remove(fifo.c_str());
}
#endif

}  // namespace
