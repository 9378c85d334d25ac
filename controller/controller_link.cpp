#include "controller/controller_link.h"

#include <algorithm>
#include <utility>

#include "text/quote.h"

namespace {

constexpr int64_t kRetryMs = 1000;
constexpr int64_t kHangUpCheckMs = 1000;
constexpr int kBitsPerByte = 10;

}  // namespace

int64_t ControllerLink::TransmitMs(size_t count, int baud) {
    const int64_t bits = static_cast<int64_t>(count) * kBitsPerByte * 1000;
    return (bits + baud - 1) / baud;
}

bool ControllerLink::Open(const ControllerSettings& settings, std::string& error) {
    Close();
    if (!port_.Open(settings.port, settings.baud, error)) return false;
    settings_ = settings;
    active_ = true;
    return true;
}

void ControllerLink::Close() {
    port_.Close();
    active_ = false;
    lost_ = false;
    lostReason_.clear();
    current_.clear();
    waiting_ = false;
    writing_.clear();
    written_ = 0;
    readyMs_ = retryMs_ = checkMs_ = 0;
    busyUntilMs_ = -1;
}

void ControllerLink::Submit(std::string command) {
    if (!active_) return;
    current_ = std::move(command);
    waiting_ = true;
}

void ControllerLink::Lose(int64_t nowMs, const std::string& why) {
    port_.Close();
    lost_ = true;
    lostReason_ = why;
    writing_.clear();
    written_ = 0;
    busyUntilMs_ = -1;
    // The current pose goes out again, whole, once the port is back.
    waiting_ = !current_.empty();
    retryMs_ = nowMs + kRetryMs;
}

void ControllerLink::Reopen(int64_t nowMs) {
    if (nowMs < retryMs_) return;
    std::string error;
    if (!port_.Open(settings_.port, settings_.baud, error)) {
        lostReason_ = error;
        retryMs_ = nowMs + kRetryMs;
        return;
    }
    lost_ = false;
    lostReason_.clear();
    readyMs_ = nowMs;
    checkMs_ = nowMs + kHangUpCheckMs;
}

// Hands over the rest of the command in hand, then the waiting one when
// its time has come.
void ControllerLink::Continue(int64_t nowMs) {
    std::string error;
    if (written_ < writing_.size()) {
        long taken = port_.Write(writing_.data() + written_, writing_.size() - written_, error);
        if (taken < 0) return Lose(nowMs, error);
        written_ += static_cast<size_t>(taken);
        if (written_ < writing_.size()) return WaitForDriver(nowMs, writing_.size() - written_);
    }
    busyUntilMs_ = -1;
    if (!waiting_ || nowMs < readyMs_) return;
    long queued = port_.Queued();
    if (queued > 0) return WaitForDriver(nowMs, static_cast<size_t>(queued));
    writing_ = current_;
    written_ = 0;
    waiting_ = false;
    readyMs_ = nowMs + TransmitMs(writing_.size(), settings_.baud);
    long taken = port_.Write(writing_.data(), writing_.size(), error);
    if (taken < 0) return Lose(nowMs, error);
    written_ = static_cast<size_t>(taken);
    if (written_ < writing_.size()) WaitForDriver(nowMs, writing_.size() - written_);
}

// The driver holds count bytes it has not sent, or had no room: look again
// once they can have gone out.
void ControllerLink::WaitForDriver(int64_t nowMs, size_t count) {
    busyUntilMs_ = nowMs + std::max<int64_t>(1, TransmitMs(count, settings_.baud));
}

void ControllerLink::CheckHangUp(int64_t nowMs) {
    if (nowMs < checkMs_) return;
    checkMs_ = nowMs + kHangUpCheckMs;
    if (port_.HungUp()) Lose(nowMs, "the port " + Printable(settings_.port, kShownPortLength) + " hung up");
}

void ControllerLink::Poll(int64_t nowMs) {
    if (!active_) return;
    if (lost_) {
        Reopen(nowMs);
        if (lost_) return;
    }
    CheckHangUp(nowMs);
    if (lost_) return;
    Continue(nowMs);
}

int64_t ControllerLink::NextWakeMs() const {
    if (!active_) return -1;
    if (lost_) return retryMs_;
    int64_t wake = checkMs_;
    if (written_ < writing_.size()) wake = std::min(wake, busyUntilMs_);
    else if (waiting_) wake = std::min(wake, std::max(readyMs_, busyUntilMs_));
    return wake;
}

std::string ControllerLink::Title() const {
    if (lost_) return "controller lost, retrying";
    return std::string(ProtocolName(settings_.protocol)) + " on " + Printable(settings_.port, kShownPortLength);
}
