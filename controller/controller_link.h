// The paced sender between the window and the servo controller. It never
// waits: the owner submits each new pose's command and calls Poll whenever
// NextWakeMs comes round (and after each Submit), handing in the time.
//
// A command is handed to the port only once the one before has had time to
// go out at the baud rate (ten bits a byte on the wire: start, eight data,
// stop) and, where the driver says, once its output queue is empty. Until
// then only the newest command waits: a newer Submit replaces it, so a fast
// drag sends the latest pose at the line's pace instead of a growing
// backlog. A command that the driver took in part is finished before
// anything else, so commands are never cut or interleaved.
//
// A write error or a hang-up closes the port and marks the link lost; it
// tries to open the port again once a second and, when it can, sends the
// current command again.
#pragma once

#include <cstdint>
#include <string>

#include "controller/controller_settings.h"
#include "controller/serial_port.h"

class ControllerLink {
public:
    // Opens the settings' port; false with a one-line error when it cannot.
    bool Open(const ControllerSettings& settings, std::string& error);
    // Closes the port and forgets what was waiting: nothing more is sent.
    void Close();

    // The newest command; replaces one still waiting.
    void Submit(std::string command);
    // Does what is due at nowMs: finishes a command the driver took in
    // part, hands over the waiting one when pacing allows, notices a lost
    // port, tries to reopen one.
    void Poll(int64_t nowMs);
    // When Poll next has something to do, or -1 when never. While the port
    // is open and idle that is its once-a-second check for a hang-up.
    int64_t NextWakeMs() const;

    bool Lost() const { return lost_; }
    // Whether every submitted command has been handed to the port.
    bool Idle() const { return !waiting_ && written_ >= writing_.size(); }
    // For the window's title: "ssc32 on /dev/ttyUSB0", or "controller lost,
    // retrying".
    std::string Title() const;
    // Why the link was lost, for a log or a status line.
    const std::string& LostReason() const { return lostReason_; }

    // How long count bytes take on the wire at the baud rate, in whole
    // milliseconds rounded up.
    static int64_t TransmitMs(size_t count, int baud);

private:
    void Lose(int64_t nowMs, const std::string& why);
    void Reopen(int64_t nowMs);
    void Continue(int64_t nowMs);
    void CheckHangUp(int64_t nowMs);
    void WaitForDriver(int64_t nowMs, size_t count);

    ControllerSettings settings_;
    SerialPort port_;
    bool active_ = false;         // opened once and not closed since
    bool lost_ = false;
    std::string lostReason_;
    std::string current_;         // the newest command, sent again on reopening
    bool waiting_ = false;        // current_ has not been handed over yet
    std::string writing_;         // the command being handed over
    size_t written_ = 0;          // how much of writing_ the driver has taken
    int64_t readyMs_ = 0;         // when the previous command has gone out
    int64_t retryMs_ = 0;         // when to try reopening a lost port
    int64_t checkMs_ = 0;         // when to look for a hang-up next
    int64_t busyUntilMs_ = -1;    // when to look again at a driver that was busy
};
