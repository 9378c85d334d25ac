#include "tools/ik_controller.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "controller/commands.h"
#include "controller/serial_port.h"
#include "tools/exit_status.h"
#include "tools/ik_solve_line.h"
#include "tools/ik_text.h"

namespace {

// Long enough for any controller to answer at the lowest baud rate.
const int kAnswerWaitMs = 300;

const int kAutoBaudRates[] = {9600, 38400, 115200};

struct Options {
    std::string port;
    int baud = 0;       // 0: the leg file's
    bool autoBaud = false;
    int first = 0;      // the command word
};

int Refuse(const std::string& message) {
    std::fprintf(stderr, "tavrin-ik: %s\n", message.c_str());
    return kUsageError;
}

// Reads --port and --baud; false with error for a bad one.
bool ReadOptions(int count, char** args, Options& options, std::string& error) {
    int i = 0;
    for (; i < count && std::strncmp(args[i], "--", 2) == 0; i += 2) {
        const std::string option = args[i];
        if (option != "--port" && option != "--baud") break;
        if (i + 1 >= count) {
            error = option + " needs a value";
            return false;
        }
        const std::string value = args[i + 1];
        if (option == "--port") {
            if (value.empty()) {
                error = "--port needs a PATH";
                return false;
            }
            options.port = value;
        } else if (value == "auto") {
            options.autoBaud = true;
        } else {
            int rate = 0;
            bool digits = !value.empty() && value.size() <= 6 &&
                          value.find_first_not_of("0123456789") == std::string::npos;
            if (digits) rate = std::stoi(value);
            if (!IsBaudRate(rate)) {
                error = "--baud must be auto or one of 9600, 19200, 38400, 57600, 115200, not " + Quote(args[i + 1]);
                return false;
            }
            options.baud = rate;
        }
    }
    options.first = i;
    return true;
}

// The settings with the command line's port and baud in place of the file's.
bool SettingsFor(const LegSetup& setup, const Options& options, ControllerSettings& settings, std::string& error) {
    if (!setup.controller) {
        error = "needs a leg file with a [controller] section (--leg FILE)";
        return false;
    }
    settings = *setup.controller;
    if (!options.port.empty()) settings.port = options.port;
    if (options.baud) settings.baud = options.baud;
    if (settings.port.empty()) {
        error = "no port to send to: give controller.port in the leg file or --port PATH";
        return false;
    }
    return true;
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void Pause() {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Hands the whole of bytes to the port and waits until it has gone out.
bool SendAll(SerialPort& port, const std::string& bytes, std::string& error) {
    size_t written = 0;
    while (written < bytes.size()) {
        long taken = port.Write(bytes.data() + written, bytes.size() - written, error);
        if (taken < 0) return false;
        written += static_cast<size_t>(taken);
        if (written < bytes.size()) Pause();
    }
    return port.Drain(error);
}

int Send(const LegSetup& setup, const ControllerSettings& settings, char** xyz) {
    std::vector<float> v;
    std::string error;
    if (!ParseNumbers(xyz, 3, v, error)) return Refuse(error);
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(v[0], v[1], v[2]));
    IKSolver IK = setup.leg.Solver();
    IK.Solve(pose);
    std::string line = SolveLine(setup.leg, pose, IK.outOfRange);
    if (IK.outOfRange) {
        std::fputs((line + "\n").c_str(), stdout);
        return kOutOfReach;
    }
    const std::string command = CommandFor(settings, setup.leg, pose);
    SerialPort port;
    if (!port.Open(settings.port, settings.baud, error)) return Refuse(error);
    if (!SendAll(port, command, error)) {
        std::fprintf(stderr, "tavrin-ik: %s: %s\n", Printable(settings.port, kShownPortLength).c_str(), error.c_str());
        return kNotDone;
    }
    const std::string sent = settings.protocol == Protocol::Ssc32 ? JsonString(command) : JsonString(HexPairs(command));
    line.insert(line.size() - 1, ",\"sent\":" + sent);
    std::fputs((line + "\n").c_str(), stdout);
    return 0;
}

// One probe at the settings' baud rate: 1 answered, 0 not, -1 the port
// could not be opened or written (error set).
int ProbeOnce(const ControllerSettings& settings, int& errors, std::string& error) {
    SerialPort port;
    if (!port.Open(settings.port, settings.baud, error)) return -1;
    port.DiscardInput();
    const std::string probe = ProbeCommand(settings);
    if (!SendAll(port, probe, error)) return -1;
    const size_t length = ProbeAnswerLength(settings);
    std::string received;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerWaitMs);
    while (ProbeReply(probe, received).size() < length && std::chrono::steady_clock::now() < end) {
        char buffer[16];
        long got = port.Read(buffer, 1, error);
        if (got < 0) return -1;
        received.append(buffer, static_cast<size_t>(got));
        if (got == 0) Pause();
    }
    bool moving = false;
    return ReadProbeAnswer(settings, ProbeReply(probe, received), errors, moving) ? 1 : 0;
}

int Probe(ControllerSettings settings, bool autoBaud) {
    std::vector<int> rates = {settings.baud};
    if (autoBaud) rates.assign(std::begin(kAutoBaudRates), std::end(kAutoBaudRates));
    for (int rate : rates) {
        settings.baud = rate;
        int errors = 0;
        std::string error;
        int answered = ProbeOnce(settings, errors, error);
        if (answered < 0) return Refuse(error);
        if (answered == 0) continue;
        std::string line = "{\"answered\":true,\"errors\":" + std::to_string(errors);
        if (autoBaud) line += ",\"baud\":" + std::to_string(rate);
        std::fputs((line + "}\n").c_str(), stdout);
        return 0;
    }
    std::fputs("{\"answered\":false}\n", stdout);
    return kNotDone;
}

// jog JOINT US: that one servo's pulse, the others not at all, for finding
// by hand the pulse that puts a joint where it should be.
int Jog(const LegSetup& setup, const ControllerSettings& settings, char** args) {
    Joint joint = kYawJoint;
    if (!JointNamed(args[0], joint)) return Refuse("jog takes yaw, hip or knee, not " + Quote(args[0]));
    const std::optional<ServoSetting>& servo = setup.leg.servos[joint];
    if (!servo || !servo->channel) {
        return Refuse(std::string("jog ") + args[0] + ": [servo." + args[0] + "] has no channel to send to");
    }
    const PulseLimits limits = PulseLimitsOf(settings.protocol);
    const std::string text = args[1];
    const bool digits = !text.empty() && text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos;
    const int us = digits ? std::stoi(text) : -1;
    if (us < limits.min || us > limits.max) {
        return Refuse("jog takes whole microseconds from " + std::to_string(limits.min) + " to " +
                      std::to_string(limits.max) + " for " + ProtocolName(settings.protocol) + ", not " +
                      Quote(args[1]));
    }
    const std::string command = PulsesCommand(settings, {{*servo->channel, us}});
    SerialPort port;
    std::string error;
    if (!port.Open(settings.port, settings.baud, error)) return Refuse(error);
    if (!SendAll(port, command, error)) {
        std::fprintf(stderr, "tavrin-ik: %s: %s\n", Printable(settings.port, kShownPortLength).c_str(), error.c_str());
        return kNotDone;
    }
    const std::string sent = settings.protocol == Protocol::Ssc32 ? JsonString(command) : JsonString(HexPairs(command));
    std::printf("{\"joint\":\"%s\",\"us\":%d,\"sent\":%s}\n", JointName(joint), us, sent.c_str());
    return 0;
}

}  // namespace

bool IsControllerCommand(int count, char** args) {
    int i = 0;
    while (i + 1 < count && (std::strcmp(args[i], "--port") == 0 || std::strcmp(args[i], "--baud") == 0)) i += 2;
    return i < count && (std::strcmp(args[i], "send") == 0 || std::strcmp(args[i], "probe") == 0 ||
                         std::strcmp(args[i], "jog") == 0);
}

int RunControllerCommand(const LegSetup& setup, int count, char** args) {
    Options options;
    std::string error;
    if (!ReadOptions(count, args, options, error)) return Refuse(error);
    const std::string command = args[options.first];
    char** rest = args + options.first + 1;
    const int restCount = count - options.first - 1;
    ControllerSettings settings;
    if (!SettingsFor(setup, options, settings, error)) return Refuse(command + " " + error);
    if (command == "send") {
        if (options.autoBaud) return Refuse("send needs a baud rate, not --baud auto");
        if (restCount < 3) return Refuse("send needs X Y Z");
        if (restCount > 3) return Refuse("unexpected argument: " + Quote(rest[3]));
        return Send(setup, settings, rest);
    }
    if (command == "jog") {
        if (options.autoBaud) return Refuse("jog needs a baud rate, not --baud auto");
        if (restCount < 2) return Refuse("jog needs JOINT US");
        if (restCount > 2) return Refuse("unexpected argument: " + Quote(rest[2]));
        return Jog(setup, settings, rest);
    }
    if (restCount > 0) return Refuse("unexpected argument: " + Quote(rest[0]));
    if (options.autoBaud && settings.protocol != Protocol::Ssc32) {
        return Refuse("--baud auto is for ssc32: the Maestro finds the baud rate itself");
    }
    return Probe(settings, options.autoBaud);
}
