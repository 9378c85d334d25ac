// A servo controller on the far side of a pseudo-terminal, for tests: the
// program under test opens Path() as its serial port, and a thread here
// reads what it writes, parses SSC-32 group moves and Maestro commands byte
// by byte, and answers their probes. It can read at a given baud rate's
// pace, hang up like a pulled USB cable, and come back as a new
// pseudo-terminal behind the same path, as /dev/serial/by-id links do.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controller/commands.h"

// Milliseconds of the steady clock, the time the tests give the link.
int64_t NowMs();

struct Ssc32Move {
    std::vector<ChannelPulse> pulses;
    int moveMs = 0;  // 0 when the move had no T
};

struct MaestroTarget {
    int device = -1;  // -1 for the compact protocol
    int channel = 0;
    int quarters = 0;
};

// A whole command as it arrived, and when its last byte was read.
struct ReceivedCommand {
    std::string bytes;
    int64_t ms = 0;
};

class FakeController {
public:
    // readBaud 0 reads as fast as bytes come; otherwise no faster than a
    // line at that rate delivers them.
    explicit FakeController(Protocol protocol, int readBaud = 0);
    ~FakeController();
    FakeController(const FakeController&) = delete;
    FakeController& operator=(const FakeController&) = delete;

    // The port's path, a symbolic link to the pseudo-terminal; empty when
    // one could not be made.
    const std::string& Path() const { return link_; }

    // Whether probes are answered, and the Maestro's error bits in answers.
    void Answer(bool answering, int errors = 0);
    // Every byte read is written back at once, before any answer, as a
    // half-duplex adapter or a loopback does.
    void Echo(bool echoing);
    // Answers only while the program has the port at this baud rate, as a
    // controller does not understand a probe sent at another one.
    void AnswerOnlyAt(int baud);

    // The pseudo-terminal and its link go away: the program's port hangs up.
    void HangUp();
    // A new pseudo-terminal behind the same path.
    void ComeBack();

    std::string Bytes();
    std::vector<ReceivedCommand> Commands();
    std::vector<Ssc32Move> Moves();
    std::vector<MaestroTarget> Targets();
    int Queries();
    // Bytes that fit no command of the protocol.
    int Garbled();

    // Waits until done() holds, at most timeoutMs; done is called with the
    // controller's lock free.
    bool WaitFor(const std::function<bool()>& done, int timeoutMs);

private:
    void OpenTerminal();
    void CloseTerminal();
    void ReleaseTerminal(std::unique_lock<std::mutex>& lock);
    void ReadLoop();
    void Take(unsigned char byte, int64_t ms);
    void TakeSsc32(unsigned char byte, int64_t ms);
    void TakeMaestro(unsigned char byte, int64_t ms);
    void Finish(int64_t ms);
    void Reply(const std::string& bytes);

    const Protocol protocol_;
    const int readBaud_;
    std::string dir_;
    std::string link_;

    std::mutex mutex_;
    int master_ = -1;
    int slave_ = -1;
    int guard_ = -1;               // the process whose session owns the terminal
    bool stop_ = false;
    bool polling_ = false;         // the reader is in poll() on master_
    bool closing_ = false;         // a hang-up waits for that poll to end
    std::condition_variable pollEnded_;
    bool answering_ = true;
    bool echoing_ = false;
    int errors_ = 0;
    int answerBaud_ = 0;
    int64_t paceStartMs_ = 0;
    int64_t pacedBytes_ = 0;

    std::string bytes_;
    std::string command_;          // the command being parsed
    size_t maestroNeeds_ = 0;      // bytes a Maestro command still needs
    std::vector<ReceivedCommand> commands_;
    std::vector<Ssc32Move> moves_;
    std::vector<MaestroTarget> targets_;
    int queries_ = 0;
    int garbled_ = 0;

    std::thread reader_;
};
