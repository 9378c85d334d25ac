#include "controller/commands.h"

#include <algorithm>

namespace {

constexpr unsigned char kCompactSetTarget = 0x84;
constexpr unsigned char kCompactGetErrors = 0xA1;
constexpr unsigned char kPololuStart = 0xAA;
constexpr int kMaestroErrorBits = 0x01FF;
// The Pololu protocol's command bytes are the compact ones with the top bit
// cleared.
constexpr unsigned char kPololuSetTarget = kCompactSetTarget & 0x7F;
constexpr unsigned char kPololuGetErrors = kCompactGetErrors & 0x7F;

void AppendByte(std::string& bytes, int value) {
    bytes += static_cast<char>(static_cast<unsigned char>(value));
}

}  // namespace

std::vector<ChannelPulse> ChannelPulses(const LegDescription& leg, const LegPose& pose) {
    const std::array<int, kJointCount> angles = JointDegrees(pose);
    std::vector<ChannelPulse> pulses;
    for (int j = 0; j < kJointCount; ++j) {
        const std::optional<ServoSetting>& servo = leg.servos[j];
        if (!servo || !servo->channel) continue;
        pulses.push_back({*servo->channel, ServoFor(*servo, angles[j]).microseconds});
    }
    return pulses;
}

std::string Ssc32GroupMove(const std::vector<ChannelPulse>& pulses, int moveMs) {
    std::string text;
    for (const ChannelPulse& pulse : pulses) {
        text += "#" + std::to_string(pulse.channel) + "P" + std::to_string(pulse.microseconds);
    }
    if (moveMs > 0) text += "T" + std::to_string(moveMs);
    return text + "\r";
}

std::string MaestroSetTargets(const std::vector<ChannelPulse>& pulses, std::optional<int> device) {
    std::string bytes;
    for (const ChannelPulse& pulse : pulses) {
        // The target travels as two 7-bit halves of quarter microseconds.
        const int quarters = 4 * pulse.microseconds;
        if (device) {
            AppendByte(bytes, kPololuStart);
            AppendByte(bytes, *device);
            AppendByte(bytes, kPololuSetTarget);
        } else {
            AppendByte(bytes, kCompactSetTarget);
        }
        AppendByte(bytes, pulse.channel);
        AppendByte(bytes, quarters & 0x7F);
        AppendByte(bytes, (quarters >> 7) & 0x7F);
    }
    return bytes;
}

std::string PulsesCommand(const ControllerSettings& settings, const std::vector<ChannelPulse>& pulses) {
    if (settings.protocol == Protocol::Ssc32) return Ssc32GroupMove(pulses, settings.moveMs);
    return MaestroSetTargets(pulses, settings.device);
}

std::string CommandFor(const ControllerSettings& settings, const LegDescription& leg, const LegPose& pose) {
    return PulsesCommand(settings, ChannelPulses(leg, pose));
}

std::string ProbeCommand(const ControllerSettings& settings) {
    if (settings.protocol == Protocol::Ssc32) return "Q\r";
    std::string bytes;
    if (settings.device) {
        AppendByte(bytes, kPololuStart);
        AppendByte(bytes, *settings.device);
        AppendByte(bytes, kPololuGetErrors);
    } else {
        AppendByte(bytes, kCompactGetErrors);
    }
    return bytes;
}

size_t ProbeAnswerLength(const ControllerSettings& settings) {
    return settings.protocol == Protocol::Ssc32 ? 1 : 2;
}

bool ReadProbeAnswer(const ControllerSettings& settings, const std::string& answer, int& errors, bool& moving) {
    errors = 0;
    moving = false;
    if (answer.size() != ProbeAnswerLength(settings)) return false;
    if (settings.protocol == Protocol::Ssc32) {
        moving = answer[0] == '+';
        return answer[0] == '.' || answer[0] == '+';
    }
    // Error bits 0..7 first, then 8..15; the Maestro defines bits 0..8
    // (serial signal, overrun, buffer full, CRC, protocol, timeout and the
    // three script errors).
    const int bits = static_cast<unsigned char>(answer[0]) | static_cast<unsigned char>(answer[1]) << 8;
    if (bits & ~kMaestroErrorBits) return false;
    errors = bits;
    return true;
}

std::string ProbeReply(const std::string& sent, const std::string& received) {
    if (received.compare(0, sent.size(), sent) == 0) return received.substr(std::min(sent.size(), received.size()));
    if (sent.compare(0, received.size(), received) == 0) return "";
    return received;
}

std::string HexPairs(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : bytes) {
        unsigned char u = static_cast<unsigned char>(c);
        if (!text.empty()) text += ' ';
        text += digits[u >> 4];
        text += digits[u & 0x0F];
    }
    return text;
}
