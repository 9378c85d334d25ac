// Recording a motion and playing it back on the caller's clock.
#include <ctime>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "footpath/path_file.h"
#include "footpath/path_motion.h"
#include "footpath/path_sampling.h"
#include "temp_files.h"

namespace {

void ExpectRows(const std::vector<PathRow>& expected, const std::vector<PathRow>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].tMs, actual[i].tMs) << i;
        EXPECT_EQ(expected[i].x, actual[i].x) << i;
        EXPECT_EQ(expected[i].y, actual[i].y) << i;
        EXPECT_EQ(expected[i].z, actual[i].z) << i;
    }
}

TEST(PathRecorderTest, RowsFromTheStartPoseToTheStopWithTheirTimes) {
    PathRecorder recorder;
    recorder.Add(D3DXVECTOR3(9, 9, 9), 10);  // not recording: ignored
    recorder.Start(D3DXVECTOR3(16, 24, 0), 5000);
    EXPECT_TRUE(recorder.Recording());
    recorder.Add(D3DXVECTOR3(18.5f, 22, 3), 5250);
    recorder.Add(D3DXVECTOR3(10, 30, -4), 5900);
    recorder.Add(D3DXVECTOR3(11, 30, -4), 5800);  // the clock stepped back
    recorder.Stop(6400);
    EXPECT_FALSE(recorder.Recording());
    recorder.Add(D3DXVECTOR3(1, 1, 1), 6500);
    ExpectRows({{0, 16, 24, 0}, {250, 18.5f, 22, 3}, {900, 10, 30, -4}, {900, 11, 30, -4}, {1400, 11, 30, -4}},
               recorder.Rows());

    // What the recorder made is a path a reader takes.
    std::string path = TempPath("recorded.csv");
    std::string error;
    ASSERT_TRUE(WritePathFile(path, recorder.Rows(), error)) << error;
    std::vector<PathRow> read;
    ASSERT_TRUE(ReadPathFile(path, read, error)) << error;
    ExpectRows(recorder.Rows(), read);

    // Stopped at the time of the last change: nothing to hold. A new start
    // forgets the old rows.
    recorder.Start(D3DXVECTOR3(1, 2, 3), 100);
    recorder.Add(D3DXVECTOR3(4, 5, 6), 120);
    recorder.Stop(120);
    ExpectRows({{0, 1, 2, 3}, {20, 4, 5, 6}}, recorder.Rows());
}

TEST(PathRecorderTest, DefaultFileNameCarriesTheLocalTime) {
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 7;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 2;
    EXPECT_EQ("tavrin-path-20260307-090502.csv", DefaultPathFileName(local));
}

TEST(PathPlayerTest, TargetsOnTheClockAndWhenToLookAgain) {
    PathPlayer player;
    // A path that starts at 1000 ms: playing begins with its first row.
    player.Load({{1000, 0, 0, 0}, {1100, 10, 0, 0}, {1300, 10, 0, 0}, {1400, 10, 20, 0}});
    EXPECT_FALSE(player.Playing());
    player.Start(5000);
    ASSERT_TRUE(player.Playing());
    const struct {
        int64_t now;
        D3DXVECTOR3 target;
        bool ended;
        int64_t next;  // with frames of 16 ms
    } moments[] = {
        {5000, {0, 0, 0}, false, 5016},    // moving: a frame later
        {5025, {2.5f, 0, 0}, false, 5041},
        {5090, {9, 0, 0}, false, 5100},    // the move ends before the frame
        {5100, {10, 0, 0}, false, 5300},   // holding still: until the hold ends
        {5250, {10, 0, 0}, false, 5300},
        {5350, {10, 10, 0}, false, 5366},
        {5400, {10, 20, 0}, true, -1},
    };
    for (const auto& m : moments) {
        EXPECT_EQ(m.next, player.NextChangeMs(m.now, 16)) << m.now;
        PathPlayer::Frame frame = player.TargetAt(m.now);
        EXPECT_EQ(m.target.x, frame.target.x) << m.now;
        EXPECT_EQ(m.target.y, frame.target.y) << m.now;
        EXPECT_EQ(m.target.z, frame.target.z) << m.now;
        EXPECT_EQ(m.ended, frame.ended) << m.now;
    }
    EXPECT_FALSE(player.Playing());
    EXPECT_EQ(-1, player.NextChangeMs(5400, 16));
    // Played again, and after its end it stays at the last row.
    player.Start(0);
    EXPECT_EQ(5, player.TargetAt(50).target.x);
    PathPlayer::Frame late = player.TargetAt(99999);
    EXPECT_TRUE(late.ended);
    EXPECT_EQ(20, late.target.y);
}

TEST(PathPlayerTest, PlayerAndSamplerAgreeToTheBit) {
    std::string path = TAVRIN_TEST_STEP_PATH;
    std::vector<PathRow> rows;
    std::string error;
    ASSERT_TRUE(ReadPathFile(path, rows, error)) << error;
    PathPlayer player;
    player.Load(rows);
    player.Start(0);
    PathSampler sampler;
    ASSERT_TRUE(sampler.Open(path, 7, error)) << error;
    PathRow sample;
    int samples = 0;
    while (sampler.Next(sample, error) == PathReader::Step::Row) {
        D3DXVECTOR3 played = player.TargetAt(static_cast<int64_t>(sample.tMs)).target;
        EXPECT_EQ(sample.x, played.x) << sample.tMs;
        EXPECT_EQ(sample.y, played.y) << sample.tMs;
        EXPECT_EQ(sample.z, played.z) << sample.tMs;
        ++samples;
    }
    EXPECT_EQ(173, samples);
}

}  // namespace
