// Bit-for-bit float comparison for tests: 0 and -0 differ, NaN equals NaN.
#pragma once

#include <cstdint>
#include <cstring>

#include <gtest/gtest.h>

inline uint32_t FloatBits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

#define EXPECT_FLOAT_BITS(expected, actual) \
    EXPECT_EQ(FloatBits(expected), FloatBits(actual)) << "expected " << (expected) << ", got " << (actual)

// Every listed grid point carries z = +0 whatever the slice's depth.
#define ASSERT_FLOAT_BITS_Z(point) ASSERT_EQ(0u, FloatBits((point).z))
