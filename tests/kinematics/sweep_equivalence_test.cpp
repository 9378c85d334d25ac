// The fast sweep against the literal one, one full solve per grid point:
// the same points, bit for bit, in the same order, at many depths.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "parallel/worker_pool.h"
#include "float_bits.h"

namespace {

std::string PointText(const D3DXVECTOR3& p) {
    return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ", " + std::to_string(p.z) + ")";
}

// Compares two lists bit for bit and names the first point where they part.
::testing::AssertionResult SameBits(const PointList& expected, const PointList& actual) {
    size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; ++i) {
        const D3DXVECTOR3& e = expected[i];
        const D3DXVECTOR3& a = actual[i];
        if (FloatBits(e.x) != FloatBits(a.x) || FloatBits(e.y) != FloatBits(a.y) || FloatBits(e.z) != FloatBits(a.z)) {
            return ::testing::AssertionFailure()
                   << "point " << i << ": expected " << PointText(e) << ", got " << PointText(a);
        }
    }
    if (expected.size() != actual.size()) {
        const PointList& longer = expected.size() > actual.size() ? expected : actual;
        return ::testing::AssertionFailure()
               << "expected " << expected.size() << " points, got " << actual.size() << "; first extra "
               << (&longer == &expected ? "expected " : "actual ") << PointText(longer[common]);
    }
    return ::testing::AssertionSuccess();
}

// Three threads on however many cores: bands are taken in no fixed order.
WorkerPool& Pool() {
    static WorkerPool pool(3);
    return pool;
}

// Both sweeps at one depth, each into a list that holds stale points: the
// fast one on this thread and in bands on the pool, once into a list
// shorter than the slice's and once into a longer one.
void ExpectSameSweep(const LegDescription& leg, float depth) {
    SCOPED_TRACE("depth " + std::to_string(depth) + " (bits " + std::to_string(FloatBits(depth)) + ")");
    PointList literal(3, D3DXVECTOR3(1, 2, 3));
    PointList fast(7, D3DXVECTOR3(4, 5, 6));
    LiteralSweep(leg, depth, literal);
    FastSweep(leg, depth, fast);
    EXPECT_TRUE(SameBits(literal, fast));
    const std::vector<float> grid = GridSamples(leg.Reach());
    for (size_t stale : {size_t{7}, literal.size() + 1000}) {
        PointList banded(stale, D3DXVECTOR3(7, 8, 9));
        FastSweep(leg, depth, grid, Pool(), banded);
        EXPECT_TRUE(SameBits(literal, banded)) << "in bands, over " << stale << " stale points";
    }
}

void ExpectSameSweep(float depth) {
    ExpectSameSweep(LegDescription{}, depth);
}

// Depths at and around the edges of the reachable slices, signed zeros,
// tiny and huge magnitudes, and values that are no numbers at all.
const float kEdgeDepths[] = {
    -26.0f, -25.0f, -24.95f, -0.0f, 0.0f, 1e-30f, -1e-30f, 24.999f, 25.0f, 26.0f,
    std::nextafter(25.0f, 0.0f), std::nextafter(-25.0f, 0.0f), std::nextafter(25.0f, 26.0f), 24.9f, -24.5f,
    std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
    5.0f, -5.0f, 4.9f, 5.1f, 15.0f, -10.0f, 1.0f, 0.05f, -0.025f,
    1e30f, -1e30f, std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
};

class EdgeDepthSweep : public ::testing::TestWithParam<float> {};

TEST_P(EdgeDepthSweep, MatchesTheLiteralSweep) {
    ExpectSameSweep(GetParam());
}

// Each depth's test is named by its index and its value, e.g. 3_minus0,
// 30_minusinf, 31_nan (a name holds letters, digits and underscores only).
std::string EdgeDepthName(const ::testing::TestParamInfo<float>& info) {
    std::string text = std::to_string(info.param);
    if (std::isnan(info.param)) text = "nan";
    else if (std::isinf(info.param)) text = info.param < 0 ? "-inf" : "inf";
    else if (std::abs(info.param) >= 1e6f || (info.param != 0 && std::abs(info.param) < 1e-3f)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.3g", info.param);
        text = buffer;
    } else if (info.param == 0 && std::signbit(info.param)) text = "-0";
    std::string name = std::to_string(info.index) + "_";
    for (char c : text) {
        if (c == '-') name += "minus";
        else if (c == '.') name += "p";
        else if (c == '+') name += "plus";
        else name += c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Edges, EdgeDepthSweep, ::testing::ValuesIn(kEdgeDepths), EdgeDepthName);

// Depths drawn uniformly from [-26, 26] by a fixed generator, in shards that
// ctest runs side by side. The mapping from the generator's words to floats
// is spelled out here so that every platform draws the same depths.
constexpr int kRandomShards = 8;
constexpr int kDepthsPerShard = 24;

std::vector<float> RandomDepths(int shard) {
    std::mt19937 words(20240611u);
    std::vector<float> depths;
    for (int i = 0; i < kRandomShards * kDepthsPerShard; ++i) {
        uint32_t word = static_cast<uint32_t>(words());
        float depth = static_cast<float>(-26.0 + 52.0 * (static_cast<double>(word) / 4294967296.0));
        if (i % kRandomShards == shard) depths.push_back(depth);
    }
    return depths;
}

class RandomDepthSweep : public ::testing::TestWithParam<int> {};

TEST_P(RandomDepthSweep, MatchesTheLiteralSweep) {
    std::vector<float> depths = RandomDepths(GetParam());
    ASSERT_EQ(static_cast<size_t>(kDepthsPerShard), depths.size());
    for (float depth : depths) ExpectSameSweep(depth);
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomDepthSweep, ::testing::Range(0, kRandomShards));

TEST(RandomDepthsTest, SpreadOverTheWholeRangeOfSlices) {
    int below = 0, inside = 0, beyond = 0;
    for (int shard = 0; shard < kRandomShards; ++shard) {
        for (float depth : RandomDepths(shard)) {
            ASSERT_GE(depth, -26.0f);
            ASSERT_LE(depth, 26.0f);
            float magnitude = std::fabs(depth);
            (magnitude < 5 ? below : magnitude < 25 ? inside : beyond)++;
        }
    }
    // Slices inside the inner shell, through the body of the reach, and
    // beyond it are all drawn.
    EXPECT_GT(below, 10);
    EXPECT_GT(inside, 100);
    EXPECT_GT(beyond, 0);
}

std::string LegText(const LegDescription& leg) {
    std::string text = std::to_string(leg.upper) + "/" + std::to_string(leg.lower);
    for (int j = 0; j < kJointCount; ++j) {
        text += std::string(" ") + JointName(static_cast<Joint>(j)) + " " + std::to_string(leg.ranges[j].min) + ".." +
                std::to_string(leg.ranges[j].max);
    }
    return text;
}

LegDescription MakeLeg(int upper, int lower, JointRange yaw = {}, JointRange hip = {}, JointRange knee = {}) {
    LegDescription leg;
    leg.upper = upper;
    leg.lower = lower;
    leg.ranges = {yaw, hip, knee};
    return leg;
}

// Legs at the edges of what a leg file allows, each at depths through the
// middle, the inner shell and the edge of its reach.
struct EdgeLeg {
    LegDescription leg;
    const char* why;
};

const EdgeLeg kEdgeLegs[] = {
    {MakeLeg(1, 1), "the shortest leg, no hole in the shell"},
    {MakeLeg(1000, 1000), "the longest leg"},
    {MakeLeg(1, 1000), "upper far shorter than lower: a shell thinner than the grid step"},
    {MakeLeg(1000, 1), "upper far longer than lower"},
    {MakeLeg(3, 200), "lower much longer"},
    {MakeLeg(250, 7), "upper much longer"},
    {MakeLeg(200, 300), "a reach of 500: the grid holds x = 0 and y = 0 exactly"},
    {MakeLeg(10, 15, {90, 90}), "a yaw range of one angle"},
    {MakeLeg(10, 15, {}, {45, 46}), "a hip range of two degrees"},
    {MakeLeg(10, 15, {}, {}, {120, 120}), "a knee range of one degree"},
    {MakeLeg(40, 65, {30, 150}, {10, 170}, {5, 175}), "every joint narrowed"},
    {MakeLeg(10, 15, {}, {0, 0}), "the hip only at 0"},
    {MakeLeg(10, 15, {}, {180, 180}), "the hip only at 180"},
    {MakeLeg(17, 17, {0, 180}, {90, 180}, {0, 90}), "equal segments, half ranges"},
};

// What a failure or a listing shows for a leg, instead of its bytes.
void PrintTo(const EdgeLeg& edge, std::ostream* out) { *out << LegText(edge.leg) << ": " << edge.why; }

class EdgeLegSweep : public ::testing::TestWithParam<EdgeLeg> {};

TEST_P(EdgeLegSweep, MatchesTheLiteralSweep) {
    const LegDescription& leg = GetParam().leg;
    SCOPED_TRACE(LegText(leg) + ": " + GetParam().why);
    const float reach = static_cast<float>(leg.Reach());
    const float inner = static_cast<float>(std::abs(leg.upper - leg.lower));
    for (float depth : {0.0f, 0.3f * reach, -inner, -0.97f * reach, reach}) ExpectSameSweep(leg, depth);
}

// Each leg's test is named by its lengths and ranges, e.g.
// upper40_lower65_yaw30to150_hip10to170_knee5to175.
std::string EdgeLegName(const ::testing::TestParamInfo<EdgeLeg>& info) {
    const LegDescription& leg = info.param.leg;
    std::string name = "upper" + std::to_string(leg.upper) + "_lower" + std::to_string(leg.lower);
    const JointRange full;
    for (int j = 0; j < kJointCount; ++j) {
        const JointRange& r = leg.ranges[j];
        if (r.min == full.min && r.max == full.max) continue;
        name += std::string("_") + JointName(static_cast<Joint>(j)) + std::to_string(r.min) + "to" + std::to_string(r.max);
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Legs, EdgeLegSweep, ::testing::ValuesIn(kEdgeLegs), EdgeLegName);

// Legs drawn by a fixed generator: lengths from every scale (1..10, 1..100,
// 1..1000), each joint's range either whole or two draws from 0..180, and a
// depth anywhere from -1.1 to 1.1 reaches. Words map to values by remainders
// spelled out here, so every platform draws the same legs.
constexpr int kLegShards = 8;
constexpr int kLegsPerShard = 6;

struct DrawnLeg {
    LegDescription leg;
    float depth;
};

std::vector<DrawnLeg> RandomLegs(int shard) {
    std::mt19937 words(20261210u);
    auto draw = [&](uint32_t n) { return static_cast<int>(static_cast<uint32_t>(words()) % n); };
    const int scales[] = {10, 100, 1000};
    std::vector<DrawnLeg> legs;
    for (int i = 0; i < kLegShards * kLegsPerShard; ++i) {
        DrawnLeg d;
        d.leg.upper = 1 + draw(scales[draw(3)]);
        d.leg.lower = 1 + draw(scales[draw(3)]);
        for (JointRange& range : d.leg.ranges) {
            if (draw(3) == 0) continue;
            int a = draw(181), b = draw(181);
            range = JointRange{std::min(a, b), std::max(a, b)};
        }
        double share = -1.1 + 2.2 * (static_cast<double>(static_cast<uint32_t>(words())) / 4294967296.0);
        d.depth = static_cast<float>(share * d.leg.Reach());
        if (i % kLegShards == shard) legs.push_back(d);
    }
    return legs;
}

class RandomLegSweep : public ::testing::TestWithParam<int> {};

TEST_P(RandomLegSweep, MatchesTheLiteralSweep) {
    for (const DrawnLeg& d : RandomLegs(GetParam())) {
        SCOPED_TRACE(LegText(d.leg));
        ExpectSameSweep(d.leg, d.depth);
        ExpectSameSweep(d.leg, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Shards, RandomLegSweep, ::testing::Range(0, kLegShards));

}  // namespace
