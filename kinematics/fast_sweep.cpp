// The fast sweep walks each row of the grid in two halves, x < 0 and x >= 0.
// Along a half row the solver's sum s and its reach r are monotone in the
// column (every rounding step is), so each test below changes its value at
// most once over a half row, or, for the knee-circle tests, once on either
// side of the circle's centre. The yaw depends on the column alone and is
// known for each one; where it changes comes from a list made per depth. Binary searches find those changes; between
// two of them every test, and so the verdict, is the same for every point:
// a run of points in range is listed without the solver, a run out of range
// is skipped, and only the runs that no test settles go to the solver. Why
// each verdict is sound is derived in sweep_limits.cpp.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/sweep.h"
#include "parallel/worker_pool.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The tests a verdict reads, one bit each.
enum Test : int {
    kYawInRange,
    kBelowInnerOut,    // s < innerOut
    kAboveOuterOut,    // s > outerOut
    kInnerIn,          // s >= innerIn
    kOuterIn,          // s <= outerIn
    kKneeLowOut,       // s < kneeLowBelow
    kKneeLowIn,        // s > kneeLowAbove
    kKneeHighIn,       // s < kneeHighBelow
    kKneeHighOut,      // s > kneeHighAbove
    kLowerInside,      // G(L) < -margin
    kLowerOutside,     // G(L) > margin
    kUpperInside,      // G(U) < -margin
    kUpperOutside,     // G(U) > margin
    kAngleTestsBegin,
    kAboveLowerSlack = kAngleTestsBegin,  // a > L + slack
    kAboveLowerTurn,                      // a > L - π
    kBelowLower,                          // a < L
    kBelowLowerTurn,                      // a < L - π - slack
    kAboveUpperSlack,                     // a > U + slack
    kAboveUpperTurn,                      // a > U - π
    kBelowUpper,                          // a < U
    kBelowUpperTurn,                      // a < U - π - slack
    kTestCount
};
constexpr int kAngleTests = kTestCount - kAngleTestsBegin;

constexpr uint32_t Bit(Test t) { return 1u << t; }
bool Has(uint32_t bits, Test t) { return (bits & Bit(t)) != 0; }

enum class Verdict { kOut, kIn, kSolve };

// How one hip bound is settled on a half row: where the direction a of every
// point is known to lie beyond its angle test, the bound passes there
// without its circle. (No hip range makes a bound fail a whole half row:
// the lower angle never exceeds 180/K < π, and the upper one is positive.)
enum class Bound { kTested, kPasses };

Verdict VerdictOf(uint32_t bits, Bound lower, Bound upper) {
    const uint32_t surelyOut = Bit(kBelowInnerOut) | Bit(kAboveOuterOut) | Bit(kKneeLowOut) | Bit(kKneeHighOut);
    if (!Has(bits, kYawInRange) || (bits & surelyOut) != 0) return Verdict::kOut;
    const uint32_t surelyIn = Bit(kInnerIn) | Bit(kOuterIn) | Bit(kKneeLowIn) | Bit(kKneeHighIn);
    if ((bits & surelyIn) != surelyIn) return Verdict::kSolve;
    bool lowerPasses = lower == Bound::kPasses || Has(bits, kAboveLowerSlack) ||
                       (Has(bits, kLowerInside) && Has(bits, kAboveLowerTurn));
    bool lowerFails = lower == Bound::kTested && (Has(bits, kBelowLowerTurn) ||
                                                   (Has(bits, kLowerOutside) && Has(bits, kBelowLower)));
    bool upperPasses = upper == Bound::kPasses || Has(bits, kBelowUpperTurn) ||
                       (Has(bits, kUpperOutside) && Has(bits, kBelowUpper));
    bool upperFails = upper == Bound::kTested && (Has(bits, kAboveUpperSlack) ||
                                                   (Has(bits, kUpperInside) && Has(bits, kAboveUpperTurn)));
    if (lowerFails || upperFails) return Verdict::kOut;
    return lowerPasses && upperPasses ? Verdict::kIn : Verdict::kSolve;
}

// A test of the direction a of (r, y) against a fixed angle c on one half
// row. There a lies in [0, π] (x >= 0) or (-π, 0) (x < 0); where c is outside
// that interval the answer is fixed, else r·cos c − y·sin c = rho·sin(a − c)
// tells it, a − c being within [-π, π].
struct AngleTest {
    bool fixed = true;
    bool value = false;
    bool above = true;  // a > c, else a < c
    double cosine = 1;
    double sine = 0;
};

AngleTest MakeAngleTest(double c, bool above, bool rightHalf) {
    AngleTest t;
    t.above = above;
    double low = rightHalf ? 0.0 : -kPi;
    double high = rightHalf ? kPi : 0.0;
    if (c < low || (!rightHalf && c == low)) {
        t.value = above;
    } else if (c > high || (!rightHalf && c == high)) {
        t.value = !above;
    } else {
        t.fixed = false;
        t.cosine = std::cos(c);
        t.sine = std::sin(c);
    }
    return t;
}

// The knee circle of one hip bound: centre u(sin t, cos t).
struct Circle {
    double centreR;
    double centreY;
};

// Where one test changes over [from, to): the value at from and the first
// index with the other value (to when it never changes).
struct Change {
    bool first;
    int at;
};

// For a test that changes at most once over [from, to). The search starts
// at hint, where the change was on the row before: from row to row a
// boundary moves by a column or two, so a few probes either side of the hint
// usually close in on it before the bisection takes over.
template <typename Pred>
Change FindChange(int from, int to, Pred pred, int hint) {
    if (from >= to) return Change{false, to};
    bool first = pred(from);
    if (pred(to - 1) == first) return Change{first, to};
    int lo = from, hi = to - 1;  // pred(lo) == first, pred(hi) != first
    if (hint > lo && hint < hi) {
        if (pred(hint) == first) {
            lo = hint;
            for (int step = 1; lo + step < hi; step *= 2) {
                if (pred(lo + step) != first) {
                    hi = lo + step;
                    break;
                }
                lo += step;
            }
        } else {
            hi = hint;
            for (int step = 1; hi - step > lo; step *= 2) {
                if (pred(hi - step) == first) {
                    lo = hi - step;
                    break;
                }
                hi -= step;
            }
        }
    }
    while (hi - lo > 1) {
        int mid = lo + (hi - lo) / 2;
        if (pred(mid) == first) lo = mid;
        else hi = mid;
    }
    return Change{first, hi};
}

// Where the walk puts the points in range: the runs of them, or only their
// number.
struct PointRun {
    int from;  // columns [from, to) of one row
    int to;
    float y;
};

class RunSink {
public:
    void Take(int from, int to, float y) {
        if (!runs.empty() && runs.back().y == y && runs.back().to == from) {
            runs.back().to = to;
        } else {
            runs.push_back(PointRun{from, to, y});
        }
        count += static_cast<size_t>(to - from);
    }
    std::vector<PointRun> runs;
    size_t count = 0;
};

class CountSink {
public:
    void Take(int from, int to, float) { count += static_cast<size_t>(to - from); }
    size_t count = 0;
};

// What every row of one slice reads: the per-leg limits and the per-depth
// column data, worked out once and shared by the bands of rows.
struct SlicePlan {
    SlicePlan(const LegDescription& leg, float depth, const std::vector<float>& grid)
        : leg(leg), limits(MakeSweepLimits(leg)), samples(grid), depth(depth), zz(depth * depth),
          IK(leg.Solver()) {}

    // False when no point of the slice can be in range. Every sum is at
    // least z·z: beyond the shell nothing is in range, and a NaN depth makes
    // every angle NaN.
    bool Prepare() {
        if (!(zz <= limits.outerOut)) return false;
        PrepareColumns();
        const double l = leg.lower;
        lowerCircle = Circle{leg.upper * std::sin(limits.lowerAngle), leg.upper * std::cos(limits.lowerAngle)};
        upperCircle = Circle{leg.upper * std::sin(limits.upperAngle), leg.upper * std::cos(limits.upperAngle)};
        lowerSquared = l * l;
        return true;
    }

    // Whether any point of the row at sample y can be within the outer window.
    bool RowInWindow(float y) const { return !(y * y + zz > limits.outerOut); }

    // Every point in range lies in the square around the disc where the sum
    // stays within the outer window: the points to make room for.
    size_t SquarePoints() const {
        size_t side = 0;
        for (float square : squares) side += square + zz <= limits.outerOut;
        return side * side;
    }

    const LegDescription& leg;
    const SweepLimits limits;
    const std::vector<float>& samples;
    const float depth;
    const float zz;
    const IKSolver IK;

    int count = 0;
    int firstRight = 0;
    std::vector<float> squares;
    std::vector<double> reach;
    std::vector<char> yawInRange;
    std::vector<int> yawChanges;
    std::array<std::array<AngleTest, kAngleTests>, 2> angleTests{};
    Circle lowerCircle{0, 0};
    Circle upperCircle{0, 0};
    double lowerSquared = 0;

private:
    void PrepareColumns() {
        count = static_cast<int>(samples.size());
        squares.resize(count);
        reach.resize(count);
        yawInRange.resize(count);
        LegPose pose;
        IKSolver solver = IK;
        for (int i = 0; i < count; ++i) {
            float x = samples[i];
            squares[i] = x * x;
            pose.SetTarget(D3DXVECTOR3(x, 0, depth));
            float yaw = solver.YawAngle(pose);
            reach[i] = pose.reach;
            float e = 90.0f - static_cast<float>(ToDegrees(yaw));
            yawInRange[i] = leg.ranges[kYawJoint].Holds(e) ? 1 : 0;
        }
        firstRight = static_cast<int>(
            std::partition_point(samples.begin(), samples.end(), [](float x) { return x < 0; }) - samples.begin());
        yawChanges.clear();
        for (int i = 1; i < count; ++i) {
            if (yawInRange[i] != yawInRange[i - 1]) yawChanges.push_back(i);
        }
        const double turn = kPi;
        const double slack = limits.angleSlack;
        const double L = limits.lowerAngle, U = limits.upperAngle;
        const double angles[kAngleTests] = {L + slack, L - turn, L, L - turn - slack,
                                            U + slack, U - turn, U, U - turn - slack};
        const bool above[kAngleTests] = {true, true, false, false, true, true, false, false};
        for (int half = 0; half < 2; ++half) {
            for (int k = 0; k < kAngleTests; ++k) angleTests[half][k] = MakeAngleTest(angles[k], above[k], half == 1);
        }
    }
};

// Walks a band of rows of a planned slice. Each band has its own walker:
// the hints and cuts below change from row to row.
template <typename Sink>
class SliceWalker {
public:
    SliceWalker(const SlicePlan& plan, Sink& sink, SweepStats& stats)
        : limits_(plan.limits), samples_(plan.samples), depth_(plan.depth), zz_(plan.zz), IK_(plan.IK),
          sink_(sink), stats_(stats), count_(plan.count), firstRight_(plan.firstRight), reach_(plan.reach),
          yawInRange_(plan.yawInRange), yawChanges_(plan.yawChanges), angleTests_(plan.angleTests),
          lowerCircle_(plan.lowerCircle), upperCircle_(plan.upperCircle), lowerSquared_(plan.lowerSquared),
          squares_(plan.squares) {}

    // The rows of samples [firstRow, lastRow).
    void Run(int firstRow, int lastRow) {
        for (int row = firstRow; row < lastRow; ++row) {
            const float y = samples_[row];
            y_ = y;
            yy_ = y * y;
            if (yy_ + zz_ > limits_.outerOut) continue;
            WalkHalf(0, firstRight_, false);
            WalkHalf(firstRight_, count_, true);
        }
    }

private:
    float Sum(int i) const { return (squares_[i] + yy_) + zz_; }

    double CircleTest(const Circle& c, int i) const {
        double dr = reach_[i] - c.centreR;
        double dy = y_ - c.centreY;
        return dr * dr + (dy * dy - lowerSquared_);
    }

    bool Evaluate(Test t, int i) const {
        const SweepLimits& m = limits_;
        switch (t) {
        case kYawInRange: return yawInRange_[i] != 0;
        case kBelowInnerOut: return Sum(i) < m.innerOut;
        case kAboveOuterOut: return Sum(i) > m.outerOut;
        case kInnerIn: return Sum(i) >= m.innerIn;
        case kOuterIn: return Sum(i) <= m.outerIn;
        case kKneeLowOut: return Sum(i) < m.kneeLowBelow;
        case kKneeLowIn: return Sum(i) > m.kneeLowAbove;
        case kKneeHighIn: return Sum(i) < m.kneeHighBelow;
        case kKneeHighOut: return Sum(i) > m.kneeHighAbove;
        case kLowerInside: return CircleTest(lowerCircle_, i) < -m.circleMargin;
        case kLowerOutside: return CircleTest(lowerCircle_, i) > m.circleMargin;
        case kUpperInside: return CircleTest(upperCircle_, i) < -m.circleMargin;
        case kUpperOutside: return CircleTest(upperCircle_, i) > m.circleMargin;
        default: {
            const AngleTest& a = (*angles_)[t - kAngleTestsBegin];
            if (a.fixed) return a.value;
            double cross = reach_[i] * a.cosine - y_ * a.sine;
            return a.above ? cross > m.guardMargin : cross < -m.guardMargin;
        }
        }
    }

    struct Cut {
        int at;
        Test test;
        bool operator<(const Cut& other) const { return at < other.at; }
    };

    void AddCut(int at, Test test) {
        if (at <= lo_ || at >= hi_) return;
        if (cutCount_ == kMaxCuts) {
            tooManyCuts_ = true;
            return;
        }
        cuts_[cutCount_++] = Cut{at, test};
    }

    // Adds the change of a test over [from, to); returns where it holds
    // there, as [begin, end).
    void AddChange(Test t, int from, int to, int* begin = nullptr, int* end = nullptr, int side = 0) {
        int& hint = (*hints_)[2 * t + side];
        Change c = FindChange(from, to, [&](int i) { return Evaluate(t, i); }, hint);
        if (c.at < to) hint = c.at;
        AddCut(c.at, t);
        if (begin) {
            *begin = c.first ? from : c.at;
            *end = c.first ? c.at : to;
        }
    }

    void WalkHalf(int first, int last, bool rightHalf) {
        angles_ = &angleTests_[rightHalf ? 1 : 0];
        hints_ = &halfHints_[rightHalf ? 1 : 0];
        // The sum falls towards x = 0 on the left half and rises from it on
        // the right; only [lo_, hi_) lies within the outer window.
        auto outside = [&](int i) { return Sum(i) > limits_.outerOut; };
        Change edge = FindChange(first, last, outside, (*hints_)[kEdgeHint]);
        if (edge.at < last) (*hints_)[kEdgeHint] = edge.at;
        lo_ = rightHalf ? first : (edge.first ? edge.at : first);
        hi_ = rightHalf ? (edge.first ? first : edge.at) : last;
        if (lo_ >= hi_) return;
        cutCount_ = 0;
        tooManyCuts_ = false;

        // The sum's tests, and the live range where the sum leaves the
        // verdict to the angle tests.
        int live[2] = {lo_, hi_};
        auto narrow = [&](Test t) {
            int b, e;
            AddChange(t, lo_, hi_, &b, &e);
            live[0] = std::max(live[0], b);
            live[1] = std::min(live[1], e);
        };
        AddChange(kBelowInnerOut, lo_, hi_);
        AddChange(kKneeLowOut, lo_, hi_);
        AddChange(kKneeHighOut, lo_, hi_);
        narrow(kInnerIn);
        narrow(kOuterIn);
        narrow(kKneeLowIn);
        narrow(kKneeHighIn);
        auto from = std::lower_bound(yawChanges_.begin(), yawChanges_.end(), lo_ + 1);
        for (auto it = from; it != yawChanges_.end() && *it < hi_; ++it) AddCut(*it, kYawInRange);

        const int p = live[0], q = live[1];
        lower_ = BoundOnHalf(kAboveLowerSlack);
        upper_ = BoundOnHalf(kBelowUpperTurn);
        if (p < q) {
            if (lower_ == Bound::kTested) AddBoundChanges(lowerCircle_, kLowerInside, kLowerOutside, 0, p, q);
            if (upper_ == Bound::kTested) AddBoundChanges(upperCircle_, kUpperInside, kUpperOutside, 4, p, q);
        }
        Walk();
    }

    // A bound that its angle test settles for the whole half row.
    Bound BoundOnHalf(Test passesBeyond) const {
        const AngleTest& passes = (*angles_)[passesBeyond - kAngleTestsBegin];
        return passes.fixed && passes.value ? Bound::kPasses : Bound::kTested;
    }

    // The tests of one bound over the live range [p, q): its circle's and its
    // four angle tests, which follow kAngleTestsBegin from firstAngle on.
    void AddBoundChanges(const Circle& c, Test inside, Test outside, int firstAngle, int p, int q) {
        AddCut(p, inside);
        AddCut(p, outside);
        for (int k = firstAngle; k < firstAngle + 4; ++k) {
            Test t = static_cast<Test>(kAngleTestsBegin + k);
            AddCut(p, t);
            if (!(*angles_)[k].fixed) AddChange(t, p, q);
        }
        AddCircleChanges(c, inside, outside, p, q);
    }

    // A circle test falls until the reach passes the centre and rises after.
    void AddCircleChanges(const Circle& c, Test inside, Test outside, int p, int q) {
        int centre = static_cast<int>(
            std::partition_point(reach_.begin() + p, reach_.begin() + q, [&](double r) { return r < c.centreR; }) -
            reach_.begin());
        AddCut(centre, inside);
        AddCut(centre, outside);
        AddChange(inside, p, centre);
        AddChange(outside, p, centre);
        AddChange(inside, centre, q, nullptr, nullptr, 1);
        AddChange(outside, centre, q, nullptr, nullptr, 1);
    }

    void Walk() {
        // Never expected; should it happen, the solver settles the half row.
        if (tooManyCuts_) {
            Emit(lo_, hi_, Verdict::kSolve);
            return;
        }
        std::sort(cuts_.begin(), cuts_.begin() + cutCount_);
        uint32_t bits = 0;
        for (int t = 0; t < kTestCount; ++t) {
            if (Evaluate(static_cast<Test>(t), lo_)) bits |= Bit(static_cast<Test>(t));
        }
        int runStart = lo_;
        Verdict current = VerdictOf(bits, lower_, upper_);
        for (int k = 0; k < cutCount_;) {
            int at = cuts_[k].at;
            for (; k < cutCount_ && cuts_[k].at == at; ++k) {
                Test t = cuts_[k].test;
                bits = Evaluate(t, at) ? (bits | Bit(t)) : (bits & ~Bit(t));
            }
            Verdict next = VerdictOf(bits, lower_, upper_);
            if (next != current) {
                Emit(runStart, at, current);
                runStart = at;
                current = next;
            }
        }
        Emit(runStart, hi_, current);
    }

    void Emit(int from, int to, Verdict verdict) {
        if (verdict == Verdict::kIn) {
            sink_.Take(from, to, y_);
        } else if (verdict == Verdict::kSolve) {
            LegPose pose;
            for (int i = from; i < to; ++i) {
                ++stats_.exactSolves;
                pose.SetTarget(D3DXVECTOR3(samples_[i], y_, depth_));
                IK_.Solve(pose);
                if (!IK_.outOfRange) sink_.Take(i, i + 1, y_);
            }
        }
    }

    static constexpr int kMaxCuts = 64;

    const SweepLimits& limits_;
    const std::vector<float>& samples_;
    const float depth_;
    const float zz_;
    IKSolver IK_;
    Sink& sink_;
    SweepStats& stats_;

    const int count_;
    const int firstRight_;
    const std::vector<double>& reach_;
    const std::vector<char>& yawInRange_;
    const std::vector<int>& yawChanges_;
    const std::array<std::array<AngleTest, kAngleTests>, 2>& angleTests_;
    const Circle lowerCircle_;
    const Circle upperCircle_;
    const double lowerSquared_;
    const std::vector<float>& squares_;

    // Where each test changed on the row before, per half row: two slots per
    // test (either side of a circle's centre) and one for the outer edge.
    static constexpr int kEdgeHint = 2 * kTestCount;
    using Hints = std::array<int, 2 * kTestCount + 1>;
    std::array<Hints, 2> halfHints_{};
    Hints* hints_ = nullptr;
    Bound lower_ = Bound::kTested;
    Bound upper_ = Bound::kTested;
    const std::array<AngleTest, kAngleTests>* angles_ = nullptr;
    float y_ = 0;
    float yy_ = 0;
    int lo_ = 0;
    int hi_ = 0;
    int cutCount_ = 0;
    bool tooManyCuts_ = false;
    std::array<Cut, kMaxCuts> cuts_{};
};

}  // namespace

namespace {

// The rows [first, last) of the grid whose points may be in range, split
// into bands. A middle row costs far more than one near the edge of the
// reach, so there are several bands a thread, taken as threads become free.
struct Bands {
    int first = 0;
    int last = 0;
    int count = 0;
    int Begin(int band) const { return first + static_cast<int>(int64_t{last - first} * band / count); }
};

Bands BandsOf(const SlicePlan& plan, int threads) {
    Bands bands;
    const int rows = static_cast<int>(plan.samples.size());
    while (bands.first < rows && !plan.RowInWindow(plan.samples[bands.first])) ++bands.first;
    bands.last = rows;
    while (bands.last > bands.first && !plan.RowInWindow(plan.samples[bands.last - 1])) --bands.last;
    const int kBandsPerThread = 4;
    bands.count = std::max(1, std::min(threads == 1 ? 1 : kBandsPerThread * threads, bands.last - bands.first));
    return bands;
}

// Sweeps the bands on the pool, each into runs of points, and then writes
// the runs into the list, each band at its place, on the pool again.
void SweepInBands(const LegDescription& leg, float depth, const std::vector<float>& grid, WorkerPool* pool,
                  PointList& points, SweepStats* stats) {
    SlicePlan plan(leg, depth, grid);
    if (!plan.Prepare()) {
        points.clear();
        if (stats) *stats = SweepStats{};
        return;
    }
    const Bands bands = BandsOf(plan, pool ? pool->Threads() : 1);
    std::vector<RunSink> runs(static_cast<size_t>(bands.count));
    std::vector<SweepStats> counts(static_cast<size_t>(bands.count));
    // Each band walks into a sink and counts of its own on its thread's
    // stack, and hands them over once: side by side in the arrays, bands on
    // different threads would write one cache line back and forth.
    auto sweepBand = [&](int band) {
        RunSink sink;
        SweepStats bandStats;
        SliceWalker<RunSink>(plan, sink, bandStats).Run(bands.Begin(band), bands.Begin(band + 1));
        runs[band] = std::move(sink);
        counts[band] = bandStats;
    };
    if (pool) pool->Run(bands.count, sweepBand);
    else for (int band = 0; band < bands.count; ++band) sweepBand(band);

    std::vector<size_t> offsets(static_cast<size_t>(bands.count) + 1, 0);
    SweepStats total;
    for (int band = 0; band < bands.count; ++band) {
        offsets[band + 1] = offsets[band] + runs[band].count;
        total.exactSolves += counts[band].exactSolves;
    }
    // Room for the square around the disc of reach, kept from one depth to
    // the next. The list is not cleared first: every element below its new
    // size is written next, and only those beyond its old size are made.
    points.reserve(plan.SquarePoints());
    points.resize(offsets.back());
    const float* xs = plan.samples.data();
    auto fillBand = [&](int band) {
        D3DXVECTOR3* out = points.data() + offsets[band];
        for (const PointRun& run : runs[band].runs) {
            for (int i = run.from; i < run.to; ++i) *out++ = D3DXVECTOR3(xs[i], run.y, 0);
        }
    };
    if (pool) pool->Run(bands.count, fillBand);
    else for (int band = 0; band < bands.count; ++band) fillBand(band);
    if (stats) *stats = total;
}

}  // namespace

void FastSweep(const LegDescription& leg, float depth, const std::vector<float>& grid, PointList& points,
               SweepStats* stats) {
    SweepInBands(leg, depth, grid, nullptr, points, stats);
}

void FastSweep(const LegDescription& leg, float depth, const std::vector<float>& grid, WorkerPool& pool,
               PointList& points, SweepStats* stats) {
    SweepInBands(leg, depth, grid, &pool, points, stats);
}

void FastSweep(const LegDescription& leg, float depth, PointList& points, SweepStats* stats) {
    FastSweep(leg, depth, GridSamples(leg.Reach()), points, stats);
}

void FastSweep(float depth, PointList& points, SweepStats* stats) {
    FastSweep(LegDescription{}, depth, GridSamples(), points, stats);
}

size_t FastSweepCount(const LegDescription& leg, float depth, const std::vector<float>& grid, SweepStats* stats) {
    SweepStats counts;
    CountSink sink;
    SlicePlan plan(leg, depth, grid);
    if (plan.Prepare()) SliceWalker<CountSink>(plan, sink, counts).Run(0, static_cast<int>(grid.size()));
    if (stats) *stats = counts;
    return sink.count;
}
