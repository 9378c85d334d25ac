// The fast sweep's thresholds for one leg, u = upper and l = lower units
// long. A grid point (x, y) at depth z is in range exactly when its yaw, its
// knee and its hip angle each fall within the joint's range. The yaw depends
// on the column alone and is tested with the solver's own operations once per
// column. The rest is settled here.
//
// Notation: eps = 2^-24, the float unit roundoff. The solver's reach r is the
// float of sqrt(x² + z²), so r = ±sqrt(x² + z²)(1 + d1); its sum
// s = (x·x + y·y) + z·z adds three positive rounded terms, s = (x² + y² + z²)
// (1 + d2); |d1| <= eps, |d2| <= 3eps (to first order, as everywhere below).
// With rho = |(r, y)|, rho² = (x² + y² + z²)(1 + d3), |d3| <= 2eps, so s and
// rho² agree within 5eps relative, and the solver's distance
// d = fl(sqrt s) = rho(1 + n), |n| <= 3.5eps.
//
// Knee. Its angle is a function of s alone through monotone steps (sqrt,
// d·d, a subtraction, a division by 2ul, acos, the truncation), so it lies in
// its range exactly for s in [kneeLow, kneeHigh): both are found by
// bisection over the float sums with the solver's own code. Should a
// library's acos not be monotone to the last bit, that only matters within a
// few ulps of those sums, and points there go to the solver.
//
// Shell. The hip's arc-cosine argument w = (c + d·d) / (2u·d), c = u² − l²,
// is NaN-free only for w in [-1, 1]. Its exact value at rho is
// W = (rho² + c) / (2u·rho). Each operation rounds once: d·d = rho²(1 + z),
// |z| <= 8.01eps; the numerator errs by at most eps(8.01rho² + |N|),
// N = rho² + c = 2u·rho·W; the denominator 2u·d by a factor within 4.51eps
// of 1; the quotient by eps. So
//   |w − W| <= eps(4.01 rho/u + 6.51|W|),
// and HipCosineError doubles that. W(rho) is monotone outside the shell
// [|u − l|, u + l] (|W| grows away from it), and inside it |W| peaks at its
// ends, its only turn being a minimum W = sqrt(c)/u > 0 when u > l. So the
// shell verdict needs checking only at the four sums that bound it: the
// relative margin m starts tiny and doubles until, with rho bounded from s
// by the 5eps above, |W| + error <= 1 at innerIn and outerIn and
// |W| − error > 1 at innerOut and outerOut.
//
// Hip. h = fl(a' + b') with a' = fl(atan2(r, y)) and b' = fl(acos(w)), so
// |h − (a + acos w)| <= 2^-23 + 2^-23 + 2^-22 (values below 4, 4 and 8) =
// 4.8e-7 for a the exact atan2 of the solver's floats; angleSlack = 1.5e-6
// also covers the library functions and the double product h·K. The hip
// passes when its truncated degrees hd satisfy 180 − max <= hd <= 180 − min,
// that is lowerAngle <= h < upperAngle with lowerAngle = (180 − max)/K, or
// −1/K when that is 0, and upperAngle = (181 − min)/K, up to the slack.
// The knee at hip angle t sits at C(t) = u(sin t, cos t) in the (r, y)
// plane, and the law of cosines gives, with a the direction of (r, y),
//   G(t) = |(r, y) − C(t)|² − l² = 2u·rho(W − cos(t − a)).
// Inside the shell, G(t) < −circleMargin puts w at least angleSlack below
// cos(t − a), so acos w >= |t − a| + slack while |t − a| <= π (acos falls at
// least as fast as its argument); G(t) > circleMargin puts acos w at most
// slack below the angle in [0, π] whose cosine is cos(t − a), and that angle
// is at most |t − a|. Hence for t = lower angle L and upper angle U
// (fast_sweep.cpp applies these):
//   lower passes if a > L + slack, or G(L) < −margin and a > L − π;
//   lower fails  if a < L − π − slack, or G(L) > margin and a < L;
//   upper passes if a < U − π − slack, or G(U) > margin and a < U;
//   upper fails  if a > U + slack, or G(U) < −margin and a > U − π;
// (a + acos w below π + 9e-8 bounds the first two). Everything else goes to
// the solver.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "kinematics/float_search.h"
#include "kinematics/sweep.h"

namespace {

constexpr double kEps = 1.0 / 16777216.0;
constexpr double kSumToDistanceSquared = 5.1 * kEps;
constexpr double kAngleSlack = 1.5e-6;
constexpr uint32_t kKneeBandUlps = 64;

float StepDown(float v, uint32_t ulps) {
    uint32_t b = FloatBitsOf(v);
    return FloatFromBits(b > ulps ? b - ulps : 0);
}

float StepUp(float v, uint32_t ulps) {
    uint32_t b = FloatBitsOf(v);
    uint32_t limit = FloatBitsOf(FLT_MAX);
    return FloatFromBits(limit - b > ulps ? b + ulps : limit);
}

// The solver's knee degrees for a target whose float sum is s.
int KneeDegreesAt(IKSolver IK, float s) {
    LegPose pose;
    pose.distance = static_cast<float>(std::sqrt(static_cast<double>(s)));
    return ToDegrees(IK.KneeAngle(pose));
}

void SetKneeLimits(const LegDescription& leg, SweepLimits& limits) {
    const IKSolver IK = leg.Solver();
    const JointRange range = leg.ranges[kKneeJoint];
    auto degrees = [&](float s) { return KneeDegreesAt(IK, s); };
    // At u² + l² the knee is square: its cosine is 0 or within an ulp of it.
    const float square = static_cast<float>(leg.upper * leg.upper + leg.lower * leg.lower);
    const float infinity = FloatFromBits(0x7f800000u);
    const float end = FirstFloatWhere(square, infinity, [&](float s) { return degrees(s) == INT_MIN; });
    limits.kneeLow = FirstFloatWhere(0.0f, end, [&](float s) { return degrees(s) >= range.min; });
    limits.kneeHigh = FirstFloatWhere(0.0f, end, [&](float s) { return degrees(s) > range.max; });
    limits.kneeLowBelow = StepDown(limits.kneeLow, kKneeBandUlps);
    limits.kneeLowAbove = StepUp(limits.kneeLow, kKneeBandUlps);
    limits.kneeHighBelow = StepDown(limits.kneeHigh, kKneeBandUlps);
    limits.kneeHighAbove = StepUp(limits.kneeHigh, kKneeBandUlps);
}

double ExactHipCosine(double rho, const LegDescription& leg) {
    double c = static_cast<double>(leg.upper) * leg.upper - static_cast<double>(leg.lower) * leg.lower;
    return (rho * rho + c) / (2.0 * leg.upper * rho);
}

bool ShellHolds(double rho, const LegDescription& leg) {
    double w = ExactHipCosine(rho, leg);
    return std::fabs(w) + HipCosineError(rho, w, leg.upper) <= 1.0;
}

bool ShellFails(double rho, const LegDescription& leg) {
    double w = ExactHipCosine(rho, leg);
    return std::fabs(w) - HipCosineError(rho, w, leg.upper) > 1.0;
}

void SetShellLimits(const LegDescription& leg, SweepLimits& limits) {
    const double inner = std::abs(leg.upper - leg.lower);
    const double outer = leg.Reach();
    const double innerSquared = inner * inner;
    const double outerSquared = outer * outer;
    for (double m = 16 * kEps;; m *= 2) {
        limits.innerOut = static_cast<float>(innerSquared * (1 - m));
        // With equal segments the shell has no hole; only the origin itself
        // (a zero distance) is left to the solver.
        limits.innerIn = inner > 0 ? static_cast<float>(innerSquared * (1 + m)) : FLT_MIN;
        limits.outerIn = static_cast<float>(outerSquared * (1 - m));
        limits.outerOut = static_cast<float>(outerSquared * (1 + m));
        const double rhoInnerIn = std::sqrt(limits.innerIn / (1 + kSumToDistanceSquared));
        const double rhoOuterIn = std::sqrt(limits.outerIn / (1 - kSumToDistanceSquared));
        const double rhoInnerOut = std::sqrt(limits.innerOut / (1 - kSumToDistanceSquared));
        const double rhoOuterOut = std::sqrt(limits.outerOut / (1 + kSumToDistanceSquared));
        bool interior = limits.innerIn > limits.outerIn ||
                        (ShellHolds(rhoInnerIn, leg) && ShellHolds(rhoOuterIn, leg));
        bool exterior = (inner == 0 || ShellFails(rhoInnerOut, leg)) && ShellFails(rhoOuterOut, leg);
        limits.distanceMax = rhoOuterIn;
        if ((interior && exterior) || m > 0.25) break;
    }
}

}  // namespace

double HipCosineError(double rho, double exactCosine, int upper) {
    double bound = kEps * (4.01 * rho / upper + 6.51 * std::fabs(exactCosine));
    return 2 * bound + 1e-15 * (1 + std::fabs(exactCosine));
}

SweepLimits MakeSweepLimits(const LegDescription& leg) {
    SweepLimits limits;
    SetKneeLimits(leg, limits);
    SetShellLimits(leg, limits);

    const JointRange hip = leg.ranges[kHipJoint];
    const int lowestDegrees = 180 - hip.max;
    const int highestDegrees = 180 - hip.min;
    limits.lowerAngle = (lowestDegrees == 0 ? -1.0 : lowestDegrees) / kDegreesPerRadian;
    limits.upperAngle = (highestDegrees + 1) / kDegreesPerRadian;
    limits.angleSlack = kAngleSlack;

    // The knee-circle test in double: its terms reach (2R + u)² at most, each
    // rounded by DBL_EPSILON; 64 of those cover the sum and the circle's
    // centre.
    const double reach = leg.Reach();
    const double extent = 2.2 * reach + leg.upper;
    limits.cosineError = HipCosineError(limits.distanceMax, 1.0, leg.upper);
    limits.circleMargin = 2.0 * leg.upper * limits.distanceMax * (limits.cosineError + kAngleSlack) +
                          64 * DBL_EPSILON * extent * extent;
    limits.guardMargin = 64 * DBL_EPSILON * extent;
    return limits;
}
