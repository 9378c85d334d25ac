// A fixed set of threads, made once, that share out the pieces of one job
// at a time: the slice of a depth change is swept, given its margins and
// plotted in bands of the grid, on every core, without starting a thread
// per change.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class WorkerPool {
public:
    // `threads` counts the caller: 1 makes no thread and runs every piece
    // on the caller. Values below 1 count as 1, above 64 as 64.
    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int Threads() const { return static_cast<int>(workers_.size()) + 1; }

    // Calls piece(k) once for every k in [0, pieces) and returns when all
    // have returned. The caller takes pieces too; which thread takes which
    // piece is not fixed, so a piece must write only what is its own. A job
    // given while another runs (a piece that gives one, or a second caller)
    // runs on its caller alone. A piece that throws stops the pieces not yet
    // begun; once those begun have returned, Run throws the first exception.
    void Run(int pieces, const std::function<void(int)>& piece);

    // Wakes the threads ahead of jobs about to come, so that the time a
    // sleeping thread takes to start passes while the caller does its own
    // work first. They go back to sleep if no job comes soon.
    void Prime();

private:
    void Work();
    // Waits a little for the next job without sleeping: the pieces of one
    // depth change come as several jobs in a row, and a thread woken from
    // sleep may take longer to start than a piece takes. True if one came.
    bool SpinForJob(unsigned long seen) const;
    // Takes pieces of the current job until none is left.
    void TakePieces();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::atomic<bool> busy_{false};  // a job is being run
    // The job, guarded by mutex_.
    const std::function<void(int)>* piece_ = nullptr;
    int pieces_ = 0;
    int next_ = 0;
    int done_ = 0;
    std::atomic<unsigned long> generation_{0};  // written under mutex_
    std::exception_ptr failure_;  // the first exception of the job
    unsigned long primes_ = 0;
    bool stopping_ = false;
};

// The number of threads TAVRIN_THREADS asks for (1 to 64), or 0 when it is
// unset or not such a number.
int ThreadsFromEnvironment();

// The program's pool, made at its first use: TAVRIN_THREADS threads, or
// one for every core.
WorkerPool& SharedPool();
