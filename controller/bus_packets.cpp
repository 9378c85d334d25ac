#include "controller/bus_packets.h"

#include <algorithm>
#include <array>

namespace {

char Byte(int value) { return static_cast<char>(value & 0xFF); }
uint8_t At(const std::string& bytes, size_t i) { return static_cast<uint8_t>(bytes[i]); }

std::string Word16(int value) { return {Byte(value), Byte(value >> 8)}; }
std::string Word32(int value) {
    const uint32_t v = static_cast<uint32_t>(value);
    return {Byte(static_cast<int>(v)), Byte(static_cast<int>(v >> 8)), Byte(static_cast<int>(v >> 16)),
            Byte(static_cast<int>(v >> 24))};
}

// ~(sum) of bytes [from, to), low byte: the lx16a's and the sts's checksum.
uint8_t InvertedSum(const std::string& bytes, size_t from, size_t to) {
    unsigned sum = 0;
    for (size_t i = from; i < to; ++i) sum += At(bytes, i);
    return static_cast<uint8_t>(~sum & 0xFF);
}

// The CRC table of polynomial 0x8005, most significant bit first.
std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x8005) : (crc << 1);
        table[i] = static_cast<uint16_t>(crc & 0xFFFF);
    }
    return table;
}

// Instruction and parameters with an FD after every FF FF FD among them.
std::string Stuffed(const std::string& body) {
    std::string out;
    out.reserve(body.size() + 4);
    for (char c : body) {
        out += c;
        const size_t n = out.size();
        if (n >= 3 && At(out, n - 3) == 0xFF && At(out, n - 2) == 0xFF && At(out, n - 1) == 0xFD) out += Byte(0xFD);
    }
    return out;
}

// The stuffing taken out again: the FD after each FF FF FD dropped.
std::string Unstuffed(const std::string& body) {
    std::string out;
    out.reserve(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        out += body[i];
        const size_t n = out.size();
        if (n >= 3 && At(out, n - 3) == 0xFF && At(out, n - 2) == 0xFF && At(out, n - 1) == 0xFD &&
            i + 1 < body.size() && At(body, i + 1) == 0xFD) {
            ++i;
        }
    }
    return out;
}

constexpr int kLx16aMoveTime = 1;
constexpr int kLx16aIdRead = 14;
constexpr int kLx16aPositionRead = 28;
constexpr int kLx16aLoadOrUnload = 31;

constexpr int kPing = 0x01;
constexpr int kRead = 0x02;
constexpr int kWrite = 0x03;
constexpr int kSyncWrite = 0x83;
constexpr int kDynamixel2Status = 0x55;

constexpr int kDynamixel2TorqueEnable = 64;
constexpr int kDynamixel2GoalPosition = 116;
constexpr int kDynamixel2PresentPosition = 132;

constexpr int kStsTorqueEnable = 40;
constexpr int kStsGoalPosition = 42;
constexpr int kStsGoalBlock = 6;  // position, time, speed
constexpr int kStsPresentPosition = 56;

// A packet no longer than this is taken for one; anything longer is noise.
constexpr long kLongestPacket = 1024;

}  // namespace

std::string Lx16aPacket(int id, int command, const std::string& params) {
    std::string p = {Byte(0x55), Byte(0x55), Byte(id), Byte(static_cast<int>(params.size()) + 3), Byte(command)};
    p += params;
    p += static_cast<char>(InvertedSum(p, 2, p.size()));
    return p;
}

std::string Lx16aMoveTime(int id, int position, int timeMs) {
    return Lx16aPacket(id, kLx16aMoveTime, Word16(position) + Word16(timeMs));
}
std::string Lx16aPositionRead(int id) { return Lx16aPacket(id, kLx16aPositionRead, ""); }
std::string Lx16aTorque(int id, bool on) { return Lx16aPacket(id, kLx16aLoadOrUnload, {Byte(on ? 1 : 0)}); }
std::string Lx16aIdRead(int id) { return Lx16aPacket(id, kLx16aIdRead, ""); }

uint16_t Dynamixel2Crc(const std::string& bytes) {
    static const std::array<uint16_t, 256> table = MakeCrcTable();
    unsigned crc = 0;
    for (char c : bytes) crc = ((crc << 8) ^ table[((crc >> 8) ^ static_cast<uint8_t>(c)) & 0xFF]) & 0xFFFF;
    return static_cast<uint16_t>(crc);
}

std::string Dynamixel2Packet(int id, int instruction, const std::string& params) {
    const std::string body = Stuffed(std::string(1, Byte(instruction)) + params);
    std::string p = {Byte(0xFF), Byte(0xFF), Byte(0xFD), Byte(0x00), Byte(id)};
    p += Word16(static_cast<int>(body.size()) + 2);
    p += body;
    p += Word16(Dynamixel2Crc(p));
    return p;
}

std::string Dynamixel2Ping(int id) { return Dynamixel2Packet(id, kPing, ""); }
std::string Dynamixel2Read(int id, int address, int length) {
    return Dynamixel2Packet(id, kRead, Word16(address) + Word16(length));
}
std::string Dynamixel2Torque(int id, bool on) {
    return Dynamixel2Packet(id, kWrite, Word16(kDynamixel2TorqueEnable) + std::string(1, Byte(on ? 1 : 0)));
}
std::string Dynamixel2GoalPositions(const std::vector<ServoGoal>& goals) {
    std::string params = Word16(kDynamixel2GoalPosition) + Word16(4);
    for (const ServoGoal& g : goals) params += Byte(g.id) + Word32(g.position);
    return Dynamixel2Packet(kBroadcastId, kSyncWrite, params);
}
std::string Dynamixel2PositionRead(int id) { return Dynamixel2Read(id, kDynamixel2PresentPosition, 4); }

std::string StsPacket(int id, int instruction, const std::string& params) {
    std::string p = {Byte(0xFF), Byte(0xFF), Byte(id), Byte(static_cast<int>(params.size()) + 2), Byte(instruction)};
    p += params;
    p += static_cast<char>(InvertedSum(p, 2, p.size()));
    return p;
}

std::string StsPing(int id) { return StsPacket(id, kPing, ""); }
std::string StsRead(int id, int address, int length) { return StsPacket(id, kRead, {Byte(address), Byte(length)}); }
std::string StsTorque(int id, bool on) { return StsPacket(id, kWrite, {Byte(kStsTorqueEnable), Byte(on ? 1 : 0)}); }
std::string StsGoalPositions(const std::vector<ServoGoal>& goals) {
    std::string params = {Byte(kStsGoalPosition), Byte(kStsGoalBlock)};
    for (const ServoGoal& g : goals) {
        // The sign in bit 15, the size below it.
        const int word = g.position < 0 ? (0x8000 | (-g.position & 0x7FFF)) : (g.position & 0x7FFF);
        params += Byte(g.id) + Word16(word) + Word16(0) + Word16(0);
    }
    return StsPacket(kBroadcastId, kSyncWrite, params);
}
std::string StsPositionRead(int id) { return StsRead(id, kStsPresentPosition, 2); }

std::string BusMove(BusProtocol protocol, int id, int position, int timeMs) {
    return BusGoals(protocol, {ServoGoal{id, position}}, timeMs);
}

std::string BusGoals(BusProtocol protocol, const std::vector<ServoGoal>& goals, int timeMs) {
    switch (protocol) {
    case BusProtocol::Lx16a: {
        std::string all;
        for (const ServoGoal& g : goals) all += Lx16aMoveTime(g.id, g.position, timeMs);
        return all;
    }
    case BusProtocol::Dynamixel2: return Dynamixel2GoalPositions(goals);
    case BusProtocol::Sts: return StsGoalPositions(goals);
    }
    return {};
}

std::string BusPositionRead(BusProtocol protocol, int id) {
    switch (protocol) {
    case BusProtocol::Lx16a: return Lx16aPositionRead(id);
    case BusProtocol::Dynamixel2: return Dynamixel2PositionRead(id);
    case BusProtocol::Sts: return StsPositionRead(id);
    }
    return {};
}

std::string BusTorque(BusProtocol protocol, int id, bool on) {
    switch (protocol) {
    case BusProtocol::Lx16a: return Lx16aTorque(id, on);
    case BusProtocol::Dynamixel2: return Dynamixel2Torque(id, on);
    case BusProtocol::Sts: return StsTorque(id, on);
    }
    return {};
}

std::string BusPing(BusProtocol protocol, int id) {
    switch (protocol) {
    case BusProtocol::Lx16a: return Lx16aIdRead(id);
    case BusProtocol::Dynamixel2: return Dynamixel2Ping(id);
    case BusProtocol::Sts: return StsPing(id);
    }
    return {};
}

void BusReader::Sent(const std::string& request) { echo_ = request; }

void BusReader::Feed(const std::string& bytes) { buffer_ += bytes; }

void BusReader::Clear() {
    buffer_.clear();
    echo_.clear();
}

long BusReader::FrameLength() const {
    const size_t n = buffer_.size();
    auto at = [&](size_t i) { return At(buffer_, i); };
    switch (protocol_) {
    case BusProtocol::Lx16a: {
        if (at(0) != 0x55 || (n > 1 && at(1) != 0x55)) return -1;
        if (n < 4) return 0;
        const long length = at(3);
        if (length < 3) return -1;
        return static_cast<long>(n) >= length + 3 ? length + 3 : 0;
    }
    case BusProtocol::Dynamixel2: {
        const uint8_t header[] = {0xFF, 0xFF, 0xFD, 0x00};
        for (size_t i = 0; i < 4 && i < n; ++i) {
            if (at(i) != header[i]) return -1;
        }
        if (n < 7) return 0;
        const long length = at(5) | (at(6) << 8);
        if (length < 3 || length > kLongestPacket) return -1;
        return static_cast<long>(n) >= length + 7 ? length + 7 : 0;
    }
    case BusProtocol::Sts: {
        if (at(0) != 0xFF || (n > 1 && at(1) != 0xFF) || (n > 2 && at(2) == 0xFF)) return -1;
        if (n < 4) return 0;
        const long length = at(3);
        if (length < 2) return -1;
        return static_cast<long>(n) >= length + 4 ? length + 4 : 0;
    }
    }
    return -1;
}

bool BusReader::Decode(size_t length, BusReply& reply) {
    const std::string p = buffer_.substr(0, length);
    reply = BusReply{};
    switch (protocol_) {
    case BusProtocol::Lx16a:
        if (InvertedSum(p, 2, length - 1) != At(p, length - 1)) return false;
        reply.id = At(p, 2);
        reply.instruction = At(p, 4);
        reply.params = p.substr(5, length - 6);
        return true;
    case BusProtocol::Dynamixel2: {
        if (Dynamixel2Crc(p.substr(0, length - 2)) != (At(p, length - 2) | (At(p, length - 1) << 8))) return false;
        const std::string body = Unstuffed(p.substr(7, length - 9));
        reply.id = At(p, 4);
        reply.instruction = At(body, 0);
        const size_t first = reply.instruction == kDynamixel2Status ? 2 : 1;
        if (reply.instruction == kDynamixel2Status) {
            if (body.size() < 2) return false;
            reply.error = At(body, 1);
        }
        reply.params = body.substr(first);
        return true;
    }
    case BusProtocol::Sts:
        if (InvertedSum(p, 2, length - 1) != At(p, length - 1)) return false;
        reply.id = At(p, 2);
        reply.error = At(p, 4);
        reply.params = p.substr(5, length - 6);
        return true;
    }
    return false;
}

bool BusReader::Next(BusReply& reply) {
    for (;;) {
        // An awaited echo: passed over once it has come whole, waited for
        // while what came so far is the start of it, given up at the first
        // byte that differs (a line that does not echo).
        if (!echo_.empty() && !buffer_.empty()) {
            const size_t common = std::min(echo_.size(), buffer_.size());
            if (buffer_.compare(0, common, echo_, 0, common) == 0) {
                if (buffer_.size() < echo_.size()) return false;
                buffer_.erase(0, echo_.size());
            }
            echo_.clear();
        }
        if (buffer_.empty()) return false;
        const long length = FrameLength();
        if (length == 0) return false;
        if (length < 0) {
            buffer_.erase(0, 1);
            continue;
        }
        if (Decode(static_cast<size_t>(length), reply)) {
            buffer_.erase(0, static_cast<size_t>(length));
            return true;
        }
        ++bad_;
        buffer_.erase(0, 1);
    }
}

bool ReplyPosition(BusProtocol protocol, const BusReply& reply, int& position) {
    const std::string& b = reply.params;
    switch (protocol) {
    case BusProtocol::Lx16a:
        if (b.size() != 2) return false;
        position = static_cast<int16_t>(At(b, 0) | (At(b, 1) << 8));
        return true;
    case BusProtocol::Dynamixel2:
        if (b.size() != 4) return false;
        position = static_cast<int32_t>(static_cast<uint32_t>(At(b, 0)) | (static_cast<uint32_t>(At(b, 1)) << 8) |
                                        (static_cast<uint32_t>(At(b, 2)) << 16) |
                                        (static_cast<uint32_t>(At(b, 3)) << 24));
        return true;
    case BusProtocol::Sts: {
        if (b.size() != 2) return false;
        const int word = At(b, 0) | (At(b, 1) << 8);
        position = (word & 0x8000) ? -(word & 0x7FFF) : word;
        return true;
    }
    }
    return false;
}

int ReplyModel(BusProtocol protocol, const BusReply& reply) {
    if (protocol != BusProtocol::Dynamixel2 || reply.params.size() < 2) return -1;
    return At(reply.params, 0) | (At(reply.params, 1) << 8);
}
