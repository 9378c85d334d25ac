#include "volume/workspace_volume.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "kinematics/sweep.h"
#include "volume/margin.h"

namespace {

// Runs work(thread index) on `threads` threads, the calling one included.
template <typename Work>
void OnThreads(int threads, Work work) {
    std::vector<std::thread> others;
    for (int t = 1; t < threads; ++t) others.emplace_back(work, t);
    work(0);
    for (std::thread& other : others) other.join();
}

struct SliceResult {
    PointList points;
    std::vector<uint8_t> margins;
};

void SweepSlice(const LegDescription& leg, const std::vector<float>& grid, float z, bool margins, SliceResult& out) {
    FastSweep(leg, z, grid, out.points);
    if (margins) SliceMargins(leg, grid, z, out.points, out.margins);
    else out.margins.clear();
}

// Slices in flight: the workers fill the slot of slice i, i modulo the
// ring's size, once the sink has taken slice i - size from it; the sink
// takes them in order as they become ready.
class SliceRing {
public:
    SliceRing(size_t size, size_t slices) : slots_(size), readyIndex_(size, kNone), next_(0), taken_(0), slices_(slices) {}

    // The next slice to sweep and its slot, once that slot is free; false
    // when every slice is claimed or the sweep stopped.
    bool Claim(size_t& index, SliceResult*& slot) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stopped_ || next_ == slices_) return false;
        index = next_++;
        freed_.wait(lock, [&] { return stopped_ || index < taken_ + slots_.size(); });
        if (stopped_) return false;
        slot = &slots_[index % slots_.size()];
        return true;
    }

    void Fill(size_t index) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            readyIndex_[index % slots_.size()] = index;
        }
        filled_.notify_all();
    }

    // Slice `index` once it is swept.
    const SliceResult& Await(size_t index) {
        std::unique_lock<std::mutex> lock(mutex_);
        filled_.wait(lock, [&] { return readyIndex_[index % slots_.size()] == index; });
        return slots_[index % slots_.size()];
    }

    void Release() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++taken_;
        }
        freed_.notify_all();
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
        }
        freed_.notify_all();
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    std::mutex mutex_;
    std::condition_variable freed_;
    std::condition_variable filled_;
    std::vector<SliceResult> slots_;
    std::vector<size_t> readyIndex_;
    size_t next_;
    size_t taken_;
    const size_t slices_;
    bool stopped_ = false;
};

}  // namespace

int VolumeThreads(int requested) {
    if (requested > 0) return requested;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

bool SweepVolume(const LegDescription& leg, const std::vector<float>& grid, const VolumeOptions& options,
                 VolumeSink& sink) {
    const int workers = VolumeThreads(options.threads);
    const size_t slices = grid.size();
    SliceRing ring(2 * static_cast<size_t>(workers), slices);
    auto work = [&](int) {
        size_t index;
        SliceResult* slot;
        while (ring.Claim(index, slot)) {
            SweepSlice(leg, grid, grid[index], options.margins, *slot);
            ring.Fill(index);
        }
    };
    std::vector<std::thread> sweepers;
    for (int t = 0; t < workers; ++t) sweepers.emplace_back(work, t);
    // The calling thread hands the slices on, so a slow sink (a file being
    // written) never holds up the sweeping.
    bool finished = true;
    for (size_t i = 0; i < slices; ++i) {
        const SliceResult& slice = ring.Await(i);
        if (!sink.TakeSlice(grid[i], slice.points, slice.margins)) {
            finished = false;
            ring.Stop();
            break;
        }
        ring.Release();
    }
    for (std::thread& sweeper : sweepers) sweeper.join();
    return finished;
}

VolumeCount CountVolume(const LegDescription& leg, const std::vector<float>& grid, const VolumeOptions& options) {
    const int threads = VolumeThreads(options.threads);
    VolumeCount count;
    count.perSlice.assign(grid.size(), 0);
    std::vector<std::vector<uint64_t>> histograms(threads);
    std::atomic<size_t> next{0};
    // Slices go out one at a time as threads become free: the middle ones
    // cost far more than those near the ends of the reach.
    OnThreads(threads, [&](int t) {
        SliceResult slice;
        std::vector<uint64_t>& histogram = histograms[t];
        for (size_t i; (i = next.fetch_add(1)) < grid.size();) {
            if (!options.margins) {
                count.perSlice[i] = FastSweepCount(leg, grid[i], grid);
                continue;
            }
            SweepSlice(leg, grid, grid[i], true, slice);
            count.perSlice[i] = slice.points.size();
            for (uint8_t m : slice.margins) {
                if (m >= histogram.size()) histogram.resize(m + 1, 0);
                ++histogram[m];
            }
        }
    });
    for (uint64_t n : count.perSlice) count.points += n;
    if (options.margins) {
        for (const std::vector<uint64_t>& histogram : histograms) {
            if (histogram.size() > count.marginHistogram.size()) count.marginHistogram.resize(histogram.size(), 0);
            for (size_t m = 0; m < histogram.size(); ++m) count.marginHistogram[m] += histogram[m];
        }
    }
    return count;
}
