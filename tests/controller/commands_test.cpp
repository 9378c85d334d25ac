// A pose as bytes: the documented examples byte for byte, servos mounted
// the other way and offset, joints without a channel, and the probes.
#include <string>

#include <gtest/gtest.h>

#include "controller/commands.h"

namespace {

LegPose Pose(int yaw, int hip, int knee) {
    LegPose pose;
    pose.yawDeg = yaw;
    pose.hipDeg = hip;
    pose.kneeDeg = knee;
    return pose;
}

// Every joint on a default servo (500..2500 us), channels 0, 1, 2.
LegDescription ChannelledLeg() {
    LegDescription leg;
    for (int j = 0; j < kJointCount; ++j) {
        leg.servos[j] = ServoSetting{};
        leg.servos[j]->channel = j;
    }
    return leg;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes += static_cast<char>(v);
    return bytes;
}

TEST(CommandsTest, Ssc32GroupMoves) {
    LegDescription mounted = ChannelledLeg();
    mounted.servos[kHipJoint]->invert = true;     // 180 - 120 = 60 degrees: 1167 us
    mounted.servos[kKneeJoint]->offset = -10;     // 60 - 10 = 50 degrees
    mounted.servos[kKneeJoint]->pulseAtZero = 1000;
    mounted.servos[kKneeJoint]->pulseAtFull = 2000;  // 1000 + 1000 * 50 / 180 = 1277.8
    LegDescription sparse = ChannelledLeg();
    sparse.servos[kYawJoint].reset();             // no servo: not sent
    sparse.servos[kHipJoint]->channel.reset();    // a servo without a channel: not sent
    sparse.servos[kKneeJoint]->channel = 17;
    LegDescription reordered = ChannelledLeg();
    reordered.servos[kYawJoint]->channel = 31;    // joints go yaw, hip, knee whatever their channels
    reordered.servos[kHipJoint]->channel = 4;
    const struct {
        const char* name;
        LegDescription leg;
        int moveMs;
        const char* bytes;
    } rows[] = {
        {"the documented example", ChannelledLeg(), 100, "#0P1500#1P1833#2P1167T100\r"},
        {"no T when move_ms is 0", ChannelledLeg(), 0, "#0P1500#1P1833#2P1167\r"},
        {"the largest T", ChannelledLeg(), 65535, "#0P1500#1P1833#2P1167T65535\r"},
        {"inverted and offset servos", mounted, 100, "#0P1500#1P1167#2P1278T100\r"},
        {"only channelled joints", sparse, 250, "#17P1167T250\r"},
        {"joint order, not channel order", reordered, 100, "#31P1500#4P1833#2P1167T100\r"},
    };
    for (const auto& row : rows) {
        ControllerSettings settings;
        settings.moveMs = row.moveMs;
        EXPECT_EQ(row.bytes, CommandFor(settings, row.leg, Pose(90, 120, 60))) << row.name;
        EXPECT_EQ(row.bytes, Ssc32GroupMove(ChannelPulses(row.leg, Pose(90, 120, 60)), row.moveMs)) << row.name;
    }
}

TEST(CommandsTest, MaestroSetTargets) {
    const struct {
        const char* name;
        std::vector<ChannelPulse> pulses;
        std::optional<int> device;
        std::string bytes;
    } rows[] = {
        // 1500 us is 6000 quarters, 0x1770: low seven bits 0x70, high 0x2E.
        {"compact, documented", {{0, 1500}}, std::nullopt, Bytes({0x84, 0x00, 0x70, 0x2E})},
        {"pololu, documented", {{0, 1500}}, 12, Bytes({0xAA, 0x0C, 0x04, 0x00, 0x70, 0x2E})},
        {"the highest target", {{23, 4095}}, std::nullopt, Bytes({0x84, 0x17, 0x7C, 0x7F})},
        {"zero: the Maestro's off", {{5, 0}}, 127, Bytes({0xAA, 0x7F, 0x04, 0x05, 0x00, 0x00})},
        {"one after another", {{1, 1000}, {2, 2000}}, std::nullopt,
         Bytes({0x84, 0x01, 0x20, 0x1F, 0x84, 0x02, 0x40, 0x3E})},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HexPairs(row.bytes), HexPairs(MaestroSetTargets(row.pulses, row.device))) << row.name;
    }
    // The whole path from a pose, with a mounted servo.
    LegDescription leg = ChannelledLeg();
    leg.servos[kYawJoint].reset();
    leg.servos[kHipJoint]->invert = true;  // 180 - 90 = 90 degrees: 1500 us
    ControllerSettings settings;
    settings.protocol = Protocol::Maestro;
    EXPECT_EQ("84 01 70 2E 84 02 70 2E", HexPairs(CommandFor(settings, leg, Pose(0, 90, 90))));
    settings.device = 12;
    EXPECT_EQ("AA 0C 04 01 70 2E AA 0C 04 02 70 2E", HexPairs(CommandFor(settings, leg, Pose(0, 90, 90))));
}

TEST(CommandsTest, ProbesAndTheirAnswers) {
    ControllerSettings ssc32;
    ControllerSettings compact;
    compact.protocol = Protocol::Maestro;
    ControllerSettings pololu = compact;
    pololu.device = 12;
    EXPECT_EQ("Q\r", ProbeCommand(ssc32));
    EXPECT_EQ("A1", HexPairs(ProbeCommand(compact)));
    EXPECT_EQ("AA 0C 21", HexPairs(ProbeCommand(pololu)));

    const struct {
        const ControllerSettings* settings;
        std::string answer;
        bool valid;
        int errors;
        bool moving;
    } rows[] = {
        {&ssc32, ".", true, 0, false},
        {&ssc32, "+", true, 0, true},
        {&ssc32, "x", false, 0, false},
        {&ssc32, "..", false, 0, false},
        {&compact, Bytes({0x00, 0x00}), true, 0, false},
        {&pololu, Bytes({0x10, 0x01}), true, 0x0110, false},  // low byte first
        {&compact, Bytes({0x10}), false, 0, false},            // cut short
        {&compact, Bytes({0xFF, 0x01}), true, 0x01FF, false},  // every error bit a Maestro defines
        {&pololu, Bytes({0xAA, 0x0C}), false, 0, false},       // its own probe echoed: bits no Maestro has
        {&compact, "ga", false, 0, false},                     // text
    };
    for (const auto& row : rows) {
        int errors = -1;
        bool moving = true;
        EXPECT_EQ(row.valid, ReadProbeAnswer(*row.settings, row.answer, errors, moving)) << HexPairs(row.answer);
        if (!row.valid) continue;
        EXPECT_EQ(row.errors, errors) << HexPairs(row.answer);
        EXPECT_EQ(row.moving, moving) << HexPairs(row.answer);
    }
}

// A line that echoes hands the probe back before the reply: the echo is
// skipped by what it is, whatever arrives of it at a time.
TEST(CommandsTest, TheProbeReplyFollowsAnEchoOfTheProbe) {
    const std::string probe = Bytes({0xAA, 0x0C, 0x21});
    const struct {
        std::string received;
        std::string reply;
    } rows[] = {
        {"", ""},
        {Bytes({0xAA, 0x0C}), ""},                            // the echo so far
        {probe, ""},                                          // the echo, no reply yet
        {probe + Bytes({0x00}), Bytes({0x00})},               // the reply begins
        {probe + Bytes({0x00, 0x00}), Bytes({0x00, 0x00})},   // echo, then the reply
        {Bytes({0x00, 0x00}), Bytes({0x00, 0x00})},           // no echo
        {Bytes({0xAA, 0x00}), Bytes({0xAA, 0x00})},           // starts like the echo, then is not
    };
    for (const auto& row : rows) EXPECT_EQ(HexPairs(row.reply), HexPairs(ProbeReply(probe, row.received)));
}

TEST(CommandsTest, SettingsNamesAndLimits) {
    Protocol p = Protocol::Ssc32;
    EXPECT_TRUE(ProtocolNamed("maestro", p));
    EXPECT_EQ(Protocol::Maestro, p);
    EXPECT_STREQ("maestro", ProtocolName(p));
    EXPECT_FALSE(ProtocolNamed("SSC32", p));
    EXPECT_FALSE(ProtocolNamed("", p));
    EXPECT_TRUE(IsBaudRate(115200));
    EXPECT_FALSE(IsBaudRate(4800));
    EXPECT_EQ(31, MaxChannel(Protocol::Ssc32));
    EXPECT_EQ(23, MaxChannel(Protocol::Maestro));
    // 4095 us is the highest whole microsecond in 14 bits of quarters.
    EXPECT_LE(4 * PulseLimitsOf(Protocol::Maestro).max, 0x3FFF);
    EXPECT_GT(4 * (PulseLimitsOf(Protocol::Maestro).max + 1), 0x3FFF);
}

}  // namespace
