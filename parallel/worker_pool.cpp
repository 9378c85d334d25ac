#include "parallel/worker_pool.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMostThreads = 64;
// How long a thread that has done its share waits awake for the next job:
// long enough to bridge the gaps between the jobs of one depth change, short
// enough that a window at rest has every thread asleep at once.
constexpr std::chrono::microseconds kSpin{500};

}  // namespace

WorkerPool::WorkerPool(int threads) {
    const int others = std::min(std::max(threads, 1), kMostThreads) - 1;
    workers_.reserve(static_cast<size_t>(others));
    for (int t = 0; t < others; ++t) workers_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void WorkerPool::Run(int pieces, const std::function<void(int)>& piece) {
    if (workers_.empty() || pieces <= 1 || busy_.exchange(true)) {
        for (int k = 0; k < pieces; ++k) piece(k);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        piece_ = &piece;
        pieces_ = pieces;
        next_ = 0;
        done_ = 0;
        failure_ = nullptr;
        ++generation_;
    }
    wake_.notify_all();
    TakePieces();
    std::exception_ptr failure;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        // A worker that has not taken a piece by now finds none left and
        // never touches the job again; one still working counts towards
        // done_.
        finished_.wait(lock, [this] { return done_ == pieces_; });
        piece_ = nullptr;
        failure = failure_;
        failure_ = nullptr;
    }
    busy_.store(false);
    if (failure) std::rethrow_exception(failure);
}

void WorkerPool::TakePieces() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (piece_ && next_ < pieces_) {
        const int k = next_++;
        const std::function<void(int)>& piece = *piece_;
        lock.unlock();
        std::exception_ptr failure;
        try {
            piece(k);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure) {
            if (!failure_) failure_ = failure;
            // The pieces not yet begun count as done without running.
            done_ += pieces_ - next_;
            next_ = pieces_;
        }
        if (++done_ == pieces_) finished_.notify_one();
    }
}

bool WorkerPool::SpinForJob(unsigned long seen) const {
    const auto until = std::chrono::steady_clock::now() + kSpin;
    while (generation_.load(std::memory_order_relaxed) == seen) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::yield();
    }
    return true;
}

void WorkerPool::Prime() {
    if (workers_.empty()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++primes_;
    }
    wake_.notify_all();
}

void WorkerPool::Work() {
    unsigned long seen = 0, seenPrimes = 0;
    for (;;) {
        if (!SpinForJob(seen)) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen || primes_ != seenPrimes; });
            seenPrimes = primes_;
            // Woken ahead of a job: wait for it awake.
            if (!stopping_ && generation_ == seen) continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) return;
            seen = generation_;
        }
        TakePieces();
    }
}

int ThreadsFromEnvironment() {
    const char* text = std::getenv("TAVRIN_THREADS");
    if (!text || !*text || std::strlen(text) > 2) return 0;
    int value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return 0;
        value = value * 10 + (*c - '0');
    }
    return value >= 1 && value <= kMostThreads ? value : 0;
}

WorkerPool& SharedPool() {
    static WorkerPool pool([] {
        const int asked = ThreadsFromEnvironment();
        if (asked > 0) return asked;
        return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }());
    return pool;
}
