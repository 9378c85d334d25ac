// The knee's whole degrees as a step function of the solver's float sum
// s = (x·x + y·y) + z·z. Every step of the solver's knee angle from s (the
// square root, its square, the law of cosines, the arc-cosine, the
// truncation) is monotone, so the degrees never fall as s rises: they are
// found exactly from the sums at which they step, with no arc-cosine per
// point.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

class KneeSteps {
public:
    KneeSteps(int upper, int lower);

    int upper() const { return upper_; }
    int lower() const { return lower_; }

    // ToDegrees(KneeAngle) for sum s, or INT_MIN where the law of cosines
    // leaves [-1, 1] (or s is no number), as the solver's truncation of a
    // NaN angle gives. The bucket of s names a step surely not beyond its
    // own; the steps from there to s are counted, seldom more than one.
    int DegreesAt(float s) const {
        if (!(s >= lowest_ && s <= highest_)) return INT_MIN;
        const float position = (s - lowest_) * bucketsPerUnit_;
        const int bucket = position < static_cast<float>(kBuckets - 1) ? static_cast<int>(position) : kBuckets - 1;
        // Two steps without a branch (the rises end in sentinels above every
        // sum), then a loop for the rare bucket that holds more.
        int i = firstStep_[bucket];
        i += rises_[i] <= s;
        i += rises_[i] <= s;
        while (rises_[i] <= s) ++i;
        return first_ + i;
    }

    // The solver's own degrees for s, for the tests and the table.
    int SolverDegrees(float s) const;

private:
    static constexpr int kBuckets = 4096;

    int upper_;
    int lower_;
    float lowest_ = 1;   // the sums with a cosine within [-1, 1]
    float highest_ = 0;
    int first_ = 0;      // the degrees at lowest_
    // The least sum of each further degree, then two infinities.
    std::vector<float> rises_;
    float bucketsPerUnit_ = 0;
    // For each bucket of sums, how many rises lie below the start of the
    // bucket before it: rounding may put a sum a little below its bucket's
    // start, never a whole bucket below.
    std::vector<uint16_t> firstStep_;
};
