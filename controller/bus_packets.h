// Serial bus servos' packets: pure functions from ids and positions to the
// bytes on the wire, and a reader that finds the servos' replies in what
// comes back, as each maker's manual gives them.
//   lx16a       55 55 ID LEN CMD PARAMS... SUM        (Hiwonder/LewanSoul)
//   dynamixel2  FF FF FD 00 ID LEN_L LEN_H INST PARAMS... CRC_L CRC_H
//                                                     (ROBOTIS Protocol 2.0)
//   sts         FF FF ID LEN INST PARAMS... SUM       (Feetech STS)
// Words are little-endian in all three.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class BusProtocol { Lx16a, Dynamixel2, Sts };

// One servo's goal in its own position units.
struct ServoGoal {
    int id;
    int position;
};

// The broadcast id of every protocol: all servos act, none answers.
constexpr int kBroadcastId = 0xFE;

// ---------------------------------------------------------------------------
// LX-16A: the checksum is the low byte of ~(ID + LEN + CMD + params), LEN
// counting itself, CMD, the parameters and the checksum.
// ---------------------------------------------------------------------------
std::string Lx16aPacket(int id, int command, const std::string& params);
// SERVO_MOVE_TIME_WRITE (1): to position 0..1000 in timeMs 0..30000.
std::string Lx16aMoveTime(int id, int position, int timeMs);
// SERVO_POS_READ (28); the answer holds a signed 16-bit position.
std::string Lx16aPositionRead(int id);
// SERVO_LOAD_OR_UNLOAD_WRITE (31): 1 drives the motor, 0 lets it go.
std::string Lx16aTorque(int id, bool on);
// SERVO_ID_READ (14), which answers with the servo's id.
std::string Lx16aIdRead(int id);

// ---------------------------------------------------------------------------
// DYNAMIXEL Protocol 2.0: the CRC-16 of the manual (polynomial 0x8005,
// started at 0, not reflected) over every byte from the header to the last
// parameter; FF FF FD within the instruction and parameters is followed by
// an extra FD, which LEN counts and the CRC covers.
// ---------------------------------------------------------------------------
uint16_t Dynamixel2Crc(const std::string& bytes);
std::string Dynamixel2Packet(int id, int instruction, const std::string& params);
std::string Dynamixel2Ping(int id);
// Read (2) of length bytes from address.
std::string Dynamixel2Read(int id, int address, int length);
// Torque Enable (64) written with 1 or 0.
std::string Dynamixel2Torque(int id, bool on);
// One Sync Write (0x83) of Goal Position (116, four bytes) to every servo.
std::string Dynamixel2GoalPositions(const std::vector<ServoGoal>& goals);
// Present Position (132, four bytes) of one servo.
std::string Dynamixel2PositionRead(int id);

// ---------------------------------------------------------------------------
// Feetech STS: the checksum is the low byte of ~(ID + LEN + INST + params),
// LEN counting INST, the parameters and the checksum.
// ---------------------------------------------------------------------------
std::string StsPacket(int id, int instruction, const std::string& params);
std::string StsPing(int id);
std::string StsRead(int id, int address, int length);
// Torque enable (40) written with 1 or 0 (never 128, which would make the
// servo's present position its new middle).
std::string StsTorque(int id, bool on);
// One Sync Write (0x83) of the goal position block (42: position, time 0,
// speed 0, six bytes) to every servo. A position's sign is bit 15.
std::string StsGoalPositions(const std::vector<ServoGoal>& goals);
// Present position (56, two bytes) of one servo.
std::string StsPositionRead(int id);

// The single-servo move of each protocol, for jogging one joint.
std::string BusMove(BusProtocol protocol, int id, int position, int timeMs);
// Every servo's goal as one command: one move-with-time per servo for the
// lx16a, one Sync Write for the others.
std::string BusGoals(BusProtocol protocol, const std::vector<ServoGoal>& goals, int timeMs);
// The request for one servo's present position, and whether it answered.
std::string BusPositionRead(BusProtocol protocol, int id);
std::string BusTorque(BusProtocol protocol, int id, bool on);
std::string BusPing(BusProtocol protocol, int id);

// ---------------------------------------------------------------------------
// Replies
// ---------------------------------------------------------------------------

// A servo's answer: its id, its error byte (0 for the lx16a, which has
// none) and its parameters, unstuffed.
struct BusReply {
    int id = 0;
    int instruction = 0;  // lx16a: the command; dynamixel2: 0x55 for a status
    int error = 0;
    std::string params;
};

// Finds replies in the bytes that come back. A half-duplex adapter hands
// back what was sent before the answer: the reader is told each request
// and skips its echo by what it is, byte for byte, never by a count. Bytes
// that start no packet are passed over; a packet whose checksum or CRC is
// wrong is dropped and counted, never used, and the search goes on from
// the byte after its first.
class BusReader {
public:
    explicit BusReader(BusProtocol protocol) : protocol_(protocol) {}

    // A request went out: its echo, should it come, is not an answer.
    void Sent(const std::string& request);
    void Feed(const std::string& bytes);
    // The next whole reply, if one has come.
    bool Next(BusReply& reply);
    // Forgets what was received and any echo still awaited.
    void Clear();

    size_t BadPackets() const { return bad_; }

private:
    // What the packet at the front is: its whole length, 0 while it is
    // incomplete, or -1 when the front starts none.
    long FrameLength() const;
    bool Decode(size_t length, BusReply& reply);

    BusProtocol protocol_;
    std::string buffer_;
    std::string echo_;  // what of the last request has not come back yet
    size_t bad_ = 0;
};

// A reply's position in the servo's units: lx16a and dynamixel2 as
// two's-complement words (two and four bytes), sts with bit 15 as the
// sign. False when the parameters are not a position's.
bool ReplyPosition(BusProtocol protocol, const BusReply& reply, int& position);
// A Ping's model number (dynamixel2: two bytes), or -1 where the protocol
// reports none.
int ReplyModel(BusProtocol protocol, const BusReply& reply);
