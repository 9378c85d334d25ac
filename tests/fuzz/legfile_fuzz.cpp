// Fuzzes the leg file reader with any bytes: no crash and no undefined
// behaviour; a refusal is one line that names the file and leaves the leg
// as it was; an accepted leg is one the solver and the servos can take.
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
    LegDescription leg;
    leg.upper = 321;
    std::string error;
    if (!ParseLegText(text, "fuzz.toml", leg, error)) {
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
        }
    }
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(0.4f * leg.Reach(), 0.6f * leg.Reach(), 0));
    IKSolver IK = leg.Solver();
    IK.Solve(pose);
    return 0;
}
