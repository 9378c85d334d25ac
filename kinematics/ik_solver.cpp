#include "kinematics/ik_solver.h"

#include <cmath>

#include "kinematics/truncate.h"

namespace {

const double kRadiansPerDegree = 0.017453292500000002;

// The float hypotenuse sqrt(z*z + x*x) without intermediate overflow: the
// squares of two floats are exact in double and cannot overflow it, so only
// the sum and the root round, each by half a double ulp, far below the final
// rounding to float. Pure IEEE operations give the same bits everywhere.
float Hypotenuse(float z, float x) {
    double zz = static_cast<double>(z) * static_cast<double>(z);
    double xx = static_cast<double>(x) * static_cast<double>(x);
    return static_cast<float>(std::sqrt(zz + xx));
}

}  // namespace

void LegPose::SetTarget(D3DXVECTOR3 target) {
    x = target.x;
    y = target.y;
    z = target.z;
}

int ToDegrees(float radians) {
    return TruncateToInt(static_cast<double>(radians) * kDegreesPerRadian);
}

void IKSolver::ComputeReach(LegPose& pose) {
    if (pose.x != 0 || pose.z != 0) {
        pose.reach = Hypotenuse(pose.z, pose.x);
    } else {
        pose.reach = 0;
    }
    if (pose.x < 0) {
        pose.reach = pose.reach * -1.0f;
    }
}

float IKSolver::YawAngle(LegPose& pose) {
    ComputeReach(pose);
    if (pose.x != 0 && pose.z != 0) {
        float quotient = pose.z / pose.x;
        return static_cast<float>(std::atan(static_cast<double>(quotient)));
    }
    return static_cast<float>(std::atan(0.0));
}

float IKSolver::HipAngle(LegPose& pose) {
    float xx = pose.x * pose.x;
    float yy = pose.y * pose.y;
    float zz = pose.z * pose.z;
    float sum = (xx + yy) + zz;
    pose.distance = static_cast<float>(std::sqrt(static_cast<double>(sum)));
    float distanceSquared = pose.distance * pose.distance;

    float toTarget = 0;
    if (pose.y != 0 || pose.reach != 0) {
        toTarget = static_cast<float>(
            std::atan2(static_cast<double>(pose.reach), static_cast<double>(pose.y)));
    }

    // Law of cosines at the root: cos b = (u² - l² + d²) / (2 u d), with the
    // integer terms formed first.
    float numerator = static_cast<float>(upperLength * upperLength - lowerLength * lowerLength) +
                      distanceSquared;
    float denominator = static_cast<float>(2 * upperLength) * pose.distance;
    float cosine = numerator / denominator;
    float arc = static_cast<float>(std::acos(static_cast<double>(cosine)));
    float toUpper = static_cast<float>(std::fabs(static_cast<double>(arc)));
    return toUpper + toTarget;
}

float IKSolver::KneeAngle(LegPose& pose) {
    // Law of cosines at the knee: cos k = (u² + l² - d²) / (2 u l).
    float squared = pose.distance * pose.distance;
    float numerator = static_cast<float>(upperLength * upperLength + lowerLength * lowerLength) - squared;
    float cosine = numerator / static_cast<float>(2 * upperLength * lowerLength);
    return static_cast<float>(std::acos(static_cast<double>(cosine)));
}

void IKSolver::Solve(LegPose& pose) {
    outOfRange = false;
    int yaw = ToDegrees(YawAngle(pose));
    float e = 90.0f - static_cast<float>(yaw);
    int hip = ToDegrees(HipAngle(pose));
    float f = 180.0f - static_cast<float>(hip);
    int knee = ToDegrees(KneeAngle(pose));
    float g = static_cast<float>(knee);

    bool inRange = yawRange.Holds(e) && hipRange.Holds(f) && kneeRange.Holds(g);
    if (!inRange) {
        outOfRange = true;
        return;
    }

    // The range test bounds e, f and g to whole numbers within 0..180, so
    // the conversions back to int are exact.
    pose.yawDeg = static_cast<int>(e);
    pose.hipDeg = static_cast<int>(f);
    pose.kneeDeg = static_cast<int>(g);
    float upper = static_cast<float>(upperLength);
    pose.kneeX = upper * static_cast<float>(std::sin(static_cast<double>(f) * kRadiansPerDegree));
    pose.kneeY = upper * static_cast<float>(std::cos(static_cast<double>(f) * kRadiansPerDegree));
    float yawFromAxis = e - 90.0f;
    float kneeXMagnitude = static_cast<float>(std::fabs(static_cast<double>(pose.kneeX)));
    pose.kneeZ = kneeXMagnitude *
                 static_cast<float>(std::sin(static_cast<double>(yawFromAxis) * kRadiansPerDegree));
}
