// Fuzzes the solver with any three floats: no undefined behaviour, the
// target never changes, a failed solve leaves the angles and knee as they
// were, and a solved pose has every angle within 0..180.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kinematics/ik_solver.h"
#include "render/leg.h"

namespace {

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    float v[3];
    std::memcpy(v, data, sizeof v);

    LegPose pose;
    pose.yawDeg = -1;
    pose.hipDeg = -2;
    pose.kneeDeg = -3;
    pose.kneeX = 1.5f;
    pose.kneeY = 2.5f;
    pose.kneeZ = 3.5f;
    pose.SetTarget(D3DXVECTOR3(v[0], v[1], v[2]));
    IKSolver IK;
    IK.Solve(pose);

    Check(SameBits(pose.x, v[0]) && SameBits(pose.y, v[1]) && SameBits(pose.z, v[2]));
    if (IK.outOfRange) {
        Check(pose.yawDeg == -1 && pose.hipDeg == -2 && pose.kneeDeg == -3);
        Check(SameBits(pose.kneeX, 1.5f) && SameBits(pose.kneeY, 2.5f) && SameBits(pose.kneeZ, 3.5f));
    } else {
        Check(pose.yawDeg >= 0 && pose.yawDeg <= 180);
        Check(pose.hipDeg >= 0 && pose.hipDeg <= 180);
        Check(pose.kneeDeg >= 0 && pose.kneeDeg <= 180);
        Check(std::isfinite(pose.kneeX) && std::isfinite(pose.kneeY) && std::isfinite(pose.kneeZ));
    }

    // The leg around the solver: its own fields stay defined either way.
    Leg leg;
    leg.SetOrigin(250, 400, 0);
    leg.SetScale(15, 15, 15);
    leg.SetTarget(D3DXVECTOR3(v[0], v[1], v[2]));
    leg.Solve();
    Check(leg.outOfRange == IK.outOfRange);
    leg.BuildJoints();
    Check(leg.joints.size() == 3);
    return 0;
}
