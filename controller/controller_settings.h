// Where the leg's servo controller is and how it is spoken to, as the leg
// file's [controller] section gives it, and the limits of each protocol.
#pragma once

#include <optional>
#include <string>

enum class Protocol { Ssc32, Maestro };

struct ControllerSettings {
    Protocol protocol = Protocol::Ssc32;
    std::string port;             // a device path, or COMn on Windows
    int baud = 9600;
    int moveMs = 100;             // ssc32: the T of each group move; 0 sends none
    std::optional<int> device;    // maestro: the Pololu protocol's device number
};

// "ssc32" or "maestro", as the leg file and the window's title name them.
const char* ProtocolName(Protocol protocol);

// The protocol a leg file names, or false for a name that is none.
bool ProtocolNamed(const std::string& name, Protocol& protocol);

// The baud rates a port may be opened at, lowest first.
constexpr int kBaudRates[] = {9600, 19200, 38400, 57600, 115200};
bool IsBaudRate(int baud);

constexpr int kMaxMoveMs = 65535;
constexpr int kMaxMaestroDevice = 127;

// The highest channel number: the SSC-32 has 32, the largest Maestro 24.
int MaxChannel(Protocol protocol);

// The pulse widths in microseconds that the controller takes: the SSC-32's
// documented 500..2500; the Maestro's targets are 14 bits of quarter
// microseconds, and 4 * 4095 is the last whole microsecond among them.
struct PulseLimits {
    int min;
    int max;
};
PulseLimits PulseLimitsOf(Protocol protocol);
