#include "volume/margin.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <thread>

#include "kinematics/truncate.h"
#include "volume/rough_angles.h"

namespace {

// How far a rough angle may be from the solver's: the stand-ins' errors
// (6.76e-5 + 1.15e-5) plus the solver's float roundings of its arc-cosine,
// arc-tangent and their sum (below 7e-7), with room to spare.
constexpr double kRoughError = 1.2e-4;

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

// The solver's steps for one target, with the column's share done once:
// Solve finds the yaw and the signed reach from x and the depth, then the
// hip and the knee from the whole target. Only the tests of Solve are kept,
// none of the knee position that it works out afterwards.
class MarginSolver {
public:
    MarginSolver(const LegDescription& leg, const std::vector<float>& grid, float depth)
        : leg_(leg), IK_(leg.Solver()), grid_(grid), depth_(depth), zz_(depth * depth),
          hipConstant_(static_cast<float>(leg.upper * leg.upper - leg.lower * leg.lower)),
          twiceUpper_(static_cast<float>(2 * leg.upper)),
          kneeConstant_(static_cast<float>(leg.upper * leg.upper + leg.lower * leg.lower)),
          kneeDenominator_(static_cast<float>(2 * leg.upper * leg.lower)) {
        columns_.reserve(grid.size());
        for (float x : grid) columns_.push_back(ColumnOf(x));
    }

    // Points of one row come in rising x, a subsequence of the grid's
    // samples: the column is usually the one after the last.
    uint8_t MarginOf(const D3DXVECTOR3& p, size_t& column) const {
        const size_t n = grid_.size();
        if (!(column < n && grid_[column] == p.x)) {
            if (column + 1 < n && grid_[column + 1] == p.x) {
                ++column;
            } else {
                column = static_cast<size_t>(std::lower_bound(grid_.begin(), grid_.end(), p.x) - grid_.begin());
            }
        }
        const bool onGrid = column < n && grid_[column] == p.x;
        const Column c = onGrid ? columns_[column] : ColumnOf(p.x);
        if (c.yawMargin < 0) return 0;
        int hip = INT_MIN, knee = INT_MIN;
        RoughDegrees(p, c.reach, hip, knee);
        if (hip == INT_MIN || knee == INT_MIN) {
            LegPose pose;
            pose.SetTarget(D3DXVECTOR3(p.x, p.y, depth_));
            pose.reach = c.reach;
            IKSolver IK = IK_;
            hip = ToDegrees(IK.HipAngle(pose));
            knee = ToDegrees(IK.KneeAngle(pose));
        }
        float f = 180.0f - static_cast<float>(hip);
        float g = static_cast<float>(knee);
        if (!leg_.ranges[kHipJoint].Holds(f) || !leg_.ranges[kKneeJoint].Holds(g)) return 0;
        // Held by their ranges, f and g are whole numbers within 0..180.
        int margin = std::min({c.yawMargin, RangeMargin(leg_.ranges[kHipJoint], static_cast<int>(f)),
                               RangeMargin(leg_.ranges[kKneeJoint], static_cast<int>(g))});
        return static_cast<uint8_t>(margin);
    }

private:
    // The hip's and the knee's whole degrees as the solver finds them,
    // from its own float steps up to each arc-cosine and arc-tangent (the
    // same operations in the same order as IKSolver::HipAngle and
    // KneeAngle) and the rough stand-ins after them. INT_MIN for a joint
    // whose angle lies too near a whole degree, or where a cosine is not
    // within [-1, 1].
    void RoughDegrees(const D3DXVECTOR3& p, float reach, int& hip, int& knee) const {
        const float xx = p.x * p.x;
        const float yy = p.y * p.y;
        const float sum = (xx + yy) + zz_;
        const float distance = static_cast<float>(std::sqrt(static_cast<double>(sum)));
        const float distanceSquared = distance * distance;
        const float hipNumerator = hipConstant_ + distanceSquared;
        const float hipDenominator = twiceUpper_ * distance;
        const float hipCosine = hipNumerator / hipDenominator;
        const float kneeNumerator = kneeConstant_ - distanceSquared;
        const float kneeCosine = kneeNumerator / kneeDenominator_;
        if (!(std::fabs(hipCosine) <= 1.0f) || !(std::fabs(kneeCosine) <= 1.0f)) return;
        double toTarget = 0;
        if (p.y != 0 || reach != 0) toTarget = RoughAtan2(reach, p.y);
        hip = DegreesNear(RoughAcos(hipCosine) + toTarget);
        knee = DegreesNear(RoughAcos(kneeCosine));
    }

    struct Column {
        float reach;
        int yawMargin;  // -1 where the yaw is out of its range
    };

    Column ColumnOf(float x) const {
        LegPose pose;
        pose.SetTarget(D3DXVECTOR3(x, 0, depth_));
        IKSolver IK = IK_;
        float e = 90.0f - static_cast<float>(ToDegrees(IK.YawAngle(pose)));
        const JointRange& yaw = leg_.ranges[kYawJoint];
        return Column{pose.reach, yaw.Holds(e) ? RangeMargin(yaw, static_cast<int>(e)) : -1};
    }

    const LegDescription& leg_;
    const IKSolver IK_;
    const std::vector<float>& grid_;
    const float depth_;
    const float zz_;
    const float hipConstant_;
    const float twiceUpper_;
    const float kneeConstant_;
    const float kneeDenominator_;
    std::vector<Column> columns_;
};

}  // namespace

int JointMargin(const LegDescription& leg, const LegPose& pose) {
    return std::min({RangeMargin(leg.ranges[kYawJoint], pose.yawDeg),
                     RangeMargin(leg.ranges[kHipJoint], pose.hipDeg),
                     RangeMargin(leg.ranges[kKneeJoint], pose.kneeDeg)});
}

void SliceMargins(const LegDescription& leg, const std::vector<float>& grid, float depth, const PointList& points,
                  std::vector<uint8_t>& margins, int threads) {
    margins.resize(points.size());
    const MarginSolver solver(leg, grid, depth);
    auto share = [&](size_t from, size_t to) {
        size_t column = 0;
        for (size_t i = from; i < to; ++i) margins[i] = solver.MarginOf(points[i], column);
    };
    // Below some thousands of points a thread costs more than it saves.
    const size_t count = points.size();
    const size_t parts = std::max<size_t>(1, std::min<size_t>(threads, count / 4096));
    std::vector<std::thread> others;
    for (size_t k = 1; k < parts; ++k) others.emplace_back(share, count * k / parts, count * (k + 1) / parts);
    share(0, count / parts);
    for (std::thread& other : others) other.join();
}
