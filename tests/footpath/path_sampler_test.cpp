// Sampling a path in time: the straight line between rows, the last row
// always, and the count a header announces matching what is sampled.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "footpath/path_sampling.h"
#include "temp_files.h"

namespace {

struct Sampled {
    std::vector<PathRow> samples;
    std::string error;
    bool ok = false;
};

Sampled SampleText(const std::string& text, double stepMs) {
    Sampled result;
    PathSampler sampler;
    if (!sampler.Open(WriteTempFile("path.csv", text), stepMs, result.error)) return result;
    PathRow sample;
    for (;;) {
        switch (sampler.Next(sample, result.error)) {
        case PathReader::Step::Row: result.samples.push_back(sample); continue;
        case PathReader::Step::End: result.ok = true; return result;
        case PathReader::Step::Error: return result;
        }
    }
}

void ExpectSamples(const std::vector<PathRow>& expected, const Sampled& actual) {
    ASSERT_TRUE(actual.ok) << actual.error;
    ASSERT_EQ(expected.size(), actual.samples.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].tMs, actual.samples[i].tMs) << i;
        EXPECT_EQ(expected[i].x, actual.samples[i].x) << i;
        EXPECT_EQ(expected[i].y, actual.samples[i].y) << i;
        EXPECT_EQ(expected[i].z, actual.samples[i].z) << i;
    }
}

// From (0, 0, 0) at 0 ms to (10, 20, -5) at 100 ms: every 20 ms a fifth of
// the way further.
TEST(PathSamplerTest, StepsAlongTheStraightLineBetweenTwoRows) {
    ExpectSamples({{0, 0, 0, 0}, {20, 2, 4, -1}, {40, 4, 8, -2}, {60, 6, 12, -3}, {80, 8, 16, -4}, {100, 10, 20, -5}},
                  SampleText("t_ms,x,y,z\n0,0,0,0\n100,10,20,-5\n", 20));
}

// 90 ms is no whole number of 20 ms steps: the last row comes 10 ms after
// the sample at 80, which is 8/9 of the way.
TEST(PathSamplerTest, TheLastRowCountsWhenTheStepDoesNotDivide) {
    ExpectSamples({{1000, 0, 0, 0},
                   {1020, 20.0f / 9, 0, 0},
                   {1040, 40.0f / 9, 0, 0},
                   {1060, 60.0f / 9, 0, 0},
                   {1080, 80.0f / 9, 0, 0},
                   {1090, 10, 0, 0}},
                  SampleText("t_ms,x,y,z\n1000,0,0,0\n1090,10,0,0\n", 20));
}

TEST(PathSamplerTest, HoldsJumpsAndSingleRows) {
    // Two rows at one time are a jump: from then on the later one.
    ExpectSamples({{0, 0, 0, 0}, {50, 5, 0, 0}, {100, 20, 0, 0}, {150, 25, 0, 0}, {200, 30, 0, 0}},
                  SampleText("t_ms,x,y,z\n0,0,0,0\n100,10,0,0\n100,20,0,0\n200,30,0,0\n", 50));
    // Two equal rows hold the target still.
    ExpectSamples({{0, 1, 2, 3}, {40, 1, 2, 3}, {80, 1, 2, 3}},
                  SampleText("t_ms,x,y,z\n0,1,2,3\n80,1,2,3\n", 40));
    ExpectSamples({{7.5, 1, 2, 3}}, SampleText("t_ms,x,y,z\n7.5,1,2,3\n", 20));
    // A step longer than the path: the first and the last row.
    ExpectSamples({{0, 0, 0, 0}, {30, 3, 0, 0}}, SampleText("t_ms,x,y,z\n0,0,0,0\n10,1,0,0\n30,3,0,0\n", 1000));
    // Rows at the same time as the first: the last of them is the start.
    ExpectSamples({{0, 9, 0, 0}, {10, 9, 0, 0}}, SampleText("t_ms,x,y,z\n0,0,0,0\n0,9,0,0\n10,9,0,0\n", 20));
}

TEST(PathSamplerTest, SampleCountIsWhatTheSamplerGives) {
    const struct {
        double first, last, step;
    } spans[] = {
        {0, 0, 20}, {0, 100, 20}, {0, 90, 20}, {0, 19, 20}, {0, 20, 20}, {0, 21, 20},
        {0.1, 0.7, 1}, {0.3, 1e6, 7}, {5, 5.5, 1}, {1e15, 1e15 + 3, 1}, {12.25, 4012.75, 3},
    };
    for (const auto& span : spans) {
        char text[256];
        std::snprintf(text, sizeof text, "t_ms,x,y,z\n%.17g,0,0,0\n%.17g,1,1,1\n", span.first, span.last);
        Sampled sampled = SampleText(text, span.step);
        ASSERT_TRUE(sampled.ok) << sampled.error;
        EXPECT_EQ(sampled.samples.size(), SampleCount(span.first, span.last, span.step))
            << span.first << " " << span.last << " " << span.step;
        EXPECT_EQ(span.last, sampled.samples.back().tMs);
    }
    EXPECT_EQ(kMaxPathSamples + 1, SampleCount(0, 9e15, 1));
    PathSpan scanned;
    std::string error;
    std::string path = WriteTempFile("long.csv", "t_ms,x,y,z\n0,0,0,0\n9e15,1,1,1\n");
    EXPECT_FALSE(ScanPath(path, 1, scanned, error));
    EXPECT_EQ(path + ": more than 4294967295 samples at this step", error);
    ASSERT_TRUE(ScanPath(path, 1e7, scanned, error)) << error;
    EXPECT_EQ(2u, scanned.rows);
    EXPECT_EQ(900000001u, scanned.samples);
}

TEST(PathSamplerTest, ABadRowMidwayStopsTheSamplesWithItsLine) {
    Sampled sampled = SampleText("t_ms,x,y,z\n0,0,0,0\n100,1,1,1\n200,2,x,2\n", 20);
    EXPECT_FALSE(sampled.ok);
    EXPECT_EQ(TempPath("path.csv") + ":4: y is not a number: 'x'", sampled.error);
    EXPECT_EQ(5u, sampled.samples.size()) << "the samples before the row that needs it";
    EXPECT_FALSE(SampleText("t_ms,x,y,z\n", 20).ok);
}

}  // namespace
