// The pool runs every piece of a job exactly once, on its threads and the
// caller's, and a job given while another runs still runs, on its caller.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "parallel/worker_pool.h"

namespace {

void SetThreadsVariable(const char* value) {
#ifdef _WIN32
    _putenv_s("TAVRIN_THREADS", value ? value : "");
#else
    if (value) setenv("TAVRIN_THREADS", value, 1);
    else unsetenv("TAVRIN_THREADS");
#endif
}

TEST(WorkerPoolTest, EveryPieceRunsOnce) {
    for (int threads : {-3, 0, 1, 2, 5}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        WorkerPool pool(threads);
        EXPECT_EQ(threads < 1 ? 1 : threads, pool.Threads());
        for (int pieces : {0, 1, 2, 7, 100}) {
            std::vector<std::atomic<int>> runs(static_cast<size_t>(pieces));
            for (auto& r : runs) r = 0;
            pool.Run(pieces, [&](int k) { ++runs[static_cast<size_t>(k)]; });
            for (int k = 0; k < pieces; ++k) ASSERT_EQ(1, runs[static_cast<size_t>(k)].load()) << "piece " << k;
        }
    }
}

// Pieces that wait for one another can only finish when they run side by
// side: each of the first two waits until the other has started.
TEST(WorkerPoolTest, PiecesRunSideBySide) {
    WorkerPool pool(2);
    for (int job = 0; job < 20; ++job) {
        std::atomic<int> started{0};
        pool.Run(2, [&](int) {
            ++started;
            while (started.load() < 2) std::this_thread::yield();
        });
        EXPECT_EQ(2, started.load());
    }
}

TEST(WorkerPoolTest, AJobWithinAJobRunsOnItsCaller) {
    WorkerPool pool(3);
    std::atomic<int> inner{0};
    pool.Run(4, [&](int) {
        const std::thread::id caller = std::this_thread::get_id();
        pool.Run(5, [&](int) {
            EXPECT_EQ(caller, std::this_thread::get_id());
            ++inner;
        });
    });
    EXPECT_EQ(20, inner.load());
}

TEST(WorkerPoolTest, TwoCallersAtOnce) {
    WorkerPool pool(2);
    std::atomic<long> sum{0};
    auto call = [&] {
        for (int job = 0; job < 200; ++job) pool.Run(8, [&](int k) { sum += k; });
    };
    std::thread other(call);
    call();
    other.join();
    EXPECT_EQ(2 * 200 * 28, sum.load());
}

// Two pieces that start side by side and both throw: Run throws once they
// have returned, and the next job runs every piece once.
TEST(WorkerPoolTest, APieceThatThrows) {
    WorkerPool pool(2);
    for (int round = 0; round < 20; ++round) {
        std::atomic<int> started{0};
        EXPECT_THROW(pool.Run(2,
                              [&](int k) {
                                  ++started;
                                  while (started.load() < 2) std::this_thread::yield();
                                  throw std::runtime_error("piece " + std::to_string(k));
                              }),
                     std::runtime_error);
        std::vector<std::atomic<int>> runs(8);
        for (auto& r : runs) r = 0;
        pool.Run(8, [&](int k) { ++runs[static_cast<size_t>(k)]; });
        for (int k = 0; k < 8; ++k) ASSERT_EQ(1, runs[static_cast<size_t>(k)].load()) << "piece " << k;
    }
}

TEST(WorkerPoolTest, PrimedThreadsStillTakeTheNextJob) {
    WorkerPool pool(2);
    for (int round = 0; round < 5; ++round) {
        pool.Prime();
        std::atomic<int> runs{0};
        pool.Run(6, [&](int) { ++runs; });
        EXPECT_EQ(6, runs.load());
        std::this_thread::sleep_for(std::chrono::milliseconds(round));  // asleep again, or not yet
    }
}

TEST(WorkerPoolTest, ThreadsFromTheEnvironment) {
    const struct {
        const char* value;
        int threads;
    } cases[] = {{nullptr, 0}, {"", 0}, {"1", 1}, {"2", 2}, {"64", 64}, {"65", 0}, {"0", 0},
                 {"-1", 0},    {"2x", 0}, {" 2", 0}, {"002", 0}, {"99999999999", 0}};
    for (const auto& c : cases) {
        SetThreadsVariable(c.value);
        EXPECT_EQ(c.threads, ThreadsFromEnvironment()) << (c.value ? c.value : "(unset)");
    }
    SetThreadsVariable(nullptr);
}

}  // namespace
