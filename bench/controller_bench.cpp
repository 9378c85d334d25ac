// From a pose submitted to the last byte of its command handed to the port:
// the pose's bytes, the link's pacing and the write, on a real
// pseudo-terminal whose far side a thread keeps reading.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <benchmark/benchmark.h>

#include "controller/commands.h"
#include "controller/controller_link.h"

namespace {

void BM_PoseToPort(benchmark::State& state) {
    int master = -1, slave = -1;
    char name[256];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        char buffer[4096];
        while (!stop) {
            pollfd entry{master, POLLIN, 0};
            if (poll(&entry, 1, 10) > 0 && read(master, buffer, sizeof buffer) <= 0) break;
        }
    });
    ControllerSettings settings;
    settings.port = name;
    settings.baud = 115200;
    ControllerLink link;
    std::string error;
    if (!link.Open(settings, error)) {
        state.SkipWithError(error.c_str());
    } else {
        LegDescription leg;
        for (int j = 0; j < kJointCount; ++j) {
            leg.servos[j] = ServoSetting{};
            leg.servos[j]->channel = j;
        }
        LegPose pose;
        pose.yawDeg = 90;
        pose.hipDeg = 120;
        // The link is handed a clock a second further on each time, so the
        // time measured is the work, not the pacing of the line.
        int64_t nowMs = 0;
        for (auto _ : state) {
            pose.kneeDeg = 20 + static_cast<int>(nowMs / 1000 % 140);
            nowMs += 1000;
            link.Submit(CommandFor(settings, leg, pose));
            do {
                link.Poll(nowMs);
            } while (!link.Idle() && !link.Lost());
        }
        if (link.Lost()) state.SkipWithError(link.LostReason().c_str());
    }
    link.Close();
    stop = true;
    reader.join();
    close(slave);
    close(master);
}
BENCHMARK(BM_PoseToPort)->Unit(benchmark::kMicrosecond);

}  // namespace
