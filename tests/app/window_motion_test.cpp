// The window beyond the screen, headless: the drawn pose going to a servo
// controller on a real pseudo-terminal, a drag recorded and played back on
// a clock the test keeps, and the cloud coloured by joint margin.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/calibration.h"
#include "app/leg_output.h"
#include "app/motion.h"
#include "app/title.h"
#include "app_fixture.h"
#include "controller/commands.h"
#include "fake_controller.h"
#include "footpath/path_file.h"
#include "legfile/leg_file.h"
#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "render/margin_drawing.h"
#include "tests/support/pixels.h"
#include "tests/support/scratch_file.h"
#include "volume/margin.h"

namespace {

void ExpectTarget(float x, float y, float z, const D3DXVECTOR3& actual) {
    EXPECT_FLOAT_EQ(x, actual.x);
    EXPECT_FLOAT_EQ(y, actual.y);
    EXPECT_FLOAT_EQ(z, actual.z);
}

std::string Title() {
    char text[512];
    int length = GetWindowTextA(app.hWnd, text, sizeof text);
    return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

// The command the drawn pose makes, as the fake controller records it
// (without the carriage return that ends a group move).
std::string DrawnCommand() {
    std::string command = CommandFor(*app.controller, app.leg->description, app.leg->solved);
    if (!command.empty() && command.back() == '\r') command.pop_back();
    return command;
}

// Turns of the loop until done() holds or a few seconds have passed.
bool TurnUntil(const std::function<bool()>& done, int timeoutMs = 4000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    MSG msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        app.buffers->PresentFrame(app.hWnd);
        OnLoopTurn(app.hWnd);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

const char kServoLeg[] =
    "[servo.yaw]\nchannel = 0\n[servo.hip]\nchannel = 1\n[servo.knee]\nchannel = 2\n"
    "[controller]\nprotocol = \"ssc32\"\nport = \"%s\"\nbaud = 9600\n";

class ControllerWindow : public AppTest {
public:
    // readBaud 0: the controller reads as fast as bytes come.
    explicit ControllerWindow(int readBaud = 0) : fake(Protocol::Ssc32, readBaud) {
        char text[512];
        std::snprintf(text, sizeof text, kServoLeg, fake.Path().c_str());
        commandLine = "--leg " + WriteLegFile("controller_leg", text);
    }
    FakeController fake;
};

// A controller that reads no faster than a 9,600 baud line delivers.
class SlowControllerWindow : public ControllerWindow {
public:
    SlowControllerWindow() : ControllerWindow(9600) {}
};

TEST_F(ControllerWindow, TheDrawnPoseGoesToTheControllerAndTheTitleSaysWhere) {
    EXPECT_EQ("Tavrin FrontView \x97 ssc32 on " + fake.Path(), Title());
    // The start pose, 90 degrees at every joint.
    ASSERT_TRUE(TurnUntil([&] { return !fake.Commands().empty(); }));
    EXPECT_EQ("#0P1500#1P1500#2P1500T100", fake.Commands()[0].bytes);

    // A drag: every command that arrives is a drawn pose, in the order
    // drawn, and the last one is the pose drawn last.
    std::vector<std::string> drawn = {DrawnCommand()};
    Mouse(WM_LBUTTONDOWN, 400, 625, MK_LBUTTON);
    for (int i = 1; i <= 12; ++i) {
        Mouse(WM_MOUSEMOVE, 400 - 6 * i, 625 - 4 * i, MK_LBUTTON);
        ASSERT_TRUE(Pump());
        OnLoopTurn(app.hWnd);
        if (DrawnCommand() != drawn.back()) drawn.push_back(DrawnCommand());
    }
    ASSERT_TRUE(TurnUntil([&] { return fake.Commands().back().bytes == drawn.back(); }));
    size_t next = 0;
    for (const ReceivedCommand& c : fake.Commands()) {
        while (next < drawn.size() && drawn[next] != c.bytes) ++next;
        ASSERT_LT(next, drawn.size()) << "sent a pose that was not drawn, or out of order: " << c.bytes;
    }
    EXPECT_EQ(0, fake.Garbled());

    // A target out of reach draws the last pose again and sends nothing.
    const size_t before = fake.Commands().size();
    Mouse(WM_MOUSEMOVE, 680, 20, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    EXPECT_TRUE(app.leg->outOfRange == false && app.target.x > 25);
    TurnUntil([] { return false; }, 150);
    EXPECT_EQ(before, fake.Commands().size());
    Mouse(WM_LBUTTONUP, 680, 20, 0);
}

TEST_F(ControllerWindow, AHangUpIsShownAndSurvivedAndTheComebackGetsTheCurrentPose) {
    ASSERT_TRUE(TurnUntil([&] { return !fake.Commands().empty(); }));
    fake.HangUp();
    ASSERT_TRUE(TurnUntil([] { return Title().find("controller lost, retrying") != std::string::npos; }))
        << Title();
    // The window goes on: a key still moves the foot.
    TapKey(VK_LEFT);
    ASSERT_TRUE(Pump());
    ExpectTarget(9, 15, 0, app.target);
    const std::string current = DrawnCommand();
    fake.ComeBack();
    ASSERT_TRUE(TurnUntil([&] { return !fake.Commands().empty() && fake.Commands().back().bytes == current; }))
        << "the controller that came back did not get the current pose";
    EXPECT_EQ("Tavrin FrontView \x97 ssc32 on " + fake.Path(), Title());
}

// A drag of about a thousand moves a second at 9,600 baud: whole commands
// only, never faster than the line carries them, and the last pose soon
// after the drag.
TEST_F(SlowControllerWindow, AFastDragAtNineThousandSixHundredBaudLeavesNoBacklog) {
    ASSERT_TRUE(TurnUntil([&] { return !fake.Commands().empty(); }));
    Mouse(WM_LBUTTONDOWN, 400, 625, MK_LBUTTON);
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 600; ++i) {
        Mouse(WM_MOUSEMOVE, 300 + i % 150, 500 + (i * 7) % 150, MK_LBUTTON);
        ASSERT_TRUE(Pump());
        OnLoopTurn(app.hWnd);
        std::this_thread::sleep_until(start + std::chrono::microseconds(1000 * (i + 1)));
    }
    const int64_t dragEnd = NowMs();
    const std::string last = DrawnCommand();
    ASSERT_TRUE(TurnUntil([&] { return fake.Commands().back().bytes == last; }));
    std::vector<ReceivedCommand> got = fake.Commands();
    // 26 bytes at ten bits each take 27 ms at 9,600 baud: the line carries
    // no more than that, whatever the drag asked for.
    const int64_t commandMs = ControllerLink::TransmitMs(last.size() + 1, 9600);
    EXPECT_LE(static_cast<int64_t>(got.size()), 2 + (got.back().ms - got.front().ms) / (commandMs - 2));
    EXPECT_GE(got.size(), 5u) << "the leg did not follow the drag";
    // The last pose within a command's time or two of the drag's end (the
    // one still on the line, then the last), with room for a busy machine.
    EXPECT_LE(got.back().ms - dragEnd, 2 * commandMs + 60);
    EXPECT_EQ(0, fake.Garbled());
    Mouse(WM_LBUTTONUP, 400, 600, 0);
}

// A port that cannot be opened stops the start with a line naming it.
TEST(ControllerStartTest, APortThatCannotBeOpenedIsRefused) {
    ResetApplicationState();
    char text[512];
    std::snprintf(text, sizeof text, kServoLeg, "/nonexistent/ttyUSB9");
    std::string leg = WriteLegFile("missing_port", text);
    testing::internal::CaptureStderr();
    EXPECT_EQ(StartupAction::Refuse, ApplyCommandLine(("--leg " + leg).c_str()));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, said.find("tavrin: cannot open the port /nonexistent/ttyUSB9: ")) << said;
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    // Told to leave the controller alone, the same leg starts.
    ResetApplicationState();
    EXPECT_EQ(StartupAction::Run, ApplyCommandLine(("--leg " + leg + " --no-controller").c_str()));
    EXPECT_FALSE(app.link);
    ResetApplicationState();
}

// The calibration flow in the window, against the fake controller: C
// starts on the first channelled joint, Tab moves on, the arrows jog its
// pulse (the only servo sent), Enter marks the two reference angles, Enter
// accepts the fit, [ and ] mark the stops, S writes the file.
TEST_F(ControllerWindow, CalibratingAJointFromTheWindowWritesItsNumbers) {
    ASSERT_TRUE(TurnUntil([&] { return !fake.Commands().empty(); }));
    const std::string legFile = app.legFile;
    auto press = [&](int key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            TapKey(key);
            ASSERT_TRUE(Pump());
            OnLoopTurn(app.hWnd);
        }
    };
    // Keys pressed before calibrating do not act in it.
    press(VK_RETURN);
    press(VK_OEM_4);
    press('C');
    ASSERT_TRUE(app.calibration.active);
    EXPECT_EQ("Tavrin FrontView \x97 ssc32 on " + fake.Path() + " \x97 calibrating yaw: 1500 \xb5s, match the drawing, "
              "Enter marks 45\xb0", Title());
    press(VK_TAB);
    EXPECT_EQ(kHipJoint, app.calibration.joint);
    EXPECT_TRUE(app.calibration.marks.empty());
    // The readout's hip row shows the pulse, and the drawing holds the hip
    // at the first reference angle, a quarter into 0..180.
    EXPECT_EQ(45, ReferenceAngle(app));
    const size_t before = fake.Commands().size();
    press(VK_LEFT, 3);
    EXPECT_EQ(1497, app.calibration.pulse);
    press(VK_RIGHT, 3);
    press(VK_DOWN, 50);
    EXPECT_EQ(1000, app.calibration.pulse);
    ASSERT_TRUE(TurnUntil([&] { return fake.Commands().back().bytes == "#1P1000T100"; })) << fake.Commands().back().bytes;
    for (size_t i = before; i < fake.Commands().size(); ++i) {
        EXPECT_EQ(0u, fake.Commands()[i].bytes.rfind("#1P", 0)) << "only the hip is sent: " << fake.Commands()[i].bytes;
    }
    press(VK_RETURN);  // 45 degrees at 1000 us
    EXPECT_EQ(135, ReferenceAngle(app));
    press(VK_UP, 90);
    press(VK_RETURN);  // 135 degrees at 1900 us: 10 us a degree
    ASSERT_TRUE(app.calibration.fitted) << Title();
    EXPECT_EQ(550, app.calibration.fitted->pulseAtZero);
    EXPECT_EQ(2350, app.calibration.fitted->pulseAtFull);
    EXPECT_FALSE(app.calibration.fitted->invert);
    EXPECT_EQ(1450, app.calibration.pulse) << "the middle of the range with the new numbers";
    EXPECT_NE(std::string::npos, Title().find("fitted: Enter accepts, Backspace redoes")) << Title();
    press(VK_RETURN);  // accept
    // The stops: 650 us is 10 degrees, 2250 us 170 degrees; the range is a
    // whole degree inside each.
    press(VK_DOWN, 80);
    press(VK_OEM_4);
    press(VK_UP, 160);
    press(VK_OEM_6);
    ASSERT_TRUE(app.calibration.range) << Title();
    EXPECT_EQ(11, app.calibration.range->min);
    EXPECT_EQ(169, app.calibration.range->max);
    // Leaving unsaved asks once.
    press(VK_ESCAPE);
    EXPECT_NE(std::string::npos, Title().find("unsaved calibration: S saves, Escape again discards")) << Title();
    EXPECT_TRUE(app.calibration.active);
    press('S');
    EXPECT_NE(std::string::npos, Title().find("calibration of the hip saved to " + legFile)) << Title();
    LegSetup saved;
    std::string error;
    ASSERT_TRUE(ReadLegFile(legFile, saved, error)) << error;
    EXPECT_EQ(550, saved.leg.servos[kHipJoint]->pulseAtZero);
    EXPECT_EQ(2350, saved.leg.servos[kHipJoint]->pulseAtFull);
    EXPECT_EQ(11, saved.leg.ranges[kHipJoint].min);
    EXPECT_EQ(169, saved.leg.ranges[kHipJoint].max);
    EXPECT_EQ(11, app.leg->description.ranges[kHipJoint].min) << "the window takes the new numbers";
    // The marks come back within a microsecond.
    EXPECT_NEAR(1000, ServoFor(*saved.leg.servos[kHipJoint], 45).microseconds, 1);
    EXPECT_NEAR(1900, ServoFor(*saved.leg.servos[kHipJoint], 135).microseconds, 1);
    press('C');
    EXPECT_FALSE(app.calibration.active);
}

// The test's own clock, in whole milliseconds.
int64_t testNow = 0;
int64_t TestClock() { return testNow; }

class RecordingWindow : public AppTest {
public:
    RecordingWindow() {
        testNow = 1000;
        clock = TestClock;
        recordFile = ::testing::TempDir() + "recorded_" + std::to_string(getpid()) + ".csv";
        commandLine = "--record " + recordFile;
    }
    ~RecordingWindow() override { std::remove(recordFile.c_str()); }
    std::string recordFile;
};

// A drag recorded and played back makes the same frames at the same times;
// the file reads back as the rows recorded.
TEST_F(RecordingWindow, ADragRecordedAndPlayedBackMakesTheSameFrames) {
    TapKey('R');
    ASSERT_TRUE(Pump());
    EXPECT_EQ("Tavrin FrontView \x97 recording", Title());
    Mouse(WM_LBUTTONDOWN, 400, 625, MK_LBUTTON);
    std::vector<uint64_t> frames;
    const int points[][2] = {{390, 610}, {370, 600}, {350, 560}, {300, 520}};
    for (const auto& p : points) {
        testNow += 100;
        Mouse(WM_MOUSEMOVE, p[0], p[1], MK_LBUTTON);
        ASSERT_TRUE(Pump());
        frames.push_back(FrontHash());
    }
    Mouse(WM_LBUTTONUP, 300, 520, 0);
    testNow += 100;
    TapKey('R');
    ASSERT_TRUE(Pump());
    EXPECT_EQ("Tavrin FrontView \x97 saved " + recordFile + " (6 rows)", Title());
    std::vector<PathRow> rows;
    std::string error;
    ASSERT_TRUE(ReadPathFile(recordFile, rows, error)) << error;
    ASSERT_EQ(app.recorder.Rows().size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(app.recorder.Rows()[i].tMs, rows[i].tMs);
        EXPECT_EQ(0, std::memcmp(&app.recorder.Rows()[i].x, &rows[i].x, 3 * sizeof(float)));
    }

    // Back to the start, then play: each recorded moment shows its frame.
    TapKey(VK_UP);
    ASSERT_TRUE(Pump());
    testNow += 1000;
    TapKey('P');
    ASSERT_TRUE(Pump());
    EXPECT_EQ("Tavrin FrontView \x97 playing", Title());
    for (size_t i = 0; i < frames.size(); ++i) {
        testNow += 100;
        OnLoopTurn(app.hWnd);
        ASSERT_TRUE(Pump());
        EXPECT_EQ(frames[i], FrontHash()) << "frame " << i;
    }
    testNow += 200;
    OnLoopTurn(app.hWnd);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.player.Playing());
    EXPECT_EQ("Tavrin FrontView", Title());
}

TEST_F(RecordingWindow, AKeyDuringPlaybackEndsItWhereItIs) {
    TapKey('R');
    ASSERT_TRUE(Pump());
    testNow += 1000;
    TapKey(VK_LEFT);  // one row a second later
    ASSERT_TRUE(Pump());
    testNow += 1000;
    TapKey('R');
    ASSERT_TRUE(Pump());
    TapKey(VK_RIGHT);
    ASSERT_TRUE(Pump());
    TapKey('P');
    ASSERT_TRUE(Pump());
    testNow += 500;
    OnLoopTurn(app.hWnd);
    ASSERT_TRUE(Pump());
    const D3DXVECTOR3 halfway = app.target;
    EXPECT_FLOAT_EQ(9.5f, halfway.x);
    TapKey(VK_DOWN);
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.player.Playing());
    ExpectTarget(halfway.x, halfway.y, halfway.z, app.target);  // the key ended it and did nothing more
    testNow += 2000;
    OnLoopTurn(app.hWnd);
    ASSERT_TRUE(Pump());
    ExpectTarget(halfway.x, halfway.y, halfway.z, app.target);
}

TEST_F(RecordingWindow, PlaybackThroughADepthChangeRedrawsTheCloud) {
    for (int key : std::vector<int>{'R', VK_ADD, VK_ADD, 'R'}) {
        TapKey(key);
        ASSERT_TRUE(Pump());
        testNow += 100;
    }
    for (int key : {VK_SUBTRACT, VK_SUBTRACT}) {
        TapKey(key);
        ASSERT_TRUE(Pump());
    }
    const size_t atZero = app.leg->workspace.size();
    TapKey('P');
    ASSERT_TRUE(Pump());
    testNow += 400;
    OnLoopTurn(app.hWnd);
    ASSERT_TRUE(Pump());
    EXPECT_EQ(2.0f, app.leg->target.z);
    PointList literal;
    LiteralSweep(2.0f, literal);
    EXPECT_EQ(literal.size(), app.leg->workspace.size());
    EXPECT_NE(atZero, app.leg->workspace.size());
}

// A recording is never lost. A save that fails keeps the rows: R tries the
// save again instead of starting anew, and only Backspace lets them go. The
// closing window saves what is recorded.
TEST_F(RecordingWindow, ARecordingWhoseSaveFailedIsKeptUntilSavedOrDiscarded) {
    const std::string folder = ScratchPath("later_" + std::to_string(getpid()));
    recordFile = folder + "/rec.csv";
    app.recordFile = recordFile;
    for (int key : std::vector<int>{'R', VK_LEFT, VK_LEFT, 'R'}) {
        testNow += 100;
        TapKey(key);
        ASSERT_TRUE(Pump());
    }
    const size_t rows = app.recorder.Rows().size();
    EXPECT_EQ(0u, Title().find("Tavrin FrontView \x97 not saved: " + recordFile + ": cannot write the path file: "))
        << Title();
    EXPECT_NE(std::string::npos, Title().find("; R tries again, Backspace discards")) << Title();

    // The folder appears; R saves the kept rows, it starts nothing new.
    std::filesystem::create_directories(folder);
    TapKey('R');
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.recorder.Recording());
    EXPECT_EQ("Tavrin FrontView \x97 saved " + recordFile + " (" + std::to_string(rows) + " rows)", Title());
    std::vector<PathRow> read;
    std::string error;
    ASSERT_TRUE(ReadPathFile(recordFile, read, error)) << error;
    EXPECT_EQ(rows, read.size());

    // Saved, R starts a new one; failed again, Backspace discards it.
    std::filesystem::remove_all(folder);
    for (int key : std::vector<int>{'R', VK_RIGHT, 'R', VK_BACK}) {
        testNow += 100;
        TapKey(key);
        ASSERT_TRUE(Pump());
    }
    EXPECT_EQ("Tavrin FrontView \x97 recording discarded", Title());
    TapKey('R');
    ASSERT_TRUE(Pump());
    EXPECT_TRUE(app.recorder.Recording());
}

TEST_F(RecordingWindow, ClosingTheWindowSavesTheRecordingAndSaysWhere) {
    for (int key : std::vector<int>{'R', VK_LEFT}) {
        testNow += 100;
        TapKey(key);
        ASSERT_TRUE(Pump());
    }
    testNow += 100;
    testing::internal::CaptureStderr();
    SaveRecordingAtExit(app);
    EXPECT_EQ("tavrin: the recording was saved to " + recordFile + " (3 rows)\n",
              testing::internal::GetCapturedStderr());
    std::vector<PathRow> read;
    std::string error;
    ASSERT_TRUE(ReadPathFile(recordFile, read, error)) << error;
    EXPECT_EQ(3u, read.size());
}

// Nothing to play is said; P during a drag ends the drag, so that the
// pointer does not fight the playback.
TEST_F(RecordingWindow, PSaysWhenThereIsNothingAndEndsADrag) {
    TapKey('P');
    ASSERT_TRUE(Pump());
    EXPECT_EQ("Tavrin FrontView \x97 nothing to play: R records, --play FILE loads a path", Title());
    for (int key : std::vector<int>{'R', VK_LEFT, 'R'}) {
        testNow += 100;
        TapKey(key);
        ASSERT_TRUE(Pump());
    }
    Mouse(WM_LBUTTONDOWN, 400, 625, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ASSERT_TRUE(app.dragging);
    TapKey('P');
    ASSERT_TRUE(Pump());
    EXPECT_FALSE(app.dragging);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(app.player.Playing());
    const D3DXVECTOR3 before = app.target;
    Mouse(WM_MOUSEMOVE, 300, 500, MK_LBUTTON);
    ASSERT_TRUE(Pump());
    ExpectTarget(before.x, before.y, before.z, app.target);
}

// Two recordings in one second with the default name: two files.
TEST(RecordingNameTest, TheDefaultNameIsNeverOneThatIsTaken) {
    const std::string folder = ScratchPath("names_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 11;
    local.tm_mday = 11;
    EXPECT_EQ("tavrin-path-20261211-000000.csv", UnusedPathFileName(local));
    std::fclose(std::fopen("tavrin-path-20261211-000000.csv", "w"));
    EXPECT_EQ("tavrin-path-20261211-000000-2.csv", UnusedPathFileName(local));
    std::fclose(std::fopen("tavrin-path-20261211-000000-2.csv", "w"));
    EXPECT_EQ("tavrin-path-20261211-000000-3.csv", UnusedPathFileName(local));
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(folder);
}

// A path file for --play that is not one stops the start with its line.
TEST(PlayStartTest, ABadPathFileIsRefusedWithItsLine) {
    ResetApplicationState();
    std::string path = ScratchFile("bad_path", ".csv", "t_ms,x,y,z\n0,1,2,3\n-5,1,2,3\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(StartupAction::Refuse, ApplyCommandLine(("--play " + path).c_str()));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(0u, said.find("tavrin: " + path + ":3: ")) << said;
    EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    ResetApplicationState();
}

// A path too long to hold is refused once its limit is read, before the
// window opens; one row fewer plays.
TEST(PlayStartTest, APathLongerThanTheWindowHoldsIsRefused) {
    ResetApplicationState();
    std::string text = "t_ms,x,y,z\n";
    for (int i = 0; i <= 1000000; ++i) text += std::to_string(i) + ",10,15,0\n";
    const std::string path = ScratchFile("long_path", ".csv", text);
    testing::internal::CaptureStderr();
    EXPECT_EQ(StartupAction::Refuse, ApplyCommandLine(("--play " + path).c_str()));
    EXPECT_EQ("tavrin: " + path + ": more than 1000000 rows, more than the window plays (tavrin-ik path exports a "
              "path of any length)\n",
              testing::internal::GetCapturedStderr());
    ResetApplicationState();
    const std::string fits = ScratchFile("fitting_path", ".csv", text.substr(0, text.rfind("1000000,")));
    EXPECT_EQ(StartupAction::Run, ApplyCommandLine(("--play " + fits).c_str()));
    ResetApplicationState();
}

class MarginWindow : public AppTest {
public:
    MarginWindow() { commandLine = "--margin"; }
};

// Every cloud pixel has the ramp's colour of the smallest margin the solver
// gives the points on it; M turns it back into today's frame.
TEST_F(MarginWindow, TheCloudIsColouredByMarginAndMBringsBackThePlainFrame) {
    std::vector<uint8_t> margins;
    const Leg& leg = *app.leg;
    for (const D3DXVECTOR3& p : leg.workspace) {
        LegPose pose;
        pose.SetTarget(D3DXVECTOR3(p.x, p.y, leg.target.z));
        IKSolver IK = leg.description.Solver();
        IK.Solve(pose);
        ASSERT_FALSE(IK.outOfRange);
        margins.push_back(static_cast<uint8_t>(JointMargin(leg.description, pose)));
    }
    MemoryCanvas expected(app.buffers->bufferWidth, app.buffers->bufferHeight, kBlack);
    DrawMarginCloud(expected.dc, leg.workspace, margins, leg.scale.x, leg.origin.x, leg.scale.y, leg.origin.y);
    EXPECT_EQ(PixelHash(expected.dc, app.buffers->bufferWidth, app.buffers->bufferHeight),
              PixelHash(app.buffers->workspaceDC, app.buffers->bufferWidth, app.buffers->bufferHeight));
    // The legend sits at the bottom left of the frame.
    bool legend = false;
    for (int y = 780; y < 850 && !legend; ++y) {
        for (int x = 0; x < 200 && !legend; ++x) legend = Front(x, y) != kBlack;
    }
    EXPECT_TRUE(legend);

    TapKey('M');
    ASSERT_TRUE(Pump());
    const uint64_t plain = FrontHash();
    TavrinResetForTests();
    ResetApplicationState();
    commandLine.clear();
    SetUp();
    EXPECT_EQ(FrontHash(), plain) << "with M off the frame is not today's";
}

}  // namespace
