// The bus servos' bytes against the makers' worked examples (the ROBOTIS
// Protocol 2.0 e-Manual's and the Feetech protocol manual's packets, with
// their CRCs and checksums), packets built by the manuals' rules where a
// manual gives none (every lx16a packet, DYNAMIXEL byte stuffing), ids at
// the ends of their range; and replies found behind echoes, garbage, bad
// checksums and reads split anywhere.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controller/bus_packets.h"
#include "controller/commands.h"

namespace {

// "FF FF FD 00" into its bytes.
std::string Bytes(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

struct PacketCase {
    const char* what;
    std::string packet;
    const char* expected;
};

TEST(BusPacketsTest, EqualTheManualsAndTheirRules) {
    const PacketCase cases[] = {
        // DYNAMIXEL Protocol 2.0 e-Manual.
        {"dynamixel2 ping id 1", Dynamixel2Ping(1), "FF FF FD 00 01 03 00 01 19 4E"},
        {"dynamixel2 ping broadcast", Dynamixel2Ping(kBroadcastId), "FF FF FD 00 FE 03 00 01 31 42"},
        {"dynamixel2 read present position id 1", Dynamixel2PositionRead(1), "FF FF FD 00 01 07 00 02 84 00 04 00 1D 15"},
        {"dynamixel2 sync write 150 and 170", Dynamixel2GoalPositions({{1, 150}, {2, 170}}),
         "FF FF FD 00 FE 11 00 83 74 00 04 00 01 96 00 00 00 02 AA 00 00 00 82 87"},
        {"dynamixel2 write goal 512 id 1", Dynamixel2Packet(1, 0x03, Bytes("74 00 00 02 00 00")),
         "FF FF FD 00 01 09 00 03 74 00 00 02 00 00 CA 89"},
        // By the e-Manual's rules: torque, stuffing (LEN counts the FD).
        {"dynamixel2 torque on id 1", Dynamixel2Torque(1, true), "FF FF FD 00 01 06 00 03 40 00 01 DB 66"},
        {"dynamixel2 stuffed parameters", Dynamixel2Packet(1, 0x03, Bytes("74 00 FF FF FD 00")),
         "FF FF FD 00 01 0A 00 03 74 00 FF FF FD FD 00 21 E7"},
        // Feetech protocol manual.
        {"sts ping id 1", StsPing(1), "FF FF 01 02 01 FB"},
        {"sts read present position id 1", StsPositionRead(1), "FF FF 01 04 02 38 02 BE"},
        // By its rules: torque, the goal block to two servos, ids 0 and 253.
        {"sts torque on id 1", StsTorque(1, true), "FF FF 01 04 03 28 01 CE"},
        {"sts sync write 2048 to 1 and 2", StsGoalPositions({{1, 2048}, {2, 2048}}),
         "FF FF FE 12 83 2A 06 01 00 08 00 00 00 00 02 00 08 00 00 00 00 29"},
        {"sts ends of the id range", StsGoalPositions({{0, 0}, {253, 4095}}),
         "FF FF FE 12 83 2A 06 00 00 00 00 00 00 00 FD FF 0F 00 00 00 00 31"},
        {"sts negative position", StsGoalPositions({{1, -10}}), "FF FF FE 0B 83 2A 06 01 0A 80 00 00 00 00 B8"},
        // The lx16a protocol's rules (its manual gives no packet).
        {"lx16a move id 1 to 500 in 1000 ms", Lx16aMoveTime(1, 500, 1000), "55 55 01 07 01 F4 01 E8 03 16"},
        {"lx16a position read id 1", Lx16aPositionRead(1), "55 55 01 03 1C DF"},
        {"lx16a torque on id 1", Lx16aTorque(1, true), "55 55 01 04 1F 01 DA"},
        {"lx16a torque off id 1", Lx16aTorque(1, false), "55 55 01 04 1F 00 DB"},
        {"lx16a id read broadcast", Lx16aIdRead(kBroadcastId), "55 55 FE 03 0E F0"},
        {"lx16a ends of the id range", Lx16aMoveTime(0, 0, 0) + Lx16aMoveTime(253, 1000, 30000),
         "55 55 00 07 01 00 00 00 00 F7 55 55 FD 07 01 E8 03 30 75 6A"},
        {"lx16a pose, one move per servo", BusGoals(BusProtocol::Lx16a, {{1, 500}, {2, 0}}, 1000),
         "55 55 01 07 01 F4 01 E8 03 16 55 55 02 07 01 00 00 E8 03 0A"},
        {"dynamixel2 ends of the id range", Dynamixel2GoalPositions({{0, 0}, {252, 4095}}),
         "FF FF FD 00 FE 11 00 83 74 00 04 00 00 00 00 00 00 FC FF 0F 00 00 5B 08"},
    };
    for (const PacketCase& c : cases) EXPECT_EQ(c.expected, HexPairs(c.packet)) << c.what;
}

TEST(BusPacketsTest, CrcOfTheCheckString) {
    EXPECT_EQ(0xFEE8, Dynamixel2Crc("123456789"));
}

// Replies of every protocol through a reader that was told its request,
// the bytes arriving one at a time: the echo first, then the answer.
struct ReplyCase {
    BusProtocol protocol;
    std::string request;
    const char* reply;
    int id;
    int position;  // INT32_MIN for no position
};

TEST(BusReaderTest, EchoThenReplyInAnyPieces) {
    const ReplyCase cases[] = {
        {BusProtocol::Dynamixel2, Dynamixel2PositionRead(1), "FF FF FD 00 01 08 00 55 00 A6 00 00 00 8C C0", 1, 166},
        {BusProtocol::Sts, StsPositionRead(1), "FF FF 01 04 00 18 05 DD", 1, 1304},
        {BusProtocol::Lx16a, Lx16aPositionRead(1), "55 55 01 05 1C F4 01 E8", 1, 500},
        {BusProtocol::Lx16a, Lx16aPositionRead(1), "55 55 01 05 1C F6 FF E8", 1, -10},
    };
    for (const ReplyCase& c : cases) {
        for (bool echoes : {true, false}) {
            for (size_t piece : {size_t{1}, size_t{3}, size_t{64}}) {
                SCOPED_TRACE(HexPairs(c.request) + (echoes ? " echoed" : " not echoed") + ", pieces of " +
                             std::to_string(piece));
                BusReader reader(c.protocol);
                reader.Sent(c.request);
                const std::string wire = (echoes ? c.request : std::string()) + Bytes(c.reply);
                BusReply reply;
                bool found = false;
                for (size_t at = 0; at < wire.size(); at += piece) {
                    EXPECT_FALSE(found) << "a reply before its last byte";
                    reader.Feed(wire.substr(at, piece));
                    found = reader.Next(reply);
                }
                ASSERT_TRUE(found);
                EXPECT_EQ(c.id, reply.id);
                int position = 0;
                ASSERT_TRUE(ReplyPosition(c.protocol, reply, position));
                EXPECT_EQ(c.position, position);
                EXPECT_FALSE(reader.Next(reply));
                EXPECT_EQ(0u, reader.BadPackets());
            }
        }
    }
}

TEST(BusReaderTest, GarbageAndBadChecksumsAreDroppedAndCounted) {
    // Noise, a reply whose CRC is off by one, noise, then a good reply.
    const std::string good = Bytes("FF FF FD 00 01 08 00 55 00 A6 00 00 00 8C C0");
    std::string bad = good;
    bad.back() = static_cast<char>(bad.back() ^ 1);
    BusReader reader(BusProtocol::Dynamixel2);
    reader.Feed(Bytes("00 FF 13 FF FF") + bad + Bytes("FD FF") + good);
    BusReply reply;
    ASSERT_TRUE(reader.Next(reply));
    int position = 0;
    ASSERT_TRUE(ReplyPosition(BusProtocol::Dynamixel2, reply, position));
    EXPECT_EQ(166, position);
    EXPECT_EQ(1u, reader.BadPackets());
    EXPECT_FALSE(reader.Next(reply));

    BusReader sts(BusProtocol::Sts);
    sts.Feed(Bytes("FF FF 01 04 00 18 05 DE") + Bytes("FF FF 01 04 00 18 05 DD"));
    ASSERT_TRUE(sts.Next(reply));
    EXPECT_EQ(1u, sts.BadPackets());
}

TEST(BusReaderTest, StuffedRepliesAndModels) {
    // A status whose parameters hold FF FF FD: the servo stuffs them.
    const std::string stuffed =
        Dynamixel2Packet(3, 0x55, Bytes("00") + Bytes("FF FF FD 00"));  // error 0, position bytes
    BusReader reader(BusProtocol::Dynamixel2);
    reader.Feed(stuffed);
    BusReply reply;
    ASSERT_TRUE(reader.Next(reply));
    EXPECT_EQ(3, reply.id);
    EXPECT_EQ("FF FF FD 00", HexPairs(reply.params));
    // The e-Manual's Ping reply: model 1030, firmware 38.
    reader.Feed(Bytes("FF FF FD 00 01 07 00 55 00 06 04 26 65 5D"));
    ASSERT_TRUE(reader.Next(reply));
    EXPECT_EQ(1030, ReplyModel(BusProtocol::Dynamixel2, reply));
    EXPECT_EQ(-1, ReplyModel(BusProtocol::Sts, reply));
}

// A line that does not echo, whose reply starts as the request did: the
// reader waits while they agree and reads the reply once they part.
TEST(BusReaderTest, ReplyThatBeginsLikeTheRequest) {
    BusReader reader(BusProtocol::Sts);
    reader.Sent(StsPositionRead(1));  // FF FF 01 04 02 38 02 BE
    BusReply reply;
    reader.Feed(Bytes("FF FF 01 04"));
    EXPECT_FALSE(reader.Next(reply));
    reader.Feed(Bytes("00 18 05 DD"));
    ASSERT_TRUE(reader.Next(reply));
    EXPECT_EQ(0, reply.error);
}

}  // namespace
