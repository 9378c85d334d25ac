// New numbers written into the user's own leg file: only the values that
// change, in place, the rest byte for byte; the old file kept as .bak; a
// folder that cannot be written refused with one line and nothing lost.
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "legfile/leg_file.h"
#include "legfile/leg_file_edit.h"
#include "tests/support/scratch_file.h"

namespace {

// Comments everywhere, odd spacing, keys out of the usual order, a table
// nobody asked about, and Windows line endings in the middle.
const char kUsersLeg[] =
    "# my leg, measured 2026-12-01\n"
    "upper = 40\n"
    "lower   =   65   # knee to foot\n"
    "\n"
    "[ hip ]\n"
    "max=170\n"
    "min = 10 # the frame is in the way below\n"
    "\n"
    "[servo.hip]\r\n"
    "channel = 1\r\n"
    "pulse =   [ 600 , 2400 ]   # guessed\r\n"
    "invert = false\r\n"
    "\n"
    "[knee]\n"
    "min = 20\n"
    "max = 160\n";

TEST(LegFileEditTest, OnlyTheChangedValuesChangeByteForByte) {
    LegDescription before;
    std::string error;
    ASSERT_TRUE(ParseLegText(kUsersLeg, "mine.toml", before, error)) << error;
    ServoSetting fitted = *before.servos[kHipJoint];
    fitted.pulseAtZero = 512;
    fitted.pulseAtFull = 2491;
    fitted.invert = true;
    const JointRange range{12, 170};
    const std::vector<LegFileChange> changes = CalibrationChanges(before, kHipJoint, fitted, &range);
    ASSERT_EQ(3u, changes.size()) << "pulse, invert and min; the offset (0 when left out) and max stay";
    std::string edited;
    ASSERT_TRUE(EditLegText(kUsersLeg, changes, edited, error)) << error;
    EXPECT_EQ("# my leg, measured 2026-12-01\n"
              "upper = 40\n"
              "lower   =   65   # knee to foot\n"
              "\n"
              "[ hip ]\n"
              "max=170\n"
              "min = 12 # the frame is in the way below\n"
              "\n"
              "[servo.hip]\r\n"
              "channel = 1\r\n"
              "pulse =   [512, 2491]   # guessed\r\n"
              "invert = true\r\n"
              "\n"
              "[knee]\n"
              "min = 20\n"
              "max = 160\n",
              edited);
    LegDescription after;
    ASSERT_TRUE(ParseLegText(edited, "mine.toml", after, error)) << error;
    EXPECT_EQ(512, after.servos[kHipJoint]->pulseAtZero);
    EXPECT_TRUE(after.servos[kHipJoint]->invert);
    EXPECT_EQ(12, after.ranges[kHipJoint].min);
    EXPECT_EQ(1, *after.servos[kHipJoint]->channel);
}

TEST(LegFileEditTest, MissingTablesAndKeysAreAddedAtTheirEnd) {
    const std::string text = "upper = 40\nlower = 65\n[yaw]\nmin = 30 # stop\n\n# the rest later";
    LegDescription before;
    std::string error;
    ASSERT_TRUE(ParseLegText(text, "new.toml", before, error)) << error;
    ServoSetting fitted;
    fitted.pulseAtZero = 700;
    fitted.pulseAtFull = 2300;
    const JointRange range{40, 140};
    std::string edited;
    ASSERT_TRUE(EditLegText(text, CalibrationChanges(before, kYawJoint, fitted, &range), edited, error)) << error;
    EXPECT_EQ("upper = 40\nlower = 65\n[yaw]\nmin = 40 # stop\nmax = 140\n\n# the rest later\n"
              "\n[servo.yaw]\npulse = [700, 2300]\ninvert = false\noffset = 0\n",
              edited);
}

TEST(LegFileEditTest, ALayoutThatCannotTakeTheChangeIsRefused) {
    const struct {
        std::string text;
        const char* error;
    } rows[] = {
        {"[servo.hip]\npulse = [\n  600,\n  2400,\n]\n",
         "cannot replace the value of servo.hip.pulse in place: it goes on past its line"},
        {"servo.hip.pulse = [600, 2400]\n", "cannot place the new values in this file's layout ("},
    };
    for (const auto& r : rows) {
        std::string edited, error;
        EXPECT_FALSE(EditLegText(r.text, {{"servo.hip", "pulse", "[500, 2500]"}}, edited, error)) << r.text;
        EXPECT_EQ(0u, error.rfind(r.error, 0)) << error;
    }
}

TEST(LegFileEditTest, WritingKeepsTheOldFileAndFailsWithoutLosingIt) {
    const std::string path = ScratchFile("calibrated", ".toml", kUsersLeg);
    std::string error;
    ASSERT_TRUE(WriteLegFileChanges(path, {{"servo.hip", "pulse", "[512, 2491]"}}, error)) << error;
    EXPECT_EQ(kUsersLeg, ReadFile(path + ".bak"));
    EXPECT_NE(std::string::npos, ReadFile(path).find("pulse =   [512, 2491]   # guessed"));

    // Where the old file cannot be kept (a folder in the way of the .bak,
    // as a read-only folder would be for anyone but root): one line, the
    // file as it was.
    const std::string blocked = ScratchFile("blocked", ".toml", kUsersLeg);
    ASSERT_TRUE(std::filesystem::create_directories(blocked + ".bak"));
    ScratchFile("blocked.toml.bak/inside", "", "x");
    EXPECT_FALSE(WriteLegFileChanges(blocked, {{"servo.hip", "pulse", "[1, 2]"}}, error));
    EXPECT_EQ(0u, error.rfind(blocked + ": cannot write the leg file: renaming ", 0)) << error;
    EXPECT_EQ(kUsersLeg, ReadFile(blocked));

#ifndef _WIN32
    // A folder that cannot be written, for a user it stops.
    if (geteuid() != 0) {
        const std::string folder = ScratchPath("readonly");
        std::filesystem::create_directories(folder);
        const std::string locked = folder + "/leg.toml";
        std::FILE* f = std::fopen(locked.c_str(), "wb");
        std::fputs(kUsersLeg, f);
        std::fclose(f);
        chmod(folder.c_str(), 0555);
        EXPECT_FALSE(WriteLegFileChanges(locked, {{"servo.hip", "pulse", "[1, 2]"}}, error));
        EXPECT_EQ(0u, error.rfind(locked + ": cannot write the leg file: cannot create ", 0)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n'));
        EXPECT_EQ(kUsersLeg, ReadFile(locked));
        chmod(folder.c_str(), 0755);
    }
#endif
}

}  // namespace
