#include "tools/ik_calibrate.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "controller/servo_fit.h"
#include "legfile/leg_file_edit.h"
#include "text/quote.h"
#include "tools/exit_status.h"

namespace {

int Refuse(const std::string& message) {
    std::fprintf(stderr, "tavrin-ik: %s (see tavrin-ik --help)\n", message.c_str());
    return kUsageError;
}

// A whole number of at most six digits, with an optional minus.
bool ReadWhole(const std::string& text, int& value) {
    const size_t digitsAt = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() <= digitsAt || text.size() > digitsAt + 6) return false;
    if (text.find_first_not_of("0123456789", digitsAt) != std::string::npos) return false;
    value = std::stoi(text);
    return true;
}

// "A=U": a mark at a whole model angle 0..180.
bool ReadMark(const char* text, CalibrationMark& mark) {
    const std::string s = text;
    const size_t equals = s.find('=');
    return equals != std::string::npos && ReadWhole(s.substr(0, equals), mark.angle) && mark.angle >= 0 &&
           mark.angle <= 180 && ReadWhole(s.substr(equals + 1), mark.pulse);
}

// "U_SMALL,U_LARGE".
bool ReadStops(const char* text, int& small, int& large) {
    const std::string s = text;
    const size_t comma = s.find(',');
    return comma != std::string::npos && ReadWhole(s.substr(0, comma), small) && ReadWhole(s.substr(comma + 1), large);
}

}  // namespace

int RunCalibrate(const LegSetup& setup, const char* legFile, int count, char** args) {
    if (count < 3) return Refuse("calibrate needs JOINT A1=U1 A2=U2");
    Joint joint = kYawJoint;
    if (!JointNamed(args[0], joint)) return Refuse("calibrate takes yaw, hip or knee, not " + Quote(args[0]));
    CalibrationMark a{}, b{};
    for (int i : {1, 2}) {
        if (!ReadMark(args[i], i == 1 ? a : b)) {
            return Refuse("a mark is ANGLE=US, a whole angle 0..180 and whole microseconds, not " + Quote(args[i]));
        }
    }
    bool write = false, haveStops = false;
    int small = 0, large = 0;
    for (int i = 3; i < count; ++i) {
        if (std::strcmp(args[i], "--write") == 0) {
            write = true;
        } else if (std::strcmp(args[i], "--stops") == 0) {
            if (i + 1 >= count || !ReadStops(args[i + 1], small, large)) {
                return Refuse("--stops takes U_SMALL,U_LARGE, whole microseconds" +
                              (i + 1 < count ? ", not " + Quote(args[i + 1]) : std::string()));
            }
            haveStops = true;
            ++i;
        } else {
            return Refuse("unexpected argument: " + Quote(args[i]));
        }
    }
    if (write && !legFile) return Refuse("calibrate --write needs the leg file to write (--leg FILE)");
    const LegDescription& leg = setup.leg;
    ServoSetting fitted = leg.servos[joint] ? *leg.servos[joint] : ServoSetting{};
    std::string error;
    // The limits are checked over the range the stops leave, or the file's.
    ServoSetting trial = fitted;
    if (!FitServo(a, b, JointRange{0, 180}, nullptr, trial, error)) return Refuse(error);
    JointRange range = leg.ranges[joint];
    if (haveStops && !RangeInsideStops(trial, small, large, range, error)) return Refuse(error);
    PulseLimits limits{};
    if (setup.controller) limits = PulseLimitsOf(setup.controller->protocol);
    if (!FitServo(a, b, range, setup.controller ? &limits : nullptr, fitted, error)) return Refuse(error);

    const std::string name = JointName(joint);
    std::printf("[servo.%s]\npulse = [%d, %d]\ninvert = %s\noffset = %d\n", name.c_str(), fitted.pulseAtZero,
                fitted.pulseAtFull, fitted.invert ? "true" : "false", fitted.offset);
    if (haveStops) std::printf("[%s]\nmin = %d\nmax = %d\n", name.c_str(), range.min, range.max);
    if (!write) return 0;
    std::fflush(stdout);
    if (!WriteLegFileChanges(legFile, CalibrationChanges(leg, joint, fitted, haveStops ? &range : nullptr), error)) {
        std::fprintf(stderr, "tavrin-ik: %s\n", error.c_str());
        return kWriteError;
    }
    return 0;
}
