#include "fake_controller.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

FakeController::FakeController(Protocol protocol, int readBaud) : protocol_(protocol), readBaud_(readBaud) {
    char pattern[] = "/tmp/tavrin_port_XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = pattern;
    link_ = dir_ + "/port";
    OpenTerminal();
    reader_ = std::thread([this] { ReadLoop(); });
}

FakeController::~FakeController() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    if (reader_.joinable()) reader_.join();
    CloseTerminal();
    if (!dir_.empty()) rmdir(dir_.c_str());
}

namespace {

// A terminal opened without O_NOCTTY by a session leader that has none
// becomes that session's controlling terminal, and its hang-up then sends
// the leader SIGHUP. Wine's server is such a leader, opens the COM ports
// its programs use, and dies of that signal, taking every program in its
// prefix with it. A terminal belongs to one session at most, so a child
// of the test's own, in a session of its own, holds it from the start and
// waits for the hang-up; this returns once the terminal is the child's.
// Only async-signal-safe calls after the fork: the test has threads.
pid_t OwnSession(int slave) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        setsid();
        dup2(slave, 0);
        ioctl(0, TIOCSCTTY, 0);
        if (write(ready[1], "", 1) != 1) _exit(1);
        if (close_range(1, ~0U, 0) != 0) {
            for (int fd = 1; fd < 1024; ++fd) close(fd);
        }
        for (;;) pause();
    }
    close(ready[1]);
    char byte;
    while (child > 0 && read(ready[0], &byte, 1) < 0 && errno == EINTR) {
    }
    close(ready[0]);
    return child;
}

}  // namespace

// Called with the lock held, or before the reader starts.
void FakeController::OpenTerminal() {
    char name[256];
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    // The programs a test starts must not hold the terminal open: its
    // hang-up comes with the last close of the master.
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    guard_ = OwnSession(slave_);
    // Raw from the start, so that nothing is echoed or translated before
    // the program sets the terminal up itself.
    termios tio;
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    // Replace the link in one step, as udev does.
    const std::string fresh = link_ + ".new";
    unlink(fresh.c_str());
    if (symlink(name, fresh.c_str()) == 0) rename(fresh.c_str(), link_.c_str());
    paceStartMs_ = NowMs();
    pacedBytes_ = 0;
}

void FakeController::CloseTerminal() {
    unlink(link_.c_str());
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
    if (guard_ > 0) {
        kill(guard_, SIGKILL);
        waitpid(guard_, nullptr, 0);
    }
    guard_ = -1;
}

// A poll() in another thread holds the master's file until it returns, so
// a close during it would end the pseudo-terminal, and hang up the
// program's side, only some milliseconds later: the reader is kept out of
// poll() first, and the hang-up is over when HangUp returns.
void FakeController::ReleaseTerminal(std::unique_lock<std::mutex>& lock) {
    closing_ = true;
    pollEnded_.wait(lock, [this] { return !polling_; });
    closing_ = false;
    CloseTerminal();
}

void FakeController::HangUp() {
    std::unique_lock<std::mutex> lock(mutex_);
    ReleaseTerminal(lock);
}

void FakeController::ComeBack() {
    std::unique_lock<std::mutex> lock(mutex_);
    ReleaseTerminal(lock);
    OpenTerminal();
}

void FakeController::Answer(bool answering, int errors) {
    std::lock_guard<std::mutex> lock(mutex_);
    answering_ = answering;
    errors_ = errors;
}

void FakeController::Echo(bool echoing) {
    std::lock_guard<std::mutex> lock(mutex_);
    echoing_ = echoing;
}

void FakeController::AnswerOnlyAt(int baud) {
    std::lock_guard<std::mutex> lock(mutex_);
    answerBaud_ = baud;
}

namespace {

// The rate the program set the terminal to, as termios' speed codes.
int BaudOf(int fd) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return 0;
    switch (cfgetospeed(&tio)) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

}  // namespace

void FakeController::ReadLoop() {
    for (;;) {
        int fd;
        size_t allowed = 4096;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) return;
            fd = closing_ ? -1 : master_;
            if (readBaud_ > 0) {
                // A byte has arrived once its ten bits have crossed the line.
                int64_t due = (NowMs() - paceStartMs_) * readBaud_ / 10000 + 1;
                allowed = due > pacedBytes_ ? static_cast<size_t>(due - pacedBytes_) : 0;
                if (allowed > 4096) allowed = 4096;
            }
            polling_ = fd >= 0 && allowed > 0;
        }
        if (fd < 0 || allowed == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = poll(&entry, 1, 2);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            polling_ = false;
        }
        pollEnded_.notify_all();
        if (ready <= 0 || !(entry.revents & POLLIN)) {
            // Nothing came: a paced line does not save up time while idle.
            std::lock_guard<std::mutex> lock(mutex_);
            if (readBaud_ > 0 && fd == master_) {
                int64_t now = NowMs();
                int64_t due = (now - paceStartMs_) * readBaud_ / 10000;
                if (due > pacedBytes_ + 1) pacedBytes_ = due - 1;
            }
            if (entry.revents & (POLLHUP | POLLERR)) {
                // The program has closed its side; wait for it to return.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            continue;
        }
        unsigned char buffer[4096];
        std::lock_guard<std::mutex> lock(mutex_);
        if (fd != master_) continue;
        ssize_t got = read(fd, buffer, allowed);
        if (got <= 0) continue;
        int64_t now = NowMs();
        pacedBytes_ += got;
        for (ssize_t i = 0; i < got; ++i) {
            if (echoing_ && write(master_, &buffer[i], 1) < 0) {
                // The program went away: nothing to echo to.
            }
            Take(buffer[i], now);
        }
    }
}

void FakeController::Take(unsigned char byte, int64_t ms) {
    bytes_ += static_cast<char>(byte);
    if (protocol_ == Protocol::Ssc32) TakeSsc32(byte, ms);
    else TakeMaestro(byte, ms);
}

void FakeController::Finish(int64_t ms) {
    commands_.push_back({command_, ms});
    command_.clear();
}

void FakeController::Reply(const std::string& bytes) {
    if (!answering_ || master_ < 0) return;
    if (answerBaud_ != 0 && BaudOf(slave_) != answerBaud_) return;
    if (write(master_, bytes.data(), bytes.size()) < 0) {
        // The program went away before the answer: nothing to do.
    }
}

// "#<channel>P<us>" groups, an optional "T<ms>", then '\r'; or "Q\r".
void FakeController::TakeSsc32(unsigned char byte, int64_t ms) {
    if (byte != '\r') {
        command_ += static_cast<char>(byte);
        return;
    }
    const std::string text = command_;
    Finish(ms);
    if (text == "Q") {
        ++queries_;
        Reply(".");
        return;
    }
    Ssc32Move move;
    size_t i = 0;
    auto number = [&](int& out) {
        size_t start = i;
        out = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 6) out = out * 10 + (text[i++] - '0');
        return i > start;
    };
    bool good = !text.empty();
    while (good && i < text.size() && text[i] == '#') {
        ++i;
        ChannelPulse pulse;
        good = number(pulse.channel) && i < text.size() && text[i++] == 'P' && number(pulse.microseconds);
        move.pulses.push_back(pulse);
    }
    if (good && i < text.size() && text[i] == 'T') {
        ++i;
        good = number(move.moveMs);
    }
    if (good && i == text.size() && !move.pulses.empty()) moves_.push_back(move);
    else garbled_ += static_cast<int>(text.size()) + 1;
}

// A command byte has its top bit set, data bytes never do. Compact: 0x84
// channel low high, 0xA1. Pololu: 0xAA device, then the compact command
// with its top bit cleared, then the same data.
void FakeController::TakeMaestro(unsigned char byte, int64_t ms) {
    if (byte & 0x80) {
        if (!command_.empty()) garbled_ += static_cast<int>(command_.size());  // cut short
        command_.clear();
        if (byte == 0x84) maestroNeeds_ = 3;
        else if (byte == 0xAA) maestroNeeds_ = 2;
        else if (byte == 0xA1) maestroNeeds_ = 0;
        else {
            ++garbled_;
            return;
        }
        command_ += static_cast<char>(byte);
    } else {
        if (command_.empty()) {
            ++garbled_;
            return;
        }
        command_ += static_cast<char>(byte);
        --maestroNeeds_;
        // The Pololu protocol's command byte says how much data follows.
        if (command_.size() == 3 && static_cast<unsigned char>(command_[0]) == 0xAA) {
            if (byte == 0x04) maestroNeeds_ = 3;
            else if (byte == 0x21) maestroNeeds_ = 0;
            else {
                garbled_ += 3;
                command_.clear();
                return;
            }
        }
    }
    if (maestroNeeds_ > 0) return;
    const std::string c = command_;
    Finish(ms);
    const bool pololu = static_cast<unsigned char>(c[0]) == 0xAA;
    const size_t data = pololu ? 3 : 1;
    if (c.size() == data) {
        ++queries_;
        Reply(std::string{static_cast<char>(errors_ & 0xFF), static_cast<char>(errors_ >> 8 & 0xFF)});
        return;
    }
    MaestroTarget target;
    target.device = pololu ? static_cast<unsigned char>(c[1]) : -1;
    target.channel = static_cast<unsigned char>(c[data]);
    target.quarters = static_cast<unsigned char>(c[data + 1]) | static_cast<unsigned char>(c[data + 2]) << 7;
    targets_.push_back(target);
}

std::string FakeController::Bytes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}

std::vector<ReceivedCommand> FakeController::Commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

std::vector<Ssc32Move> FakeController::Moves() {
    std::lock_guard<std::mutex> lock(mutex_);
    return moves_;
}

std::vector<MaestroTarget> FakeController::Targets() {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
}

int FakeController::Queries() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queries_;
}

int FakeController::Garbled() {
    std::lock_guard<std::mutex> lock(mutex_);
    return garbled_;
}

bool FakeController::WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const int64_t end = NowMs() + timeoutMs;
    while (!done()) {
        if (NowMs() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
