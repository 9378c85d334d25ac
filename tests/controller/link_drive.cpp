// Drives a ControllerLink the way the window does, for the tests to run
// natively and as the Windows build under Wine against the same fake
// controller: COUNT group moves submitted one a millisecond, each polled at
// once, then polls until all is handed over.
//   link_drive PORT BAUD COUNT [--through-loss]
// Prints "idle" and exits 0, or the reason the link was lost and exits 1.
// With --through-loss a lost link is not the end: it waits for the loss,
// prints the reason once and goes on polling, as the window does, until
// everything has gone out to the port that came back (then "idle"), for at
// most 10 s.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "controller/controller_link.h"
#include "test_moves.h"

namespace {

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
    const bool throughLoss = argc == 5 && std::string(argv[4]) == "--through-loss";
    if (argc != 4 && !throughLoss) {
        std::fprintf(stderr, "usage: link_drive PORT BAUD COUNT [--through-loss]\n");
        return 2;
    }
    ControllerSettings settings;
    settings.port = argv[1];
    settings.baud = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    ControllerLink link;
    std::string error;
    if (!link.Open(settings, error)) {
        std::printf("%s\n", error.c_str());
        return 1;
    }
    bool told = false;
    auto tellLoss = [&] {
        if (!throughLoss || told || !link.Lost()) return;
        std::printf("lost: %s\n", link.LostReason().c_str());
        std::fflush(stdout);
        told = true;
    };
    for (int pose = 0; pose < count; ++pose) {
        link.Submit(TestMove(pose));
        link.Poll(NowMs());
        tellLoss();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const int64_t end = NowMs() + (throughLoss ? 10000 : 5000);
    // Through a loss, the end is the port back and everything out again.
    auto done = [&] { return throughLoss ? told && !link.Lost() && link.Idle() : link.Idle() || link.Lost(); };
    while (!done() && NowMs() < end) {
        link.Poll(NowMs());
        tellLoss();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (link.Lost()) {
        if (!told) std::printf("lost: %s\n", link.LostReason().c_str());
        return 1;
    }
    std::printf(link.Idle() ? "idle\n" : "still sending\n");
    return link.Idle() ? 0 : 1;
}
