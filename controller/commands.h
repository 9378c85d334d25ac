// A pose as the bytes a servo controller is sent: pure functions from
// numbers to bytes, with no port and no clock.
#pragma once

#include <string>
#include <vector>

#include "controller/controller_settings.h"
#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"

struct ChannelPulse {
    int channel = 0;
    int microseconds = 0;
};

// The joints whose servo has a channel, yaw, hip and knee in that order,
// with the pulse width ServoFor gives for the pose's angle. The pose must be
// a solved one.
std::vector<ChannelPulse> ChannelPulses(const LegDescription& leg, const LegPose& pose);

// One SSC-32 group move: "#<channel>P<us>" for each pulse, "T<moveMs>" when
// moveMs > 0, then a carriage return: "#0P1500#1P1833T100\r".
std::string Ssc32GroupMove(const std::vector<ChannelPulse>& pulses, int moveMs);

// The Maestro's Set Target for each pulse, in quarter microseconds: the
// compact protocol's 0x84 without a device number, the Pololu protocol's
// 0xAA, device, 0x04 with one.
std::string MaestroSetTargets(const std::vector<ChannelPulse>& pulses, std::optional<int> device);

// These channels' pulses in the settings' protocol, as one command.
std::string PulsesCommand(const ControllerSettings& settings, const std::vector<ChannelPulse>& pulses);

// The pose's command in the settings' protocol.
std::string CommandFor(const ControllerSettings& settings, const LegDescription& leg, const LegPose& pose);

// What asks the controller whether it is there: the SSC-32's "Q\r", the
// Maestro's Get Errors.
std::string ProbeCommand(const ControllerSettings& settings);

// The length of the probe's answer: the SSC-32's '.' or '+', or the
// Maestro's two bytes of error bits.
size_t ProbeAnswerLength(const ControllerSettings& settings);

// What of the bytes received since the probe went out is the reply: a
// line that echoes (a half-duplex adapter, a loopback) hands back the
// probe's own bytes first, and they are skipped by what they are, never by
// a count. Empty while what came could still be the echo.
std::string ProbeReply(const std::string& sent, const std::string& received);

// Reads a whole answer: false for bytes that are not one. For the SSC-32
// errors is 0 and moving says whether a move was going on ('+'); for the
// Maestro errors holds its error bits, and bits that no Maestro defines
// (above bit 8) make the bytes no answer.
bool ReadProbeAnswer(const ControllerSettings& settings, const std::string& answer, int& errors, bool& moving);

// Bytes as upper-case hex pairs separated by spaces: "84 00 70 2E".
std::string HexPairs(const std::string& bytes);
