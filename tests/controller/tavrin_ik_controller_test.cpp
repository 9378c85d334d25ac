// tavrin-ik send and probe against a fake controller on a pseudo-terminal:
// the bytes that arrive, the lines printed, and the exit statuses.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/scratch_file.h"
#include "tests/support/tool_run.h"

#include "fake_controller.h"
#include "test_moves.h"

namespace {

// A 40/65 leg with a servo on every joint, the hip's inverted and the
// knee's offset. At (30, 40, 10) it solves to yaw 72, hip 52, knee 51: yaw
// 500 + 2000 * 72 / 180 = 1300 us; hip 180 - 52 = 128 degrees, 1922 us;
// knee 51 - 10 = 41 degrees, 1000 + 1000 * 41 / 180 = 1228 us.
const char kLeg[] =
    "upper = 40\nlower = 65\n[yaw]\nmin = 30\nmax = 150\n[knee]\nmin = 20\n"
    "[servo.yaw]\nchannel = 0\n[servo.hip]\ninvert = true\nchannel = 1\n"
    "[servo.knee]\noffset = -10\npulse = [1000, 2000]\nchannel = 2\n";

std::string LegWith(const std::string& name, const std::string& controller) {
    return "'" + WriteLegFile(name, kLeg + std::string("[controller]\n") + controller) + "'";
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values) bytes += static_cast<char>(v);
    return bytes;
}

TEST(TavrinIkSendTest, SendsThePoseAndPrintsTheSolveLineWithIt) {
    const struct {
        Protocol protocol;
        const char* controller;
        std::string bytes;
        const char* sent;  // as printed
    } rows[] = {
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", "#0P1300#1P1922#2P1228T100\r", "\"#0P1300#1P1922#2P1228T100\\r\""},
        {Protocol::Ssc32, "protocol = \"ssc32\"\nmove_ms = 0\nbaud = 115200\n", "#0P1300#1P1922#2P1228\r",
         "\"#0P1300#1P1922#2P1228\\r\""},
        // 1300 us is 5200 quarters: 0x50 and 0x28; 1922 is 7688: 0x08, 0x3C;
        // 1228 is 4912: 0x30, 0x26.
        {Protocol::Maestro, "protocol = \"maestro\"\n",
         Bytes({0x84, 0x00, 0x50, 0x28, 0x84, 0x01, 0x08, 0x3C, 0x84, 0x02, 0x30, 0x26}),
         "\"84 00 50 28 84 01 08 3C 84 02 30 26\""},
        {Protocol::Maestro, "protocol = \"maestro\"\ndevice = 12\n",
         Bytes({0xAA, 0x0C, 0x04, 0x00, 0x50, 0x28, 0xAA, 0x0C, 0x04, 0x01, 0x08, 0x3C, 0xAA, 0x0C, 0x04, 0x02, 0x30,
                0x26}),
         "\"AA 0C 04 00 50 28 AA 0C 04 01 08 3C AA 0C 04 02 30 26\""},
    };
    for (const auto& row : rows) {
        FakeController fake(row.protocol);
        // The file's port does not exist: --port takes its place.
        const std::string leg = LegWith("send_leg", std::string(row.controller) + "port = \"/nonexistent/tty\"\n");
        ToolRun solve = RunTool("--leg " + leg + " solve 30 40 10");
        ToolRun send = RunTool("--leg " + leg + " --port '" + fake.Path() + "' send 30 40 10");
        EXPECT_EQ(0, send.status) << row.controller << send.err;
        EXPECT_EQ("", send.err);
        ASSERT_EQ(0u, solve.out.rfind("{\"target\":[30,40,10],\"outOfRange\":false", 0)) << solve.out;
        EXPECT_EQ(solve.out.substr(0, solve.out.size() - 2) + ",\"sent\":" + row.sent + "}\n", send.out);
        // send has waited until the bytes went out; the fake's thread may
        // still be reading them.
        fake.WaitFor([&] { return fake.Bytes().size() >= row.bytes.size(); }, 2000);
        EXPECT_EQ(HexPairs(row.bytes), HexPairs(fake.Bytes())) << row.controller;
        EXPECT_EQ(0, fake.Garbled());
    }
}

TEST(TavrinIkSendTest, AnOutOfRangeTargetIsPrintedAndNotSent) {
    FakeController fake(Protocol::Ssc32);
    const std::string leg = LegWith("far_leg", "protocol = \"ssc32\"\nport = \"" + fake.Path() + "\"\n");
    ToolRun solve = RunTool("--leg " + leg + " solve 1 40 50");
    ToolRun send = RunTool("--leg " + leg + " send 1 40 50");
    EXPECT_EQ(3, send.status);
    EXPECT_NE(std::string::npos, send.out.find("\"outOfRange\":true")) << send.out;
    EXPECT_EQ(solve.out, send.out);
    EXPECT_EQ("", send.err);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ("", fake.Bytes());
}

TEST(TavrinIkSendTest, MistakesAreOneLineAndExitTwo) {
    const std::string plain = "'" + WriteLegFile("plain_leg", kLeg) + "'";
    const std::string portless = LegWith("portless_leg", "protocol = \"ssc32\"\n");
    const std::string maestro = LegWith("maestro_leg", "protocol = \"maestro\"\nport = \"/nonexistent/tty\"\n");
    const struct {
        std::string args;
        std::string err;
    } rows[] = {
        {"send 1 2 3", "send needs a leg file with a [controller] section (--leg FILE)"},
        {"--leg " + plain + " send 30 40 10", "send needs a leg file with a [controller] section (--leg FILE)"},
        {"--leg " + plain + " probe", "probe needs a leg file with a [controller] section (--leg FILE)"},
        {"--leg " + portless + " send 30 40 10",
         "send no port to send to: give controller.port in the leg file or --port PATH"},
        {"--leg " + maestro + " send 30 40 10", "cannot open the port /nonexistent/tty: No such file or directory"},
        {"--leg " + maestro + " probe", "cannot open the port /nonexistent/tty: No such file or directory"},
        {"--leg " + maestro + " --port /dev/null send 30 40 10", "cannot open the port /dev/null: not a serial port"},
        {"--leg " + maestro + " --baud auto probe", "--baud auto is for ssc32: the Maestro finds the baud rate itself"},
        {"--leg " + maestro + " --baud 4800 probe",
         "--baud must be auto or one of 9600, 19200, 38400, 57600, 115200, not '4800'"},
        {"--leg " + maestro + " --baud auto send 1 2 3", "send needs a baud rate, not --baud auto"},
        {"--leg " + maestro + " send 1 2", "send needs X Y Z"},
        {"--leg " + maestro + " send 1 2 x", "not a finite number: 'x'"},
        {"--leg " + maestro + " probe now", "unexpected argument: 'now'"},
        // A port name with an escape and a line break is shown on one line.
        {"--leg " + maestro + " --port \"$(printf '/no/\\033[2J\\ntty')\" probe",
         "cannot open the port /no/?[2J?tty: No such file or directory"},
    };
    for (const auto& row : rows) {
        ToolRun r = RunTool(row.args);
        EXPECT_EQ(2, r.status) << row.args;
        EXPECT_EQ("", r.out) << row.args;
        EXPECT_EQ("tavrin-ik: " + row.err + "\n", r.err) << row.args;
    }
}

// jog sends that one servo's pulse and nothing else, in each protocol.
TEST(TavrinIkJogTest, SendsOneServoAndNothingElse) {
    const struct {
        Protocol protocol;
        const char* controller;
        const char* args;
        std::string bytes;
        const char* line;
    } rows[] = {
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", "jog hip 1523", "#1P1523T100\r",
         "{\"joint\":\"hip\",\"us\":1523,\"sent\":\"#1P1523T100\\r\"}"},
        // 1523 us is 6092 quarters: 0x4C and 0x2F.
        {Protocol::Maestro, "protocol = \"maestro\"\n", "jog knee 1523", Bytes({0x84, 0x02, 0x4C, 0x2F}),
         "{\"joint\":\"knee\",\"us\":1523,\"sent\":\"84 02 4C 2F\"}"},
    };
    for (const auto& row : rows) {
        FakeController fake(row.protocol);
        const std::string leg = LegWith("jog_leg", std::string(row.controller) + "port = \"" + fake.Path() + "\"\n");
        ToolRun r = RunTool("--leg " + leg + " " + row.args);
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(std::string(row.line) + "\n", r.out);
        fake.WaitFor([&] { return fake.Bytes().size() >= row.bytes.size(); }, 2000);
        EXPECT_EQ(HexPairs(row.bytes), HexPairs(fake.Bytes())) << row.args;
    }
    const std::string leg = LegWith("jog_bad_leg", "protocol = \"ssc32\"\nport = \"/nonexistent/tty\"\n");
    const struct {
        const char* args;
        const char* err;
    } bad[] = {
        {"jog elbow 1500", "jog takes yaw, hip or knee, not 'elbow'"},
        {"jog hip 2600", "jog takes whole microseconds from 500 to 2500 for ssc32, not '2600'"},
        {"jog hip 15x0", "jog takes whole microseconds from 500 to 2500 for ssc32, not '15x0'"},
        {"jog hip", "jog needs JOINT US"},
    };
    for (const auto& b : bad) {
        ToolRun r = RunTool("--leg " + leg + " " + b.args);
        EXPECT_EQ(2, r.status) << b.args;
        EXPECT_EQ(std::string("tavrin-ik: ") + b.err + "\n", r.err) << b.args;
    }
}

TEST(TavrinIkProbeTest, AnsweredOrNot) {
    const struct {
        Protocol protocol;
        const char* controller;
        bool answering;
        int errors;
        const char* line;
        int status;
        const char* asked;  // what the controller was sent, as hex pairs
    } rows[] = {
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", true, 0, "{\"answered\":true,\"errors\":0}", 0, "51 0D"},
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", false, 0, "{\"answered\":false}", 1, "51 0D"},
        {Protocol::Maestro, "protocol = \"maestro\"\n", true, 0x0110, "{\"answered\":true,\"errors\":272}", 0, "A1"},
        {Protocol::Maestro, "protocol = \"maestro\"\ndevice = 12\n", true, 0, "{\"answered\":true,\"errors\":0}", 0,
         "AA 0C 21"},
        {Protocol::Maestro, "protocol = \"maestro\"\n", false, 0, "{\"answered\":false}", 1, "A1"},
    };
    for (const auto& row : rows) {
        FakeController fake(row.protocol);
        fake.Answer(row.answering, row.errors);
        const std::string leg = LegWith("probe_leg", std::string(row.controller) + "port = \"" + fake.Path() + "\"\n");
        ToolRun r = RunTool("--leg " + leg + " probe");
        EXPECT_EQ(row.status, r.status) << row.controller;
        EXPECT_EQ(std::string(row.line) + "\n", r.out) << row.controller;
        EXPECT_EQ("", r.err);
        EXPECT_EQ(row.asked, HexPairs(fake.Bytes())) << row.controller;
    }
}

// On a line that echoes, the probe's own bytes come back first: they are
// no answer, and neither are bytes no controller sends.
TEST(TavrinIkProbeTest, AnEchoIsNoAnswer) {
    const struct {
        Protocol protocol;
        const char* controller;
        bool answering;
        const char* line;
    } rows[] = {
        {Protocol::Maestro, "protocol = \"maestro\"\ndevice = 12\n", true, "{\"answered\":true,\"errors\":0}"},
        {Protocol::Maestro, "protocol = \"maestro\"\ndevice = 12\n", false, "{\"answered\":false}"},
        {Protocol::Maestro, "protocol = \"maestro\"\n", false, "{\"answered\":false}"},
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", true, "{\"answered\":true,\"errors\":0}"},
        {Protocol::Ssc32, "protocol = \"ssc32\"\n", false, "{\"answered\":false}"},
    };
    for (const auto& row : rows) {
        FakeController fake(row.protocol);
        fake.Echo(true);
        fake.Answer(row.answering);
        const std::string leg = LegWith("echo_leg", std::string(row.controller) + "port = \"" + fake.Path() + "\"\n");
        ToolRun r = RunTool("--leg " + leg + " probe");
        EXPECT_EQ(std::string(row.line) + "\n", r.out) << row.controller << row.answering;
    }
}

TEST(TavrinIkProbeTest, AutoBaudTriesEachRateAndSaysWhichAnswered) {
    FakeController fake(Protocol::Ssc32);
    fake.AnswerOnlyAt(38400);
    const std::string leg = LegWith("auto_leg", "protocol = \"ssc32\"\n");
    ToolRun r = RunTool("--leg " + leg + " --port '" + fake.Path() + "' --baud auto probe");
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_EQ("{\"answered\":true,\"errors\":0,\"baud\":38400}\n", r.out);
    EXPECT_EQ(2, fake.Queries()) << "9600, then 38400";

    fake.AnswerOnlyAt(57600);  // not among the rates tried
    r = RunTool("--leg " + leg + " --port '" + fake.Path() + "' --baud auto probe");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("{\"answered\":false}\n", r.out);
    EXPECT_EQ(5, fake.Queries());

    // A rate of its own instead of the file's.
    fake.AnswerOnlyAt(57600);
    r = RunTool("--leg " + leg + " --port '" + fake.Path() + "' --baud 57600 probe");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("{\"answered\":true,\"errors\":0}\n", r.out);
}

}  // namespace

namespace {

// Wine maps COMn through its prefix's dosdevices/comn link to a device
// path: there, to a fake controller's pseudo-terminal.
class WindowsBuild {
public:
    // Empty when the Windows build or Wine is not there.
    std::string Skip() {
        const std::string exe = TAVRIN_WINDOWS_IK_PATH;
        if (access(exe.c_str(), R_OK) != 0) return "no Windows build at " + exe;
        prefix_ = exe.substr(0, exe.rfind('/')) + "/wine";
        wine_ = std::string("bash '") + TAVRIN_WINE_RUN + "' '" + prefix_ + "'";
        if (std::system((wine_ + " >/dev/null 2>&1").c_str()) != 0) return "Wine cannot run here";
        return "";
    }

    // A port number of this process's own: the prefix is shared.
    std::string Com() const { return "COM" + std::to_string(100 + getpid() % 150); }

    // Points the port at path.
    bool MapPort(const std::string& path) {
        link_ = prefix_ + "/dosdevices/com" + std::to_string(100 + getpid() % 150);
        unlink(link_.c_str());
        return symlink(path.c_str(), link_.c_str()) == 0;
    }

    ~WindowsBuild() {
        if (!link_.empty()) unlink(link_.c_str());
    }

    // Standard output of the program under Wine, without carriage returns.
    std::string Run(const std::string& exe, const std::string& args) {
        // A program that would wait for ever is ended, with no output.
        std::string command = "timeout -k 5 60 " + wine_ + " '" + exe + "' " + args + " 2>/dev/null | tr -d '\\r'";
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    }

private:
    std::string prefix_;
    std::string wine_;
    std::string link_;
};

TEST(TavrinIkWindowsTest, TheWindowsBuildSendsAndProbesTheSame) {
    WindowsBuild windowsBuild;
    if (std::string why = windowsBuild.Skip(); !why.empty()) GTEST_SKIP() << why;
    for (Protocol protocol : {Protocol::Ssc32, Protocol::Maestro}) {
        const std::string controller = std::string("protocol = \"") + ProtocolName(protocol) + "\"\n";
        FakeController native(protocol);
        FakeController windows(protocol);
        ASSERT_TRUE(windowsBuild.MapPort(windows.Path()));
        const std::string nativeLeg = LegWith("native_leg", controller + "port = \"" + native.Path() + "\"\n");
        const std::string windowsLeg = "Z:" + WriteLegFile("windows_leg", kLeg + std::string("[controller]\n") +
                                                                              controller + "port = \"" +
                                                                              windowsBuild.Com() + "\"\n");
        for (const char* command : {"send 30 40 10", "probe"}) {
            ToolRun expected = RunTool("--leg " + nativeLeg + " " + command);
            EXPECT_EQ(expected.out, windowsBuild.Run(TAVRIN_WINDOWS_IK_PATH, "--leg '" + windowsLeg + "' " + command))
                << command;
        }
        windows.WaitFor([&] { return windows.Bytes().size() >= native.Bytes().size(); }, 2000);
        EXPECT_EQ(HexPairs(native.Bytes()), HexPairs(windows.Bytes())) << ProtocolName(protocol);
    }
}

// What a slow line received from a link fed a pose a millisecond: whole
// commands, newer and newer, no more often than the line carries them, the
// last pose last.
void ExpectPacedMoves(FakeController& fake, int count, const std::string& who) {
    const int last = count - 1;
    fake.WaitFor([&] {
        std::vector<ReceivedCommand> got = fake.Commands();
        return !got.empty() && got.back().bytes + "\r" == TestMove(last);
    }, 2000);
    std::vector<ReceivedCommand> received = fake.Commands();
    ASSERT_FALSE(received.empty()) << who;
    EXPECT_EQ(TestMove(last), received.back().bytes + "\r") << who;
    EXPECT_EQ(0, fake.Garbled()) << who;
    int previous = -1;
    for (const ReceivedCommand& command : received) {
        int pose = 0;
        while (pose <= last && TestMove(pose) != command.bytes + "\r") ++pose;
        EXPECT_GT(pose, previous) << who << ": " << command.bytes;
        previous = pose;
    }
    const int64_t commandMs = 28;
    const int64_t span = received.back().ms - received.front().ms;
    EXPECT_LE(static_cast<int64_t>(received.size() - 1) * commandMs, span + commandMs) << who;
}

TEST(TavrinIkWindowsTest, TheLinkPacesTheSameNativelyAndOnWindows) {
    const int count = 300;
    {
        FakeController fake(Protocol::Ssc32, 9600);
        ToolRun run{-1, "", ""};
        FILE* pipe = popen((std::string("'") + LINK_DRIVE_PATH + "' '" + fake.Path() + "' 9600 " +
                            std::to_string(count)).c_str(), "r");
        ASSERT_NE(nullptr, pipe);
        char buffer[256];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
        EXPECT_EQ(0, pclose(pipe));
        EXPECT_EQ("idle\n", run.out);
        ExpectPacedMoves(fake, count, "native");
    }
    WindowsBuild windowsBuild;
    if (std::string why = windowsBuild.Skip(); !why.empty()) GTEST_SKIP() << why;
    if (access(TAVRIN_WINDOWS_LINK_DRIVE_PATH, R_OK) != 0) GTEST_SKIP() << "no " << TAVRIN_WINDOWS_LINK_DRIVE_PATH;
    FakeController fake(Protocol::Ssc32, 9600);
    ASSERT_TRUE(windowsBuild.MapPort(fake.Path()));
    EXPECT_EQ("idle\n", windowsBuild.Run(TAVRIN_WINDOWS_LINK_DRIVE_PATH,
                                         windowsBuild.Com() + " 9600 " + std::to_string(count)));
    ExpectPacedMoves(fake, count, "windows");
}

// The Windows build's port has a deadline on every read and write: a probe
// of a silent controller ends as fast as on Linux, and a line that hangs up
// in the middle of a motion is noticed, not waited on for ever. `timeout`
// ends a program that would wait with status 124 and no output.
TEST(TavrinIkWindowsTest, ASilentControllerAndAHangUpAreNoticedOnWindows) {
    WindowsBuild windowsBuild;
    if (std::string why = windowsBuild.Skip(); !why.empty()) GTEST_SKIP() << why;
    {
        FakeController silent(Protocol::Ssc32);
        silent.Answer(false);
        ASSERT_TRUE(windowsBuild.MapPort(silent.Path()));
        const std::string leg = "Z:" + WriteLegFile("silent_leg", kLeg + std::string("[controller]\nprotocol = "
                                                                                     "\"ssc32\"\nport = \"") +
                                                      windowsBuild.Com() + "\"\n");
        EXPECT_EQ("{\"answered\":false}\n",
                  windowsBuild.Run(TAVRIN_WINDOWS_IK_PATH, "--leg '" + leg + "' probe"));
    }
    if (access(TAVRIN_WINDOWS_LINK_DRIVE_PATH, R_OK) != 0) GTEST_SKIP() << "no " << TAVRIN_WINDOWS_LINK_DRIVE_PATH;
    // The cable is pulled while the link is busy, and again while it is
    // idle (noticed by its once-a-second look alone), and plugged back in:
    // the link notices, reopens the port once it is back, and the current
    // pose arrives.
    for (int count : {3000, 5}) {
        FakeController fake(Protocol::Ssc32, 9600);
        ASSERT_TRUE(windowsBuild.MapPort(fake.Path()));
        std::thread pull([&fake, count] {
            // Busy: some commands in. Idle: the last one in.
            fake.WaitFor([&fake, count] {
                std::vector<ReceivedCommand> got = fake.Commands();
                return got.size() >= 5 || (!got.empty() && got.back().bytes + "\r" == TestMove(count - 1));
            }, 60000);
            fake.HangUp();
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            fake.ComeBack();
        });
        const std::string out = windowsBuild.Run(TAVRIN_WINDOWS_LINK_DRIVE_PATH,
                                                 windowsBuild.Com() + " 9600 " + std::to_string(count) +
                                                     " --through-loss");
        pull.join();
        EXPECT_EQ(0u, out.rfind("lost: ", 0)) << count << ": " << out;
        EXPECT_NE(std::string::npos, out.find("\nidle\n")) << count << ": " << out;
        EXPECT_TRUE(fake.WaitFor([&] {
            std::vector<ReceivedCommand> got = fake.Commands();
            return !got.empty() && got.back().bytes + "\r" == TestMove(count - 1);
        }, 2000)) << count;
    }
}



}  // namespace
