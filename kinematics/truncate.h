// Float-to-int truncation toward zero that is defined for every input.
#pragma once

#include <climits>

// Values whose truncation does not fit an int, and non-numbers, give
// INT_MIN: the "integer indefinite" that the x86 conversion instructions
// return for them, so every build agrees with the 32-bit Windows one.
inline int TruncateToInt(double value) {
    // Truncation maps (INT_MIN - 1, INT_MAX + 1) into the int range; the
    // negated comparison also catches NaN.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);
}

// The same rule without the widening: no float lies strictly between
// INT_MIN - 1 and INT_MIN (the next one below is INT_MIN - 256), so the
// float bounds [INT_MIN, INT_MAX + 1) select exactly the same values.
inline int TruncateToInt(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT_MIN;
    return static_cast<int>(value);
}
