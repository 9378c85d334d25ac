// Searching the non-negative floats in order: their bit patterns, read as
// unsigned integers, are ordered as the floats are, so a bisection over the
// patterns visits every float once, with no step too coarse near a
// boundary.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t FloatBitsOf(float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

inline float FloatFromBits(uint32_t b) {
    float v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

// The first non-negative float in [low, high) where pred holds, for a
// predicate false up to some float and true from there on below high; high
// when it never holds there. High itself is never tested.
template <typename Pred>
float FirstFloatWhere(float low, float high, Pred pred) {
    uint32_t lo = FloatBitsOf(low), hi = FloatBitsOf(high);
    if (pred(low)) return low;
    // pred(lo) is false; find the first true in (lo, hi].
    while (hi - lo > 1) {
        uint32_t mid = lo + (hi - lo) / 2;
        if (pred(FloatFromBits(mid))) hi = mid;
        else lo = mid;
    }
    return FloatFromBits(hi);
}
