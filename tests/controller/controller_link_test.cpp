// The serial port and the paced link against a fake controller on a real
// pseudo-terminal, driven with the real clock.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "controller/controller_link.h"
#include "fake_controller.h"
#include "test_moves.h"

namespace {

ControllerSettings SettingsFor(Protocol protocol, const std::string& port, int baud = 115200) {
    ControllerSettings settings;
    settings.protocol = protocol;
    settings.port = port;
    settings.baud = baud;
    return settings;
}

// Polls the link with the real clock until done() holds or timeoutMs pass.
bool PollUntil(ControllerLink& link, const std::function<bool()>& done, int timeoutMs) {
    const int64_t end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() >= end) return false;
        link.Poll(NowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(SerialPortTest, OpeningFailuresNameThePortAndTheReason) {
    SerialPort port;
    std::string error;
    EXPECT_FALSE(port.Open("/nonexistent/ttyUSB9", 9600, error));
    EXPECT_EQ("cannot open the port /nonexistent/ttyUSB9: No such file or directory", error);

    // A file that is not a terminal is no serial port.
    const std::string file = ::testing::TempDir() + "not_a_port_" + std::to_string(getpid());
    std::fclose(std::fopen(file.c_str(), "w"));
    EXPECT_FALSE(port.Open(file, 9600, error));
    EXPECT_EQ("cannot open the port " + file + ": not a serial port", error);

    // Without the permission, the line says which group to join. Root opens
    // anything, so this part needs an ordinary user.
    if (geteuid() != 0) {
        chmod(file.c_str(), 0);
        EXPECT_FALSE(port.Open(file, 9600, error));
        EXPECT_NE(std::string::npos, error.find(": Permission denied; the user must be in the port's group '")) << error;
    }
    std::remove(file.c_str());
}

TEST(SerialPortTest, WritesReadsAndDrains) {
    FakeController fake(Protocol::Ssc32);
    ASSERT_FALSE(fake.Path().empty());
    SerialPort port;
    std::string error;
    ASSERT_TRUE(port.Open(fake.Path(), 9600, error)) << error;
    EXPECT_EQ(2, port.Write("Q\r", 2, error));
    ASSERT_TRUE(port.Drain(error)) << error;
    char answer = 0;
    long got = 0;
    fake.WaitFor([&] { return (got = port.Read(&answer, 1, error)) != 0; }, 2000);
    EXPECT_EQ(1, got);
    EXPECT_EQ('.', answer);
    EXPECT_FALSE(port.HungUp());
    fake.HangUp();
    // The pseudo-terminal goes once the fake's reader lets go of it.
    EXPECT_TRUE(fake.WaitFor([&] { return port.HungUp(); }, 2000));
    EXPECT_EQ(-1, port.Write("Q\r", 2, error));
    EXPECT_EQ(0u, error.find("cannot write to the port: ")) << error;
}

TEST(ControllerLinkTest, SendsTheExactBytesOfEachProtocol) {
    const struct {
        Protocol protocol;
        std::string command;
    } rows[] = {
        {Protocol::Ssc32, "#0P1500#1P1833#2P1167T100\r"},
        {Protocol::Maestro, MaestroSetTargets({{0, 1500}, {5, 900}}, std::nullopt)},
        {Protocol::Maestro, MaestroSetTargets({{0, 1500}, {23, 4095}}, 12)},
    };
    for (const auto& row : rows) {
        FakeController fake(row.protocol);
        ControllerLink link;
        std::string error;
        ASSERT_TRUE(link.Open(SettingsFor(row.protocol, fake.Path()), error)) << error;
        EXPECT_EQ(std::string(ProtocolName(row.protocol)) + " on " + fake.Path(), link.Title());
        link.Submit(row.command);
        link.Poll(NowMs());
        EXPECT_TRUE(fake.WaitFor([&] { return fake.Bytes().size() >= row.command.size(); }, 2000));
        EXPECT_EQ(HexPairs(row.command), HexPairs(fake.Bytes()));
        EXPECT_EQ(0, fake.Garbled());
    }
}

// The title shows a port whose name holds control characters (a link a
// user made, a name from the leg file) on one line.
TEST(ControllerLinkTest, TheTitleShowsAnOddPortNameOnOneLine) {
    FakeController fake(Protocol::Ssc32);
    const std::string odd = fake.Path() + "\x1b[2J\nodd";
    ASSERT_EQ(0, symlink(fake.Path().c_str(), odd.c_str()));
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Ssc32, odd), error)) << error;
    EXPECT_EQ("ssc32 on " + fake.Path() + "?[2J?odd", link.Title());
    link.Close();
    unlink(odd.c_str());
}

// At 9,600 baud a 26-byte move takes 28 ms on the wire. A thousand poses a
// second for a second must give the leg the newest pose every command's
// time or so, each whole, never a backlog of old ones; and the last pose
// must arrive about one command's time after the drag stops.
TEST(ControllerLinkTest, AFastDragOnASlowLineSendsTheNewestPoseWithoutBacklog) {
    const int baud = 9600;
    FakeController fake(Protocol::Ssc32, baud);
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Ssc32, fake.Path(), baud), error)) << error;
    const int64_t commandMs = ControllerLink::TransmitMs(TestMove(0).size(), baud);
    ASSERT_EQ(28, commandMs);

    std::vector<int64_t> submittedMs;
    const int64_t start = NowMs();
    int pose = 0;
    for (; NowMs() - start < 1000; ++pose) {
        link.Submit(TestMove(pose));
        submittedMs.push_back(NowMs());
        link.Poll(NowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int last = pose - 1;
    const int64_t lastSubmitted = submittedMs.back();
    ASSERT_TRUE(PollUntil(link, [&] {
        std::vector<ReceivedCommand> got = fake.Commands();
        return !got.empty() && got.back().bytes + "\r" == TestMove(last);
    }, 2000)) << "the last pose never arrived";

    std::vector<ReceivedCommand> received = fake.Commands();
    EXPECT_EQ(0, fake.Garbled()) << "a command was cut or interleaved";
    // Sent no more often than the line carries them, and not much less.
    const int64_t span = received.back().ms - received.front().ms;
    EXPECT_LE(static_cast<int64_t>(received.size() - 1) * commandMs, span + commandMs);
    EXPECT_GE(static_cast<int64_t>(received.size()), 1000 / commandMs / 2);
    // Each command arrives soon after its pose was submitted: waiting for
    // the previous one to go out, then going out itself, with room for a
    // busy machine. A backlog would make this grow to most of a second.
    int previous = -1;
    for (const ReceivedCommand& command : received) {
        int sent = 0;
        while (sent <= last && TestMove(sent) != command.bytes + "\r") ++sent;
        ASSERT_LE(sent, last) << "an unknown command: " << command.bytes;
        EXPECT_GT(sent, previous) << "an older pose after a newer one";
        previous = sent;
        EXPECT_LE(command.ms - submittedMs[sent], 3 * commandMs + 100) << "pose " << sent;
    }
    // The last pose: at most one command's wait, one command's time on the
    // line, and the same room.
    EXPECT_LE(received.back().ms - lastSubmitted, 2 * commandMs + 100);
}

TEST(ControllerLinkTest, OnlyTheNewestWaitingCommandGoesOut) {
    FakeController fake(Protocol::Ssc32);
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Ssc32, fake.Path(), 9600), error)) << error;
    // Handed in time that stands still: the first goes out at once, the
    // others wait for its 28 ms, and only the newest of them follows.
    const int64_t t = 1000;
    link.Submit(TestMove(1));
    link.Poll(t);
    link.Submit(TestMove(2));
    link.Poll(t + 1);
    link.Submit(TestMove(3));
    link.Poll(t + 27);
    EXPECT_EQ(t + 28, link.NextWakeMs());
    // The driver's queue is empty once the controller has read the first.
    ASSERT_TRUE(fake.WaitFor([&] { return fake.Commands().size() == 1; }, 2000));
    link.Poll(t + 28);
    EXPECT_TRUE(fake.WaitFor([&] { return fake.Commands().size() >= 2; }, 2000));
    std::vector<ReceivedCommand> received = fake.Commands();
    ASSERT_EQ(2u, received.size());
    EXPECT_EQ(TestMove(1), received[0].bytes + "\r");
    EXPECT_EQ(TestMove(3), received[1].bytes + "\r");
    // Nothing waits now but the once-a-second look for a hang-up.
    EXPECT_EQ(t + 1000, link.NextWakeMs());
}

TEST(ControllerLinkTest, AfterCloseNothingMoreIsSent) {
    FakeController fake(Protocol::Ssc32);
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Ssc32, fake.Path(), 9600), error)) << error;
    link.Submit(TestMove(1));
    link.Poll(1000);
    link.Submit(TestMove(2));  // waits for the first to go out
    link.Close();
    link.Poll(5000);
    link.Submit(TestMove(3));
    link.Poll(6000);
    EXPECT_EQ(-1, link.NextWakeMs());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<ReceivedCommand> received = fake.Commands();
    ASSERT_EQ(1u, received.size());
    EXPECT_EQ(TestMove(1), received[0].bytes + "\r");
}

// A pulled cable: the link says it is lost, keeps trying once a second
// without waiting, and when the port is back sends the pose of the moment.
TEST(ControllerLinkTest, AHangUpIsLostAndTheCurrentPoseGoesOutOnReconnecting) {
    FakeController fake(Protocol::Ssc32);
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Ssc32, fake.Path()), error)) << error;
    link.Submit(TestMove(1));
    ASSERT_TRUE(PollUntil(link, [&] { return fake.Commands().size() == 1; }, 2000));

    fake.HangUp();
    // Noticed by the once-a-second look even when nothing is being sent.
    ASSERT_TRUE(PollUntil(link, [&] { return link.Lost(); }, 3000));
    EXPECT_EQ("controller lost, retrying", link.Title());
    EXPECT_NE("", link.LostReason());
    // The next try is a second away; trying costs no wait.
    const int64_t lostAt = NowMs();
    EXPECT_GE(link.NextWakeMs(), lostAt + 900);
    EXPECT_LE(link.NextWakeMs(), lostAt + 1000);
    link.Submit(TestMove(2));
    link.Submit(TestMove(3));
    link.Poll(link.NextWakeMs());  // the port is still gone
    EXPECT_TRUE(link.Lost());
    EXPECT_LT(NowMs() - lostAt, 500);

    fake.ComeBack();
    ASSERT_TRUE(PollUntil(link, [&] { return !link.Lost(); }, 3000));
    EXPECT_EQ("ssc32 on " + fake.Path(), link.Title());
    ASSERT_TRUE(PollUntil(link, [&] { return fake.Commands().size() == 2; }, 2000));
    EXPECT_EQ(TestMove(3), fake.Commands()[1].bytes + "\r");
    EXPECT_EQ(0, fake.Garbled());
}

// A write into a port that has gone is a loss too, noticed at once.
TEST(ControllerLinkTest, AWriteErrorIsLost) {
    FakeController fake(Protocol::Maestro);
    ControllerLink link;
    std::string error;
    ASSERT_TRUE(link.Open(SettingsFor(Protocol::Maestro, fake.Path()), error)) << error;
    fake.HangUp();
    link.Submit(MaestroSetTargets({{0, 1500}}, std::nullopt));
    link.Poll(1000);
    EXPECT_TRUE(link.Lost());
    EXPECT_EQ(2000, link.NextWakeMs());
}

}  // namespace
