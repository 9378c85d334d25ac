// The window for a leg of one's own: its scale, start target and cloud, the
// angle rows, and the command line that chooses them.
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

#include "app_fixture.h"
#include "app/options.h"
#include "kinematics/truncate.h"
#include "tests/support/pixels.h"
#include "kinematics/sweep.h"
#include "legfile/leg_file.h"

namespace {

LegDescription LongLeg() {
    LegDescription leg;
    leg.upper = 40;
    leg.lower = 65;
    return leg;
}

class LongLegWindow : public AppTest {
public:
    LongLegWindow() { legToShow = LongLeg(); }
};

TEST_F(LongLegWindow, ScaleStartTargetAndCloudFollowTheLeg) {
    EXPECT_FLOAT_EQ(375.0f / 105.0f, app.scale.x);
    EXPECT_FLOAT_EQ(app.scale.x, app.scale.y);
    EXPECT_FLOAT_EQ(42.0f, app.target.x);
    EXPECT_FLOAT_EQ(63.0f, app.target.y);
    EXPECT_TRUE(app.haveValidTarget);
    PointList literal;
    LiteralSweep(LongLeg(), 0.0f, literal);
    ASSERT_EQ(literal.size(), app.leg->workspace.size());
    EXPECT_EQ(0, std::memcmp(literal.data(), app.leg->workspace.data(), literal.size() * sizeof literal[0]));
    // The axes and the leg lie over part of the cloud, and nothing else.
    const PixelSet expected = CloudPixels();
    const PixelSet seen = FrontCloudPixels();
    for (const auto& p : seen) ASSERT_TRUE(expected.count(p)) << p.first << "," << p.second;
    EXPECT_GT(seen.size(), expected.size() * 98 / 100);
    // The foot at (42, 63) units is 150 and 225 pixels from the root, as
    // the default leg's (10, 15) is.
    EXPECT_EQ(kGrey, Front(400, 624));
}

// The main window's title as the window holds it.
std::string Title() {
    char text[512];
    int length = GetWindowTextA(app.hWnd, text, sizeof text);
    return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

// A leg that reaches nothing at all: the title says so, not that the start
// target is out of reach.
class NothingReachableWindow : public AppTest {
public:
    NothingReachableWindow() {
        legToShow.ranges[kYawJoint] = JointRange{0, 0};
        legToShow.ranges[kHipJoint] = JointRange{0, 0};
        legToShow.ranges[kKneeJoint] = JointRange{0, 0};
    }
};

TEST_F(NothingReachableWindow, TheTitleSaysNothingIsReachableAtThisDepth) {
    EXPECT_TRUE(app.leg->workspace.empty());
    EXPECT_EQ("Tavrin FrontView \x97 nothing is reachable at this depth", Title());
}

// A hip that may only reach 0..10: the start target (10, 15, 0) needs 90.
class NarrowHipWindow : public AppTest {
public:
    NarrowHipWindow() { legToShow.ranges[kHipJoint] = JointRange{0, 10}; }
};

TEST_F(NarrowHipWindow, NoLegIsDrawnUntilATargetSolves) {
    EXPECT_FALSE(app.haveValidTarget);
    EXPECT_EQ("Tavrin FrontView \x97 the start target is out of reach", Title());
    for (int y = 0; y < 811; ++y) {
        for (int x = 0; x < 684; ++x) ASSERT_NE(kGrey, Front(x, y)) << x << "," << y;
    }
    // The readout still shows the requested target.
    EXPECT_EQ(656 + TextBoxWidth("10"), TextBoxRight(app.buffers->frontDC, 656, 70));
    // The first pixel, row by row, whose target this leg reaches.
    int px = -1, py = -1;
    for (int y = 0; y < 811 && px < 0; ++y) {
        for (int x = 0; x < 684 && px < 0; ++x) {
            LegPose pose;
            pose.SetTarget(D3DXVECTOR3((static_cast<float>(x) - app.origin.x) / app.scale.x,
                                       (static_cast<float>(y) - app.origin.y) / app.scale.y, 0));
            IKSolver IK = legToShow.Solver();
            IK.Solve(pose);
            if (!IK.outOfRange) px = x, py = y;
        }
    }
    ASSERT_GE(px, 0);
    Mouse(WM_LBUTTONDOWN, px, py, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, px, py, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_TRUE(app.haveValidTarget);
    EXPECT_EQ("Tavrin FrontView", Title()) << "a leg is drawn: the plain title again";
    int grey = 0;
    for (int y = 0; y < 811; ++y) {
        for (int x = 0; x < 684; ++x) grey += Front(x, y) == kGrey;
    }
    EXPECT_GT(grey, 100) << "the leg is drawn";
}

TEST_F(AppTest, TheKeyAShowsAndHidesTheAnglesOfTheDrawnPose) {
    const uint64_t without = FrontHash();
    const int x = 656;
    TapKey('A');
    ASSERT_TRUE(Pump());
    EXPECT_TRUE(app.showAngles);
    // The start pose: yaw 90, hip 90, knee 90.
    for (int row : {130, 150, 170}) EXPECT_EQ(x + TextBoxWidth("90"), TextBoxRight(app.buffers->frontDC, x, row)) << row;

    // Out of reach, the rows keep the last pose that solved.
    Mouse(WM_LBUTTONDOWN, 250, 400, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 250, 400, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(x + TextBoxWidth("0"), TextBoxRight(app.buffers->frontDC, x, 70));
    for (int row : {130, 150, 170}) EXPECT_EQ(x + TextBoxWidth("90"), TextBoxRight(app.buffers->frontDC, x, row)) << row;
    Mouse(WM_MOUSEMOVE, 400, 625, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, 400, 625, 0);
    ASSERT_TRUE(Pump());

    TapKey('A');
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.showAngles);
    EXPECT_EQ(without, FrontHash());
}

class AnglesShownWindow : public AppTest {
public:
    AnglesShownWindow() { anglesShown = true; }
};

TEST_F(AnglesShownWindow, StartsWithTheAngleRows) {
    for (int row : {130, 150, 170}) EXPECT_EQ(656 + TextBoxWidth("90"), TextBoxRight(app.buffers->frontDC, 656, row)) << row;
}

// Each angle row is labelled with its joint, in the readout's font, ending
// a space before the number; the target's rows have no label.
TEST_F(AnglesShownWindow, TheAngleRowsAreLabelledWithTheirJoints) {
    const int space = TextBoxWidth(" ");
    const struct {
        int row;
        const char* name;
    } rows[] = {{130, "yaw"}, {150, "hip"}, {170, "knee"}};
    for (const auto& r : rows) {
        const int left = 656 - space - TextBoxWidth(r.name);
        EXPECT_EQ(kBlack, Front(left - 1, r.row)) << r.name;
        EXPECT_EQ(kWhite, Front(left, r.row)) << r.name;
        EXPECT_EQ(kWhite, Front(656 - space - 1, r.row)) << r.name;
        EXPECT_EQ(kBlack, Front(656 - space, r.row)) << r.name << ": a space before the number";
        EXPECT_EQ(kWhite, Front(656, r.row)) << r.name;
    }
    for (int row : {70, 90, 110}) EXPECT_EQ(kBlack, Front(656 - space - 1, row)) << "no label on the target's rows";
}

// The defaults file gives the very frame of no file at all.
class DefaultsFileWindow : public AppTest {
public:
    DefaultsFileWindow() {
        std::string error;
        EXPECT_TRUE(ReadLegFile(TAVRIN_SOURCE_DIR "/legs/default.toml", legToShow, error)) << error;
    }
};

TEST_F(DefaultsFileWindow, ChangesNoPixel) {
    const uint64_t withFile = FrontHash();
    TearDown();
    legToShow = LegDescription{};
    SetUp();
    EXPECT_EQ(FrontHash(), withFile);
}

TEST(CommandLineTest, SplitsLikeWindows) {
    const struct {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {"", {}},
        {"  --angles  ", {"--angles"}},
        {"--leg \"my legs/a.toml\" --angles", {"--leg", "my legs/a.toml", "--angles"}},
        {"--leg \"\"", {"--leg", ""}},                   // an empty argument
        {"--leg a\\\"b.toml", {"--leg", "a\"b.toml"}},    // an escaped quote
        {"\t--leg\tx.toml", {"--leg", "x.toml"}},
        {"C:\\legs\\x.toml", {"C:\\legs\\x.toml"}},        // backslashes stand for themselves
        {"\"C:\\my legs\\\\\"", {"C:\\my legs\\"}},       // doubled before the closing quote
        {"a\\\\\\\"b", {"a\\\"b"}},                     // three before a quote: one and a quote
    };
    for (const auto& c : cases) EXPECT_EQ(c.args, SplitCommandLine(c.line)) << c.line;
}

TEST(CommandLineTest, OptionsAndTheirErrors) {
    AppOptions options;
    std::string error;
    ASSERT_TRUE(ParseOptions("--angles --leg legs/x.toml", options, error)) << error;
    EXPECT_TRUE(options.showAngles);
    EXPECT_EQ("legs/x.toml", options.legFile);
    EXPECT_FALSE(options.help);
    AppOptions more;
    ASSERT_TRUE(ParseOptions("--scale 3 --help", more, error)) << error;
    EXPECT_EQ(3, more.scale);
    EXPECT_TRUE(more.help);

    const struct {
        const char* line;
        const char* error;
    } bad[] = {
        {"--leg", "--leg needs a FILE (see tavrin --help)"},
        {"--legs x", "unknown argument '--legs' (see tavrin --help)"},
        {"x.toml", "unknown argument 'x.toml' (see tavrin --help)"},
        {"--leg a.toml --leg b.toml", "--leg given twice (see tavrin --help)"},
        {"--scale", "--scale must be a whole number from 1 to 8, not '' (see tavrin --help)"},
        {"--scale 9", "--scale must be a whole number from 1 to 8, not '9' (see tavrin --help)"},
    };
    for (const auto& b : bad) {
        AppOptions o;
        std::string e;
        EXPECT_FALSE(ParseOptions(b.line, o, e)) << b.line;
        EXPECT_EQ(b.error, e) << b.line;
    }
}

}  // namespace

namespace {

// The workspace buffer as one SetPixel per point of the leg's list draws it,
// over the buffer's present background.
uint64_t OneSetPixelPerPointHash() {
    MemoryCanvas naive(app.buffers->bufferWidth, app.buffers->bufferHeight, GetPixel(app.buffers->workspaceDC, 0, 0));
    for (const D3DXVECTOR3& p : app.leg->workspace) {
        SetPixel(naive.dc, TruncateToInt(p.x * app.leg->scale.x + app.leg->origin.x),
                 TruncateToInt(p.y * app.leg->scale.y + app.leg->origin.y), kCloud);
    }
    return PixelHash(naive.dc, app.buffers->bufferWidth, app.buffers->bufferHeight);
}

// The cloud sets a pixel once however many points fall on it: the buffer
// must be exactly that of one SetPixel per point, for legs and depths whose
// rows share pixel rows in different ways.
TEST_F(AppTest, TheCloudIsOneSetPixelPerPoint) {
    const struct {
        int upper, lower;
        float depth;
    } cases[] = {{10, 15, 0.0f}, {10, 15, 7.0f}, {10, 15, -13.0f}, {40, 65, 31.0f}, {1, 1000, 0.0f}, {7, 7, 2.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.upper) + "/" + std::to_string(c.lower) + " at " + std::to_string(c.depth));
        app.leg->description.upper = c.upper;
        app.leg->description.lower = c.lower;
        app.leg->SetScale(D3DXVECTOR3(375.0f / (c.upper + c.lower), 375.0f / (c.upper + c.lower), 1));
        app.leg->workspaceReady = false;
        app.leg->SetTarget(D3DXVECTOR3(0, 0, c.depth));
        app.leg->ComputeWorkspace();
        app.buffers->ClearWorkspaceBuffer();
        app.leg->DrawWorkspace();
        EXPECT_EQ(OneSetPixelPerPointHash(), PixelHash(app.buffers->workspaceDC, app.buffers->bufferWidth, app.buffers->bufferHeight));
    }
}

// Any list draws as one SetPixel per point, not only a sweep's: rows of
// every length up to nine, so that a row ends at each place within a group
// of four; a row that comes back after others; columns that go back; and
// values that land off the buffer, overflow an int or are not numbers.
TEST_F(AppTest, AnyPointListIsOneSetPixelPerPoint) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    PointList list;
    float y = -20;
    for (int length = 1; length <= 9; ++length, y += 0.8f) {
        for (int k = 0; k < length; ++k) list.push_back(D3DXVECTOR3(-3 + 0.05f * k, y, 0));
    }
    const D3DXVECTOR3 odd[] = {
        {0.05f, -20, 0},  {0.0f, -20, 0},     {-0.0f, -20, 0},    {1e9f, -20, 0},   {-1e9f, -20, 0},
        {inf, -20, 0},    {-inf, -20, 0},     {nan, -20, 0},      {nan, -20, 0},    {3, nan, 0},
        {3, nan, 0},      {3, inf, 0},        {5, -16, 0},        {4.95f, -16, 0},  {4.9f, -16, 0},
        {4.85f, -16, 0},  {-16.67f, -16, 0},  {-16.6f, -16, 0},   {30, -16, 0},     {-30, -16, 0},
        {1, -26.67f, 0},  {1.05f, -26.67f, 0}, {1.1f, -26.67f, 0}, {1.15f, 30, 0},  {1.2f, 30, 0},
    };
    list.insert(list.end(), std::begin(odd), std::end(odd));
    // Seeded so that a failure shows again: short rows, columns in any order.
    std::mt19937 random(14);
    std::uniform_int_distribution<int> length(1, 6), column(-400, 400), row(-300, 300);
    for (int r = 0; r < 300; ++r) {
        float rowY = 0.05f * row(random);
        for (int k = length(random); k > 0; --k) list.push_back(D3DXVECTOR3(0.05f * column(random), rowY, 0));
    }
    app.leg->workspace = list;
    app.leg->workspaceReady = true;
    app.buffers->ClearWorkspaceBuffer();
    app.leg->DrawWorkspace();
    EXPECT_EQ(OneSetPixelPerPointHash(), PixelHash(app.buffers->workspaceDC, app.buffers->bufferWidth, app.buffers->bufferHeight));
}

}  // namespace
