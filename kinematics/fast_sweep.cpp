#include <algorithm>
#include <array>
#include <cmath>

#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"

// A grid point (x, y) at depth z solves in range exactly when
//   (a) both arc-cosine arguments of the solve lie in [-1, 1] (the distance
//       shell; outside it an angle is not a number), and
//   (b) the float hip angle h gives ToDegrees(h) in 0..180, that is
//       h·K in (-1, 181) with K = 57.324840764331206;
// the yaw (at most fl(π/2), 90.04 degrees, truncated to 90) and, once (a)
// holds, the knee (at most fl(π), 180.09 degrees) always pass. The fast
// sweep settles (a) and (b) with cheap tests where they are clearly true or
// clearly false and runs the solver on the few points in between. Below,
// u = 2^-24 is the float unit roundoff, r the solver's float reach (negative
// for x < 0) and rho = |(r, y)| exactly.
//
// Shell. Everything in (a) is a function of the float sum
// s = (x·x + y·y) + z·z, formed here with the solver's very operations. Its
// distance d = fl(sqrt s) is within 1.01u of sqrt(s); d·d, 20·d, 325 − d·d,
// d·d − 125 and the two quotients put the computed w = (d² − 125) / (20d) and
// v = (325 − d²) / 300 within 1e-6 of their exact values for d in [4.9, 25.1]
// (half an ulp of d·d and of the difference, at most 4.6e-5, over 20d or
// 300, plus two roundings of a quotient near 1), and within 3e-7 relative
// outside it. Exact w + 1 = (d − 5)(d + 25) / (20d), 1 − w =
// (25 − d)(d + 5) / (20d), 1 − v = (d² − 25) / 300 and v + 1 =
// (625 − d²) / 300, so s in [25(1 + m), 625(1 − m)] with m = kShellMargin =
// 1e-4 keeps d inside [5(1 + 0.49m), 25(1 − 0.49m)], w at least 0.73m = 7e-5
// and v at least 0.08m = 8e-6 inside (-1, 1): the shell holds. Below
// 25(1 − m) w ends 7e-5 below -1, above 625(1 + m) v ends 2e-4 below -1: it
// fails. Only sums within those two thin windows go to the solver. Float
// addition and squaring are monotone, so along either half of a row s only
// grows with |x|: binary searches find where it crosses the windows.
//
// Hip. Let a = atan2(r, y) and b = acos(w), exact functions of the solver's
// float inputs. The solver rounds each to float (2^-23 each, for values below
// 4) and their sum (2^-22, below 8): |h − (a + b)| ≤ 2^-21 = 4.8e-7, plus
// 2e-9 for library functions good to 1e-9: kHipError = 5e-7. Then
// a + b ≤ U − e passes and a + b ≥ U + e fails, where U = 181/K,
// L = −1/K and e = kHipError + 1e-6 = 1.5e-6 (1e-6·K = 5.7e-5 dwarfs the
// rounding of h·K). For x > 0, a is in (0, π) and b ≥ 0, so h ≥ 0 and only U
// matters; for x < 0, a < 0 and b ≤ fl(π), so h ≤ fl(π) < U and only L does.
//   The knee at hip angle t sits at C(t) = 10·(sin t, cos t) in the (r, y)
// plane, and the law of cosines gives
//   G(t) = |(r, y) − C(t)|² − 225 = 20 rho (W − cos(t − a)),
//   W = (rho² − 125) / (20 rho).
// The solver's d agrees with rho within 3.6u relative (s and r² are each
// within about 3u of x² + y² + z² and x² + z²), |dW/drho| =
// 1/20 + 125/(20 rho²) ≤ 0.31 on [4.9, 25.1], so
// |w − W| ≤ 1e-6 + 0.31·25.1·3.6u < 3e-6 ≤ kCosineError = 1e-5. With rho at
// most 25.01 in the shell, |G(t)| > 20·25.01·(1e-5 + 1.5e-6) = 5.8e-3 moves w
// past cos(t ± e − a) by more than the error; kDiskMargin = 0.02 leaves a
// factor 3, and the double evaluation of G errs by under 1e-12.
//   x > 0, t = U: G > margin gives w > cos(U − e − a), so b < U − e − a
//   whenever U − e − a ≤ π (and b ≤ π < U − e − a otherwise): in range.
//   G < −margin gives b > U + e − a, but only while U + e − a ≤ π, that is
//   a ≥ U + e − π: the guard a > U − π + 1e-3, tested as
//   r cos(g) − y sin(g) > 1e-9 (that is rho·sin(a − g), with a and g in
//   (0, π)), makes it out of range.
//   x < 0, t = L: G < −margin gives b > |L + e − a| ≥ L + e − a: in range.
//   G > margin gives b < L − e − a when L − e − a > 0: with the guard
//   a < L − 1e-3, tested as y sin(g) − r cos(g) > 1e-9 (rho·sin(g − a),
//   g − a in (-π/2, π)), out of range. The guards' double evaluation errs
//   by under 1e-13.
// Everything else in the shell, and every point whose shell verdict is open,
// goes to the solver.

namespace {

constexpr double kAngleSlack = sweep_bounds::kHipError + 1e-6;
constexpr double kGuardAngle = 1e-3;
constexpr double kGuardMargin = 1e-9;
constexpr double kPi = 3.14159265358979323846;
constexpr double kLowerSquared = double{kLowerLength} * kLowerLength;

// The shell's radii squared, 25 and 625: (lower - upper)² and (upper + lower)².
constexpr float kInnerSquared = static_cast<float>((kLowerLength - kUpperLength) * (kLowerLength - kUpperLength));
constexpr float kOuterSquared = static_cast<float>((kUpperLength + kLowerLength) * (kUpperLength + kLowerLength));
constexpr float kInnerOut = kInnerSquared * (1.0f - sweep_bounds::kShellMargin);
constexpr float kInnerIn = kInnerSquared * (1.0f + sweep_bounds::kShellMargin);
constexpr float kOuterIn = kOuterSquared * (1.0f - sweep_bounds::kShellMargin);
constexpr float kOuterOut = kOuterSquared * (1.0f + sweep_bounds::kShellMargin);

static_assert(kAngleSlack > 0 && kGuardAngle > 10 * kAngleSlack, "the guards must cover the slack");

// One bound of the hip angle: the knee circle's centre and the guard line
// that keeps the cosine comparison on the side where it is monotone.
struct HipBound {
    double centreX;  // along the reach
    double centreY;
    double guardCos;
    double guardSin;
};

HipBound MakeHipBound(double limit, double guard) {
    return HipBound{kUpperLength * std::sin(limit), kUpperLength * std::cos(limit), std::cos(guard),
                    std::sin(guard)};
}

const HipBound& UpperHipBound() {
    static const HipBound bound =
        MakeHipBound(181.0 / kDegreesPerRadian, 181.0 / kDegreesPerRadian - kPi + kGuardAngle);
    return bound;
}

const HipBound& LowerHipBound() {
    static const HipBound bound = MakeHipBound(-1.0 / kDegreesPerRadian, -1.0 / kDegreesPerRadian - kGuardAngle);
    return bound;
}

// The first index in [first, last) where pred holds, for a predicate that is
// false up to some index and true from there on; last if it never holds.
template <typename Pred>
int FirstWhere(int first, int last, Pred pred) {
    // The column indices themselves, so that the standard bisection can run
    // over them.
    static const std::array<int, kGridSamples> columns = [] {
        std::array<int, kGridSamples> all{};
        for (int i = 0; i < kGridSamples; ++i) all[i] = i;
        return all;
    }();
    auto at = std::partition_point(columns.begin() + first, columns.begin() + last, [&](int i) { return !pred(i); });
    return static_cast<int>(at - columns.begin());
}

enum class Verdict { kOut, kIn, kSolve };

// Cuts one half row into runs that share a verdict. The solver's reach rises
// with the column, and every rounding is monotone, so each test that a
// verdict reads flips at most once over a half row (G once on either side
// of its circle's centre): a run bounded by the points where some test flips
// has one verdict throughout, the verdict of each of its points.
class HalfRow {
public:
    HalfRow(int first, int last) : first_(first), last_(last) {}

    // A test that is false, then true, over [from, to).
    template <typename Pred>
    void CutWhere(int from, int to, Pred pred) {
        Cut(FirstWhere(from, to, pred));
    }
    void Cut(int index) {
        if (index > first_ && index < last_ && count_ < kMaxCuts) cuts_[count_++] = index;
    }

    // Calls act(first, last, verdict) for each run, in rising order.
    template <typename VerdictOf, typename Act>
    void ForEachRun(VerdictOf verdictOf, Act act) {
        std::sort(cuts_.begin(), cuts_.begin() + count_);
        int from = first_;
        for (int k = 0; k <= count_; ++k) {
            int to = k < count_ ? cuts_[k] : last_;
            if (to > from) act(from, to, verdictOf(from));
            from = std::max(from, to);
        }
    }

private:
    static constexpr int kMaxCuts = 16;
    int first_;
    int last_;
    int count_ = 0;
    std::array<int, kMaxCuts> cuts_{};
};

}  // namespace

void FastSweep(float depth, PointList& points, SweepStats* stats) {
    SweepStats counts;
    points.clear();
    // |z| >= 26 gives z·z >= 676 and every sum beyond 625(1 + m): nothing is
    // in range. A NaN depth makes every angle NaN. Either way the list stays
    // empty.
    if (!(std::fabs(depth) < 26.0f)) {
        if (stats) *stats = counts;
        return;
    }

    const auto& samples = GridSamples();
    const int count = kGridSamples;
    const float zz = depth * depth;
    IKSolver IK;
    LegPose pose;
    // Per column: x·x as the solver squares it, and the solver's own reach,
    // which depends on x and the depth only.
    std::array<float, kGridSamples> squares;
    std::array<double, kGridSamples> reach;
    for (int i = 0; i < count; ++i) {
        float x = samples[i];
        squares[i] = x * x;
        pose.SetTarget(D3DXVECTOR3(x, 0, depth));
        IK.ComputeReach(pose);
        reach[i] = pose.reach;
    }
    // No sample is 0: the columns split into x < 0 below and x > 0 from here.
    const int firstPositive =
        static_cast<int>(std::partition_point(samples.begin(), samples.end(), [](float x) { return x < 0; }) -
                         samples.begin());
    const HipBound& upper = UpperHipBound();
    const HipBound& lower = LowerHipBound();
    const double margin = sweep_bounds::kDiskMargin;

    for (float y : samples) {
        const float yy = y * y;
        // Every sum of the row is at least yy + zz.
        if (yy + zz > kOuterOut) continue;
        auto sum = [&](int i) { return (squares[i] + yy) + zz; };
        auto act = [&](int from, int to, Verdict verdict) {
            if (verdict == Verdict::kIn) {
                size_t at = points.size();
                points.resize(at + static_cast<size_t>(to - from));
                D3DXVECTOR3* out = points.data() + at;
                for (int i = from; i < to; ++i) *out++ = D3DXVECTOR3(samples[i], y, 0);
            } else if (verdict == Verdict::kSolve) {
                for (int i = from; i < to; ++i) {
                    ++counts.exactSolves;
                    pose.SetTarget(D3DXVECTOR3(samples[i], y, depth));
                    IK.Solve(pose);
                    if (!IK.outOfRange) points.push_back(D3DXVECTOR3(samples[i], y, 0));
                }
            }
        };
        // The sum falls towards the axis on the left half and rises away
        // from it on the right half; outside [begin, holeBegin) and
        // [holeEnd, end) it lies beyond a window and the shell fails.
        const int begin = FirstWhere(0, firstPositive, [&](int i) { return sum(i) <= kOuterOut; });
        const int holeBegin = FirstWhere(begin, firstPositive, [&](int i) { return sum(i) < kInnerOut; });
        const int holeEnd = FirstWhere(firstPositive, count, [&](int i) { return sum(i) >= kInnerOut; });
        const int end = FirstWhere(holeEnd, count, [&](int i) { return sum(i) > kOuterOut; });
        auto innerIn = [&](int i) { return sum(i) >= kInnerIn; };
        auto outerIn = [&](int i) { return sum(i) <= kOuterIn; };

        // Left half, x < 0: the lower hip bound. The reach rises with the
        // column, G falls until the reach passes the circle's centre and
        // rises after it, and the guard falls.
        {
            const double rowG = (y - lower.centreY) * (y - lower.centreY) - kLowerSquared;
            const double rowGuard = y * lower.guardSin;
            auto g = [&](int i) {
                double dr = reach[i] - lower.centreX;
                return dr * dr + rowG;
            };
            auto inside = [&](int i) { return g(i) < -margin; };
            auto outside = [&](int i) { return g(i) > margin; };
            auto guard = [&](int i) { return rowGuard - reach[i] * lower.guardCos > kGuardMargin; };
            auto verdict = [&](int i) {
                bool shellIn = innerIn(i) && outerIn(i);
                if (inside(i)) return shellIn ? Verdict::kIn : Verdict::kSolve;
                if (outside(i) && guard(i)) return Verdict::kOut;
                return Verdict::kSolve;
            };
            HalfRow half(begin, holeBegin);
            half.CutWhere(begin, holeBegin, [&](int i) { return !innerIn(i); });
            half.CutWhere(begin, holeBegin, outerIn);
            const int centre = FirstWhere(begin, holeBegin, [&](int i) { return reach[i] >= lower.centreX; });
            half.Cut(centre);
            half.CutWhere(begin, centre, inside);
            half.CutWhere(begin, centre, [&](int i) { return !outside(i); });
            half.CutWhere(centre, holeBegin, [&](int i) { return !inside(i); });
            half.CutWhere(centre, holeBegin, outside);
            half.CutWhere(begin, holeBegin, [&](int i) { return !guard(i); });
            half.ForEachRun(verdict, act);
        }

        // Right half, x > 0: the upper hip bound. The reach is positive and
        // the circle's centre lies at a negative reach, so G and the guard
        // both rise with the column.
        {
            const double rowG = (y - upper.centreY) * (y - upper.centreY) - kLowerSquared;
            const double rowGuard = y * upper.guardSin;
            auto g = [&](int i) {
                double dr = reach[i] - upper.centreX;
                return dr * dr + rowG;
            };
            auto inside = [&](int i) { return g(i) < -margin; };
            auto outside = [&](int i) { return g(i) > margin; };
            auto guard = [&](int i) { return reach[i] * upper.guardCos - rowGuard > kGuardMargin; };
            auto verdict = [&](int i) {
                bool shellIn = innerIn(i) && outerIn(i);
                if (outside(i)) return shellIn ? Verdict::kIn : Verdict::kSolve;
                if (inside(i) && guard(i)) return Verdict::kOut;
                return Verdict::kSolve;
            };
            HalfRow half(holeEnd, end);
            half.CutWhere(holeEnd, end, innerIn);
            half.CutWhere(holeEnd, end, [&](int i) { return !outerIn(i); });
            half.CutWhere(holeEnd, end, [&](int i) { return !inside(i); });
            half.CutWhere(holeEnd, end, outside);
            half.CutWhere(holeEnd, end, guard);
            half.ForEachRun(verdict, act);
        }
    }
    if (stats) *stats = counts;
}
