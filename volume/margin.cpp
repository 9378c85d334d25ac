#include "volume/margin.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cmath>
#include <memory>

#include "kinematics/truncate.h"
#include "parallel/worker_pool.h"
#include "volume/knee_steps.h"
#include "volume/rough_angles.h"
#include "volume/rough_angles_sse.h"

namespace {

// How far a rough angle may be from the solver's: the stand-ins' errors
// (6.76e-5 + 1.15e-5) plus the solver's float roundings of its arc-cosine,
// arc-tangent and their sum (below 7e-7), with room to spare.
constexpr double kRoughError = 1.2e-4;

#ifdef TAVRIN_ROUGH_SSE2
// How far a rough hip angle of four at a time may be from the solver's: the
// stand-ins' errors in float (5e-7 and 6e-7, the arc-tangent's with its
// quotient from a reciprocal) and the rounding of their sum (2.4e-7 below
// 2 pi), the solver's own float roundings (below 7e-7), and
// the float roundings of the bounds, of K and of the products with it
// (below 1e-6 up to 360 degrees): under 3.1e-6, taken three times over.
constexpr float kRoughError4 = 1e-5f;
#endif

// The solver's whole degrees ToDegrees(h) for an angle h known only to
// within kRoughError of `rough`, or INT_MIN when the interval straddles a
// degree and only the solver's own h can tell.
int DegreesNear(double rough) {
    const int low = TruncateToInt((rough - kRoughError) * kDegreesPerRadian);
    const int high = TruncateToInt((rough + kRoughError) * kDegreesPerRadian);
    return low == high ? low : INT_MIN;
}

int RangeMargin(const JointRange& range, int angle) {
    return std::min(angle - range.min, range.max - angle);
}

// The margin a joint's whole degrees leave within its range, or -1 where
// the range does not hold them, as the solver tests them: the model angle
// (180 - degrees for the hip, the degrees for the knee) compared as a float.
// Looked up for every degree the solver can give (its angles lie within
// (-pi, 2 pi) for the hip and [0, pi] for the knee); -1 for any other.
class DegreeMargins {
public:
    DegreeMargins(const JointRange& range, bool mirrored) {
        for (int i = 0; i < kSpan; ++i) {
            const int degrees = kLowest + i;
            const float angle = mirrored ? 180.0f - static_cast<float>(degrees) : static_cast<float>(degrees);
            margins_[i] = static_cast<int16_t>(range.Holds(angle) ? RangeMargin(range, static_cast<int>(angle)) : -1);
        }
    }
    int Of(int degrees) const {
        const unsigned i = static_cast<unsigned>(degrees) - static_cast<unsigned>(kLowest);
        return i < static_cast<unsigned>(kSpan) ? margins_[i] : -1;
    }

private:
    static constexpr int kLowest = -181;
    static constexpr int kSpan = 361 - kLowest + 1;
    std::array<int16_t, kSpan> margins_{};
};

// The knee's steps for a leg, made once on each thread that asks: the
// window's thread, or each thread of a 3-D sweep, keeps the last leg's.
// A solver holds a reference of its own, so that it outlives a change of
// the thread's leg.
std::shared_ptr<const KneeSteps> KneeStepsFor(const LegDescription& leg) {
    thread_local std::shared_ptr<const KneeSteps> kept;
    if (!kept || kept->upper() != leg.upper || kept->lower() != leg.lower) {
        kept = std::make_shared<const KneeSteps>(leg.upper, leg.lower);
    }
    return kept;
}

// The solver's steps for one target, with the column's share done once:
// Solve finds the yaw and the signed reach from x and the depth, then the
// hip and the knee from the whole target. Only the tests of Solve are kept,
// none of the knee position that it works out afterwards. The knee's
// degrees follow from the sum alone (KneeSteps); the hip's come from rough
// angles, and from the solver where those cannot tell.
class MarginSolver {
public:
    MarginSolver(const LegDescription& leg, const std::vector<float>& grid, float depth)
        : leg_(leg), IK_(leg.Solver()), kneeSteps_(KneeStepsFor(leg)), knee_(*kneeSteps_), grid_(grid), depth_(depth),
          zz_(depth * depth), hipConstant_(static_cast<float>(leg.upper * leg.upper - leg.lower * leg.lower)),
          twiceUpper_(static_cast<float>(2 * leg.upper)), hipMargins_(leg.ranges[kHipJoint], true),
          kneeMargins_(leg.ranges[kKneeJoint], false) {
        columns_.reserve(grid.size());
        for (float x : grid) columns_.push_back(ColumnOf(x));
    }

    // The margins of points [from, to) into out[from, to): four at a time
    // where SSE2 is at hand, the rest one by one.
    void Margins(const D3DXVECTOR3* points, size_t from, size_t to, uint8_t* out) const {
        Cursor cursor;
        size_t i = from;
#ifdef TAVRIN_ROUGH_SSE2
        while (to - i >= 4) {
            const int count = static_cast<int>(std::min<size_t>(kBlock, (to - i) & ~size_t{3}));
            BlockMargins(points + i, count, cursor, out + i);
            i += static_cast<size_t>(count);
        }
#endif
        for (; i < to; ++i) out[i] = MarginOf(points[i], cursor);
    }

private:
    struct Column {
        float reach;
        float inverseReach;  // 1 / reach in float
        int yawMargin;       // -1 where the yaw is out of its range
    };

    // Where the last point was found, for the next one: points of a row
    // come in rising x, a subsequence of the grid's samples, and their sums
    // change little from one to the next.
    struct Cursor {
        size_t column = 0;
        float y = 0;
        float inverseY = 1.0f / 0.0f;
    };

    Column ColumnAt(float x, size_t& column) const {
        const size_t n = grid_.size();
        if (!(column < n && grid_[column] == x)) {
            if (column + 1 < n && grid_[column + 1] == x) {
                ++column;
            } else {
                column = static_cast<size_t>(std::lower_bound(grid_.begin(), grid_.end(), x) - grid_.begin());
            }
        }
        const bool onGrid = column < n && grid_[column] == x;
        return onGrid ? columns_[column] : ColumnOf(x);
    }

    uint8_t MarginOf(const D3DXVECTOR3& p, Cursor& cursor) const {
        const Column c = ColumnAt(p.x, cursor.column);
        if (c.yawMargin < 0) return 0;
        const float sum = (p.x * p.x + p.y * p.y) + zz_;
        int hip = RoughHipDegrees(p, c.reach, sum);
        if (hip == INT_MIN) hip = SolverHipDegrees(p, c.reach);
        return MarginFrom(c, hip, knee_.DegreesAt(sum));
    }

    // The solver's own hip degrees.
    int SolverHipDegrees(const D3DXVECTOR3& p, float reach) const {
        LegPose pose;
        pose.SetTarget(D3DXVECTOR3(p.x, p.y, depth_));
        pose.reach = reach;
        IKSolver IK = IK_;
        return ToDegrees(IK.HipAngle(pose));
    }

    uint8_t MarginFrom(const Column& c, int hip, int knee) const {
        const int margin = std::min({c.yawMargin, hipMargins_.Of(hip), kneeMargins_.Of(knee)});
        return static_cast<uint8_t>(std::max(0, margin));
    }

    // The hip's whole degrees as the solver finds them, from its own float
    // steps up to its arc-cosine and arc-tangent (the same operations in the
    // same order as IKSolver::HipAngle) and the rough stand-ins after them.
    // INT_MIN where the angle lies too near a whole degree, or where the
    // cosine is not within [-1, 1].
    int RoughHipDegrees(const D3DXVECTOR3& p, float reach, float sum) const {
        const float distance = static_cast<float>(std::sqrt(static_cast<double>(sum)));
        const float distanceSquared = distance * distance;
        const float hipNumerator = hipConstant_ + distanceSquared;
        const float hipDenominator = twiceUpper_ * distance;
        const float hipCosine = hipNumerator / hipDenominator;
        if (!(std::fabs(hipCosine) <= 1.0f)) return INT_MIN;
        double toTarget = 0;
        if (p.y != 0 || reach != 0) toTarget = RoughAtan2(reach, p.y);
        return DegreesNear(RoughAcos(hipCosine) + toTarget);
    }

#ifdef TAVRIN_ROUGH_SSE2
    static constexpr int kBlock = 64;

    // A block of points in three passes: the columns and the rows'
    // reciprocals one by one; then the rough hip degrees four at a time, in
    // a loop with no branch, so that the long chains of its square roots,
    // quotients and polynomials overlap from one four to the next; then the
    // margins one by one, the knee's from the sums, the solver taking the
    // hips that the rough angles could not settle. `count` is a multiple of
    // four, at most kBlock.
    void BlockMargins(const D3DXVECTOR3* p, int count, Cursor& cursor, uint8_t* out) const {
        alignas(16) float x[kBlock], y[kBlock], reach[kBlock], inverseReach[kBlock], inverseY[kBlock];
        alignas(16) float sums[kBlock];
        alignas(16) int hips[kBlock];
        int yawMargins[kBlock];
        uint64_t settled = 0;
        for (int i = 0; i < count; ++i) {
            const Column c = ColumnAt(p[i].x, cursor.column);
            if (!(p[i].y == cursor.y)) {
                cursor.y = p[i].y;
                cursor.inverseY = 1.0f / p[i].y;
            }
            x[i] = p[i].x;
            y[i] = p[i].y;
            inverseY[i] = cursor.inverseY;
            reach[i] = c.reach;
            inverseReach[i] = c.inverseReach;
            yawMargins[i] = c.yawMargin;
        }
        for (int i = 0; i < count; i += 4) {
            const __m128 xs = _mm_load_ps(x + i), ys = _mm_load_ps(y + i), rs = _mm_load_ps(reach + i);
            // The solver's float steps up to its hip cosine: packed operations
            // round each lane as the scalar ones do, and the packed square
            // root of a float is the float of the double one.
            const __m128 sum = _mm_add_ps(_mm_add_ps(_mm_mul_ps(xs, xs), _mm_mul_ps(ys, ys)), _mm_set1_ps(zz_));
            const __m128 distance = _mm_sqrt_ps(sum);
            const __m128 distanceSquared = _mm_mul_ps(distance, distance);
            const __m128 hipCosine = _mm_div_ps(_mm_add_ps(_mm_set1_ps(hipConstant_), distanceSquared),
                                                _mm_mul_ps(_mm_set1_ps(twiceUpper_), distance));
            const __m128 cosineValid = _mm_cmple_ps(RoughAbs4(hipCosine), _mm_set1_ps(1.0f));
            const __m128 toTarget =
                RoughAtan2_4(rs, ys, _mm_load_ps(inverseReach + i), _mm_load_ps(inverseY + i));
            __m128i degrees;
            const __m128i sure = _mm_and_si128(_mm_castps_si128(cosineValid),
                                               DegreesNear4(_mm_add_ps(RoughAcos4(hipCosine), toTarget), degrees));
            _mm_store_si128(reinterpret_cast<__m128i*>(hips + i), degrees);
            _mm_store_ps(sums + i, sum);
            settled |= static_cast<uint64_t>(_mm_movemask_ps(_mm_castsi128_ps(sure))) << i;
        }
        for (int i = 0; i < count; ++i) {
            if (yawMargins[i] < 0) {
                out[i] = 0;
                continue;
            }
            const Column c{reach[i], inverseReach[i], yawMargins[i]};
            const int hip = settled >> i & 1 ? hips[i] : SolverHipDegrees(p[i], reach[i]);
            out[i] = MarginFrom(c, hip, knee_.DegreesAt(sums[i]));
        }
    }

    // The whole degrees of four rough angles, and a mask of the lanes whose
    // every angle within kRoughError4 truncates to the same degree. A NaN
    // truncates to INT_MIN at both ends and is not settled.
    static __m128i DegreesNear4(__m128 rough, __m128i& degrees) {
        const __m128 error = _mm_set1_ps(kRoughError4);
        const __m128 perRadian = _mm_set1_ps(static_cast<float>(kDegreesPerRadian));
        const __m128i low = _mm_cvttps_epi32(_mm_mul_ps(_mm_sub_ps(rough, error), perRadian));
        const __m128i high = _mm_cvttps_epi32(_mm_mul_ps(_mm_add_ps(rough, error), perRadian));
        degrees = low;
        const __m128i nan = _mm_cmpeq_epi32(low, _mm_set1_epi32(INT_MIN));
        return _mm_andnot_si128(nan, _mm_cmpeq_epi32(low, high));
    }
#endif

    Column ColumnOf(float x) const {
        LegPose pose;
        pose.SetTarget(D3DXVECTOR3(x, 0, depth_));
        IKSolver IK = IK_;
        float e = 90.0f - static_cast<float>(ToDegrees(IK.YawAngle(pose)));
        const JointRange& yaw = leg_.ranges[kYawJoint];
        return Column{pose.reach, 1.0f / pose.reach, yaw.Holds(e) ? RangeMargin(yaw, static_cast<int>(e)) : -1};
    }

    const LegDescription& leg_;
    const IKSolver IK_;
    const std::shared_ptr<const KneeSteps> kneeSteps_;
    const KneeSteps& knee_;
    const std::vector<float>& grid_;
    const float depth_;
    const float zz_;
    const float hipConstant_;
    const float twiceUpper_;
    const DegreeMargins hipMargins_;
    const DegreeMargins kneeMargins_;
    std::vector<Column> columns_;
};

}  // namespace

int JointMargin(const LegDescription& leg, const LegPose& pose) {
    return std::min({RangeMargin(leg.ranges[kYawJoint], pose.yawDeg),
                     RangeMargin(leg.ranges[kHipJoint], pose.hipDeg),
                     RangeMargin(leg.ranges[kKneeJoint], pose.kneeDeg)});
}

void SliceMargins(const LegDescription& leg, const std::vector<float>& grid, float depth, const PointList& points,
                  std::vector<uint8_t>& margins, WorkerPool* pool) {
    margins.resize(points.size());
    const MarginSolver solver(leg, grid, depth);
    const size_t count = points.size();
    // Below some thousands of points sharing out costs more than it saves;
    // above, several pieces a thread even out the rows' differing costs.
    const int threads = pool ? pool->Threads() : 1;
    const int pieces = static_cast<int>(std::max<size_t>(1, std::min<size_t>(4 * threads, count / 4096)));
    auto piece = [&](int k) {
        const size_t from = count * k / pieces, to = count * (k + 1) / pieces;
        solver.Margins(points.data(), from, to, margins.data());
    };
    if (pool) pool->Run(pieces, piece);
    else for (int k = 0; k < pieces; ++k) piece(k);
}
