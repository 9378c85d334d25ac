// The leg file reader: what a good file sets, and the one-line refusal of
// every kind of bad file, with the line it names.
#include <cstdio>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "legfile/leg_file.h"

namespace {

bool SameLeg(const LegDescription& a, const LegDescription& b) {
    if (a.upper != b.upper || a.lower != b.lower) return false;
    for (int j = 0; j < kJointCount; ++j) {
        if (a.ranges[j].min != b.ranges[j].min || a.ranges[j].max != b.ranges[j].max) return false;
        if (a.servos[j].has_value() != b.servos[j].has_value()) return false;
        if (a.servos[j]) {
            const ServoSetting &s = *a.servos[j], &t = *b.servos[j];
            if (s.invert != t.invert || s.offset != t.offset || s.pulseAtZero != t.pulseAtZero ||
                s.pulseAtFull != t.pulseAtFull)
                return false;
        }
    }
    return true;
}

TEST(LegFileTest, AnEmptyFileAndTheDefaultsFileGiveTheDefaultLeg) {
    for (const char* text : {"", "# nothing\n", "upper = 10\nlower = 15\n[knee]\nmin = 0\nmax = 180\n"}) {
        LegDescription leg;
        std::string error;
        ASSERT_TRUE(ParseLegText(text, "x.toml", leg, error)) << error;
        EXPECT_TRUE(SameLeg(LegDescription{}, leg)) << text;
    }
    LegDescription leg;
    std::string error;
    ASSERT_TRUE(ReadLegFile(TAVRIN_SOURCE_DIR "/legs/default.toml", leg, error)) << error;
    EXPECT_TRUE(SameLeg(LegDescription{}, leg));
}

TEST(LegFileTest, TheExampleSetsEveryKindOfKey) {
    LegDescription leg;
    std::string error;
    ASSERT_TRUE(ReadLegFile(TAVRIN_SOURCE_DIR "/legs/example.toml", leg, error)) << error;
    EXPECT_EQ(40, leg.upper);
    EXPECT_EQ(65, leg.lower);
    EXPECT_EQ(30, leg.ranges[kYawJoint].min);
    EXPECT_EQ(150, leg.ranges[kYawJoint].max);
    EXPECT_EQ(10, leg.ranges[kHipJoint].min);
    EXPECT_EQ(160, leg.ranges[kKneeJoint].max);
    EXPECT_FALSE(leg.servos[kYawJoint].has_value());
    ASSERT_TRUE(leg.servos[kHipJoint].has_value());
    EXPECT_TRUE(leg.servos[kHipJoint]->invert);
    ASSERT_TRUE(leg.servos[kKneeJoint].has_value());
    EXPECT_EQ(-10, leg.servos[kKneeJoint]->offset);
    EXPECT_EQ(1000, leg.servos[kKneeJoint]->pulseAtZero);
    EXPECT_EQ(2000, leg.servos[kKneeJoint]->pulseAtFull);
}

TEST(LegFileTest, AServoSectionKeepsItsDefaults) {
    LegDescription leg;
    std::string error;
    ASSERT_TRUE(ParseLegText("[servo.yaw]\n", "x.toml", leg, error)) << error;
    ASSERT_TRUE(leg.servos[kYawJoint].has_value());
    EXPECT_FALSE(leg.servos[kYawJoint]->invert);
    EXPECT_EQ(0, leg.servos[kYawJoint]->offset);
    EXPECT_EQ(500, leg.servos[kYawJoint]->pulseAtZero);
    EXPECT_EQ(2500, leg.servos[kYawJoint]->pulseAtFull);
}

struct BadFile {
    const char* text;
    const char* message;  // the whole line after "x.toml"
};

const BadFile kBadFiles[] = {
    {"uper = 10\n", ":1: unknown key 'uper'"},                                       // a typo
    {"upper = 10\n\n[knee]\nmni = 3\n", ":4: unknown key 'knee.mni'"},             // a typo in a table
    {"upper = 0\n", ":1: upper must be a whole number from 1 to 1000, not 0"},        // too short
    {"lower = 1001\n", ":1: lower must be a whole number from 1 to 1000, not 1001"},  // too long
    {"upper = 10.5\n", ":1: upper must be a whole number from 1 to 1000, not a fraction"},
    {"upper = \"10\"\n", ":1: upper must be a whole number from 1 to 1000, not a string"},
    {"[hip]\nmin = -1\n", ":2: hip.min must be a whole number from 0 to 180, not -1"},
    {"[yaw]\nmax = 181\n", ":2: yaw.max must be a whole number from 0 to 180, not 181"},
    {"[knee]\nmin = 100\nmax = 90\n", ":1: knee.min (100) is above knee.max (90)"},
    {"hip = 5\n", ":1: hip must be a table, such as [hip]"},
    {"[servo.foot]\n", ":1: unknown key 'servo.foot'"},
    {"[servo.hip]\ninvert = 1\n", ":2: servo.hip.invert must be true or false"},
    {"[servo.hip]\noffset = 10\n", ":1: servo.hip offset 10 takes hip angles 0..180 to servo degrees 10..190, beyond 0..180"},
    {"[hip]\nmin = 20\nmax = 170\n[servo.hip]\ninvert = true\noffset = -20\n",
     ":4: servo.hip offset -20 takes hip angles 20..170 to servo degrees -10..140, beyond 0..180"},
    {"[servo.knee]\npulse = [500]\n",
     ":2: servo.knee.pulse must be two whole numbers of microseconds from 0 to 100000, such as [500, 2500]"},
    {"[servo.knee]\npulse = [500, 2500.5]\n",
     ":2: servo.knee.pulse must be two whole numbers of microseconds from 0 to 100000, such as [500, 2500]"},
    {"[servo.knee]\npulse = [-1, 2500]\n",
     ":2: servo.knee.pulse must be two whole numbers of microseconds from 0 to 100000, such as [500, 2500]"},
    {"[servo.knee]\npulse = 1500\n",
     ":2: servo.knee.pulse must be two whole numbers of microseconds from 0 to 100000, such as [500, 2500]"},
};

TEST(LegFileTest, EveryBadFileIsRefusedWithOneLineNamingTheFileAndLine) {
    for (const BadFile& bad : kBadFiles) {
        LegDescription leg;
        leg.upper = 77;
        std::string error;
        EXPECT_FALSE(ParseLegText(bad.text, "x.toml", leg, error)) << bad.text;
        EXPECT_EQ(std::string("x.toml") + bad.message, error) << bad.text;
        EXPECT_EQ(77, leg.upper) << "a refused file changes nothing";
    }
}

TEST(LegFileTest, AControllerSectionAndChannels) {
    const std::string text =
        "[controller]\nprotocol = \"maestro\"\nport = \"/dev/serial/by-id/usb-Pololu-if00\"\nbaud = 115200\n"
        "device = 12\n[servo.yaw]\nchannel = 23\n[servo.knee]\ninvert = true\nchannel = 0\npulse = [0, 4095]\n";
    LegSetup setup;
    std::string error;
    ASSERT_TRUE(ParseLegText(text, "x.toml", setup, error)) << error;
    ASSERT_TRUE(setup.controller.has_value());
    EXPECT_EQ(Protocol::Maestro, setup.controller->protocol);
    EXPECT_EQ("/dev/serial/by-id/usb-Pololu-if00", setup.controller->port);
    EXPECT_EQ(115200, setup.controller->baud);
    EXPECT_EQ(std::optional<int>(12), setup.controller->device);
    EXPECT_EQ(std::optional<int>(23), setup.leg.servos[kYawJoint]->channel);
    EXPECT_FALSE(setup.leg.servos[kHipJoint].has_value());
    EXPECT_EQ(std::optional<int>(0), setup.leg.servos[kKneeJoint]->channel);
    EXPECT_TRUE(setup.leg.servos[kKneeJoint]->invert);

    // The defaults, and a channel that the narrowed joint range keeps within
    // the SSC-32's pulses: 400 + 2200 * 10 / 180 = 522 and 2478 at 170.
    ASSERT_TRUE(ParseLegText("[controller]\nprotocol = \"ssc32\"\n[hip]\nmin = 10\nmax = 170\n"
                             "[servo.hip]\nchannel = 31\npulse = [400, 2600]\n",
                             "x.toml", setup, error))
        << error;
    ASSERT_TRUE(setup.controller.has_value());
    EXPECT_EQ(Protocol::Ssc32, setup.controller->protocol);
    EXPECT_EQ("", setup.controller->port);  // given with --port
    EXPECT_EQ(9600, setup.controller->baud);
    EXPECT_EQ(100, setup.controller->moveMs);
    EXPECT_FALSE(setup.controller->device.has_value());

    // Channels without a controller are kept for whoever sends them; the
    // leg-only reader takes a file with a controller as well.
    ASSERT_TRUE(ParseLegText("[servo.hip]\nchannel = 3\n", "x.toml", setup, error)) << error;
    EXPECT_FALSE(setup.controller.has_value());
    EXPECT_EQ(std::optional<int>(3), setup.leg.servos[kHipJoint]->channel);
    LegDescription leg;
    ASSERT_TRUE(ParseLegText(text, "x.toml", leg, error)) << error;
    EXPECT_EQ(std::optional<int>(23), leg.servos[kYawJoint]->channel);
    // The example shows the section commented out: it runs without hardware.
    ASSERT_TRUE(ReadLegFile(TAVRIN_SOURCE_DIR "/legs/example.toml", setup, error)) << error;
    EXPECT_FALSE(setup.controller.has_value());
}

const BadFile kBadControllers[] = {
    {"[controller]\nprotocol = \"dynamixel\"\n[servo.hip]\nchannel = 1\n",
     ":2: controller.protocol must be \"ssc32\" or \"maestro\", not \"dynamixel\""},
    {"[controller]\nprotocol = 32\n", ":2: controller.protocol must be \"ssc32\" or \"maestro\", not a whole number"},
    {"[controller]\nport = \"COM3\"\n[servo.hip]\nchannel = 1\n",
     ":1: controller.protocol is missing: \"ssc32\" or \"maestro\""},
    {"controller = \"ssc32\"\n", ":1: controller must be a table, such as [controller]"},
    {"[controller]\nprotocol = \"ssc32\"\nspeed = 3\n", ":3: unknown key 'controller.speed'"},
    {"[controller]\nprotocol = \"ssc32\"\nport = \"\"\n",
     ":3: controller.port must be the port's name in quotes, such as \"/dev/ttyUSB0\" or \"COM3\""},
    {"[controller]\nprotocol = \"ssc32\"\n[servo.hip]\npulse = [500, 2500]\n",
     ":1: [controller] has nothing to drive: no [servo.JOINT] has a channel"},
    {"[controller]\nprotocol = \"ssc32\"\nbaud = 4800\n[servo.hip]\nchannel = 1\n",
     ":3: controller.baud must be one of 9600, 19200, 38400, 57600, 115200, not 4800"},
    {"[controller]\nprotocol = \"ssc32\"\nbaud = 9600.0\n",
     ":3: controller.baud must be one of 9600, 19200, 38400, 57600, 115200, not a fraction"},
    {"[controller]\nprotocol = \"ssc32\"\ndevice = 12\n[servo.hip]\nchannel = 1\n",
     ":3: controller.device is for maestro only, not ssc32"},
    {"[controller]\nprotocol = \"maestro\"\nmove_ms = 100\n[servo.hip]\nchannel = 1\n",
     ":3: controller.move_ms is for ssc32 only, not maestro"},
    {"[controller]\nprotocol = \"ssc32\"\nmove_ms = 65536\n",
     ":3: controller.move_ms must be a whole number from 0 to 65535, not 65536"},
    {"[controller]\nprotocol = \"maestro\"\ndevice = 128\n",
     ":3: controller.device must be a whole number from 0 to 127, not 128"},
    {"[servo.hip]\nchannel = 32\n", ":2: servo.hip.channel must be a whole number from 0 to 31, not 32"},
    {"[servo.hip]\nchannel = -1\n", ":2: servo.hip.channel must be a whole number from 0 to 31, not -1"},
    {"[controller]\nprotocol = \"maestro\"\n[servo.knee]\nchannel = 24\n",
     ":4: servo.knee.channel must be a whole number from 0 to 23 for maestro, not 24"},
    {"[servo.yaw]\nchannel = 5\n[servo.knee]\nchannel = 5\n", ":4: servo.knee.channel 5 is servo.yaw's channel already"},
    {"[controller]\nprotocol = \"ssc32\"\n[servo.hip]\nchannel = 0\npulse = [400, 2600]\n",
     ":3: servo.hip pulses 400..2600 us over hip angles 0..180 are beyond ssc32's 500..2500"},
    {"[controller]\nprotocol = \"ssc32\"\n[knee]\nmin = 20\n[servo.knee]\ninvert = true\nchannel = 0\npulse = [400, 2400]\n",
     ":5: servo.knee pulses 400..2178 us over knee angles 20..180 are beyond ssc32's 500..2500"},
    {"[controller]\nprotocol = \"maestro\"\n[servo.yaw]\nchannel = 0\npulse = [1000, 5000]\n",
     ":3: servo.yaw pulses 1000..5000 us over yaw angles 0..180 are beyond maestro's 0..4095"},
};

TEST(LegFileTest, EveryControllerMistakeIsRefusedWithItsLine) {
    for (const BadFile& bad : kBadControllers) {
        LegSetup setup;
        setup.leg.upper = 77;
        std::string error;
        EXPECT_FALSE(ParseLegText(bad.text, "x.toml", setup, error)) << bad.text;
        EXPECT_EQ(std::string("x.toml") + bad.message, error) << bad.text;
        EXPECT_EQ(77, setup.leg.upper) << "a refused file changes nothing";
        EXPECT_FALSE(setup.controller.has_value());
    }
}

TEST(LegFileTest, SyntaxErrorsNameTheirLine) {
    const struct {
        std::string text;
        const char* start;
    } cases[] = {
        {"upper = \n", "x.toml:1: not valid TOML: "},
        {"upper = 10\nupper = 11\n", "x.toml:2: not valid TOML: "},    // a key given twice
        {"upper = 10\n[hip\nmin = 1\n", "x.toml:2: not valid TOML: "},  // an unclosed header
        {"upper = t\nlower = 2\n", "x.toml:1: not valid TOML: "},      // the parser quotes a line break
        {std::string("upper = 1\0\n", 11), "x.toml:1: not valid TOML: "}, // a NUL byte
        {"upper = 1\n\xef\xba\xbf = 2\n", "x.toml:2: not valid TOML: "},     // a letter where a key goes
    };
    for (const auto& c : cases) {
        LegDescription leg;
        std::string error;
        EXPECT_FALSE(ParseLegText(c.text, "x.toml", leg, error)) << c.text;
        EXPECT_EQ(0u, error.rfind(c.start, 0)) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
}

TEST(LegFileTest, TextThatIsNotUtf8IsRefusedWithItsLine) {
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"upper = 1\n# \xff\xfe\n", "x.toml:2: not valid UTF-8 text"},            // stray bytes
        {"# \xc0\xaf\n", "x.toml:1: not valid UTF-8 text"},                        // an overlong '/'
        {"\n\n# \xed\xa0\x80\n", "x.toml:3: not valid UTF-8 text"},                // a surrogate
        {"# \xf4\x90\x80\x80\n", "x.toml:1: not valid UTF-8 text"},                // beyond U+10FFFF
        {"# \xe2\x82\n", "x.toml:1: not valid UTF-8 text"},                        // cut short
    };
    for (const auto& c : cases) {
        LegDescription leg;
        std::string error;
        EXPECT_FALSE(ParseLegText(c.text, "x.toml", leg, error)) << c.text;
        EXPECT_EQ(c.error, error);
    }
}

// Comments may hold any text, including the characters that a parser's
// blank test once stumbled on (U+FEBF), and a file may start with a BOM.
TEST(LegFileTest, CommentsMayHoldAnyCharacter) {
    const std::string text = "\xef\xbb\xbfupper = 40 # 40 mm, 90\xc2\xb0 ahead \xef\xba\xbf \xf0\x9f\xa6\xbf\nlower = 65\n";
    LegDescription leg;
    std::string error;
    ASSERT_TRUE(ParseLegText(text, "x.toml", leg, error)) << error;
    EXPECT_EQ(40, leg.upper);
    EXPECT_EQ(65, leg.lower);
}

TEST(LegFileTest, AFileThatCannotBeReadIsNamed) {
    LegDescription leg;
    std::string error;
    EXPECT_FALSE(ReadLegFile("/nonexistent/leg.toml", leg, error));
    EXPECT_EQ("/nonexistent/leg.toml: cannot open the leg file: No such file or directory", error);
    EXPECT_FALSE(ReadLegFile(TAVRIN_SOURCE_DIR "/legs", leg, error));
    // Windows refuses to open a directory; elsewhere reading it fails.
    EXPECT_EQ(0u, error.rfind(TAVRIN_SOURCE_DIR "/legs: cannot ", 0)) << error;
}

}  // namespace
