// Fuzzes the leg file reader with any bytes: no crash and no undefined
// behaviour; a refusal is one line that names the file and leaves the leg
// as it was; an accepted leg is one the solver and the servos can take, and
// an accepted controller one whose channels and pulses it has.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kinematics/leg_description.h"
#include "legfile/leg_file.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool ValidRange(JointRange r) {
    return r.min >= 0 && r.min <= r.max && r.max <= 180;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    LegSetup setup;
    LegDescription& leg = setup.leg;
    leg.upper = 321;
    std::string error;
    if (!ParseLegText(text, "fuzz.toml", setup, error)) {
        Check(leg.upper == 321);
        Check(error.rfind("fuzz.toml", 0) == 0);
        Check(error.find('\n') == std::string::npos);
        return 0;
    }
    Check(leg.upper >= 1 && leg.upper <= 1000 && leg.lower >= 1 && leg.lower <= 1000);
    for (int j = 0; j < kJointCount; ++j) {
        Check(ValidRange(leg.ranges[j]));
        if (!leg.servos[j]) continue;
        Check(ValidRange(ServoSpan(*leg.servos[j], leg.ranges[j])));
        for (int angle = leg.ranges[j].min; angle <= leg.ranges[j].max; ++angle) {
            ServoCommand command = ServoFor(*leg.servos[j], angle);
            Check(command.degrees >= 0 && command.degrees <= 180);
            if (setup.controller && leg.servos[j]->channel) {
                const PulseLimits limits = PulseLimitsOf(setup.controller->protocol);
                Check(command.microseconds >= limits.min && command.microseconds <= limits.max);
            }
        }
    }
    if (setup.controller) {
        const ControllerSettings& controller = *setup.controller;
        Check(IsBaudRate(controller.baud));
        Check(controller.moveMs >= 0 && controller.moveMs <= kMaxMoveMs);
        Check(!controller.device || controller.protocol == Protocol::Maestro);
        bool anyChannel = false;
        for (int j = 0; j < kJointCount; ++j) {
            if (!leg.servos[j] || !leg.servos[j]->channel) continue;
            anyChannel = true;
            const int channel = *leg.servos[j]->channel;
            Check(channel >= 0 && channel <= MaxChannel(controller.protocol));
            for (int k = 0; k < j; ++k) Check(!leg.servos[k] || leg.servos[k]->channel != channel);
        }
        Check(anyChannel);
    }
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(0.4f * leg.Reach(), 0.6f * leg.Reach(), 0));
    IKSolver IK = leg.Solver();
    IK.Solve(pose);
    return 0;
}
