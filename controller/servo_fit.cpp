#include "controller/servo_fit.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int64_t kMostFitPulse = 100000;

// num / den to the nearest whole number, halves away from zero.
int64_t RoundRatio(int64_t num, int64_t den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    const int64_t whole = (2 * std::llabs(num) + den) / (2 * den);
    return num < 0 ? -whole : whole;
}

int64_t FloorRatio(int64_t num, int64_t den) {
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return num >= 0 ? num / den : -((-num + den - 1) / den);
}

int64_t CeilRatio(int64_t num, int64_t den) { return -FloorRatio(-num, den); }

// The exact model angle at which the servo gets pulse, as num / den.
void AngleOfPulse(const ServoSetting& servo, int pulse, int64_t& num, int64_t& den) {
    // pulse = p0 + (p1 - p0) * d / 180 with d the servo degrees, and d = A
    // or d = 180 - A when inverted (offset 0).
    const int64_t span = static_cast<int64_t>(servo.pulseAtFull) - servo.pulseAtZero;
    const int64_t degreesNum = 180 * (static_cast<int64_t>(pulse) - servo.pulseAtZero);
    num = servo.invert ? 180 * span - degreesNum : degreesNum;
    den = span;
}

}  // namespace

bool FitServo(CalibrationMark a, CalibrationMark b, JointRange range, const PulseLimits* limits,
              ServoSetting& fitted, std::string& error) {
    const int64_t dA = static_cast<int64_t>(b.angle) - a.angle;
    const int64_t du = static_cast<int64_t>(b.pulse) - a.pulse;
    if (dA == 0) {
        error = "both marks are at " + std::to_string(a.angle) + " degrees: two angles are needed";
        return false;
    }
    if (du == 0) {
        error = "both marks have the pulse " + std::to_string(a.pulse) + " us: the joint did not move";
        return false;
    }
    if (std::llabs(du) < kLeastFitSlope * std::llabs(dA) || std::llabs(du) > kMostFitSlope * std::llabs(dA)) {
        error = "the marks give " + std::to_string(du) + " us over " + std::to_string(dA) +
                " degrees, not " + std::to_string(kLeastFitSlope) + ".." + std::to_string(kMostFitSlope) +
                " us a degree: a mark on the wrong joint?";
        return false;
    }
    const bool rising = (du > 0) == (dA > 0);
    // k = du / dA; every quantity below is a fraction over dA.
    const int64_t u1 = a.pulse, A1 = a.angle;
    const int64_t p0Num = rising ? u1 * dA - du * A1 : u1 * dA + du * (180 - A1);
    const int64_t p1Num = rising ? p0Num + 180 * du : p0Num - 180 * du;
    const int64_t p0 = RoundRatio(p0Num, dA), p1 = RoundRatio(p1Num, dA);
    if (std::min(p0, p1) < 0 || std::max(p0, p1) > kMostFitPulse) {
        error = "the marks give pulses " + std::to_string(p0) + " and " + std::to_string(p1) +
                " us at 0 and 180 degrees, beyond 0.." + std::to_string(kMostFitPulse);
        return false;
    }
    ServoSetting servo = fitted;
    servo.invert = !rising;
    servo.offset = 0;
    servo.pulseAtZero = static_cast<int>(p0);
    servo.pulseAtFull = static_cast<int>(p1);
    if (limits) {
        const int low = ServoFor(servo, range.min).microseconds, high = ServoFor(servo, range.max).microseconds;
        if (std::min(low, high) < limits->min || std::max(low, high) > limits->max) {
            error = "the fitted pulses " + std::to_string(std::min(low, high)) + ".." +
                    std::to_string(std::max(low, high)) + " us over the angles " + std::to_string(range.min) +
                    ".." + std::to_string(range.max) + " are beyond what the controller takes, " +
                    std::to_string(limits->min) + ".." + std::to_string(limits->max);
            return false;
        }
    }
    fitted = servo;
    return true;
}

bool RangeInsideStops(const ServoSetting& fitted, int smallStopPulse, int largeStopPulse, JointRange& range,
                      std::string& error) {
    int64_t num = 0, den = 1;
    AngleOfPulse(fitted, smallStopPulse, num, den);
    const int64_t least = std::clamp<int64_t>(CeilRatio(num, den) + 1, 0, 180);
    AngleOfPulse(fitted, largeStopPulse, num, den);
    const int64_t most = std::clamp<int64_t>(FloorRatio(num, den) - 1, 0, 180);
    if (least > most) {
        error = "the stops leave no range: min " + std::to_string(least) + " comes above max " +
                std::to_string(most);
        return false;
    }
    range = JointRange{static_cast<int>(least), static_cast<int>(most)};
    return true;
}
