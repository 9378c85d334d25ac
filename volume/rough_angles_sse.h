// Four rough arc-cosines and arc-tangents at once, in float SSE2, for the
// slice's joint degrees (margin.cpp). Abramowitz and Stegun's longer
// polynomials (4.4.46 and 4.4.49): the polynomials themselves are within
// 2.2e-8 and 3.8e-8 of acos and atan, and evaluating them in float adds
// at most a few float roundings. Dense sampling (the tests) bounds the
// whole error by kRoughError4 below.
#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TAVRIN_ROUGH_SSE2 1

// |RoughAcos4(x) - acos x| and |RoughAtan2_4(y, x) - atan2(y, x)| for float
// arguments, as dense sampling finds them, rounded up.
constexpr double kRoughAcos4Error = 5e-7;
constexpr double kRoughAtan2_4Error = 6e-7;

inline __m128 RoughAbs4(__m128 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }

inline __m128 RoughSelect4(__m128 mask, __m128 ifTrue, __m128 ifFalse) {
    return _mm_or_ps(_mm_and_ps(mask, ifTrue), _mm_andnot_ps(mask, ifFalse));
}

// acos x for x in [-1, 1]: sqrt(1 - |x|) p(|x|), mirrored for x < 0.
inline __m128 RoughAcos4(__m128 x) {
    const __m128 a = RoughAbs4(x);
    __m128 p = _mm_set1_ps(-0.0012624911f);
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(0.0066700901f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(-0.0170881256f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(0.0308918810f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(-0.0501743046f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(0.0889789874f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(-0.2145988016f));
    p = _mm_add_ps(_mm_mul_ps(p, a), _mm_set1_ps(1.5707963050f));
    const __m128 positive = _mm_mul_ps(_mm_sqrt_ps(_mm_sub_ps(_mm_set1_ps(1.0f), a)), p);
    const __m128 negative = _mm_cmplt_ps(x, _mm_setzero_ps());
    return RoughSelect4(negative, _mm_sub_ps(_mm_set1_ps(3.14159265f), positive), positive);
}

// atan t for t in [-1, 1].
inline __m128 RoughAtan4(__m128 t) {
    const __m128 t2 = _mm_mul_ps(t, t);
    __m128 q = _mm_set1_ps(-0.0040540580f);
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(0.0218612288f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(-0.0559098861f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(0.0964200441f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(-0.1390853351f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(0.1994653599f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(-0.3332985605f));
    q = _mm_add_ps(_mm_mul_ps(q, t2), _mm_set1_ps(0.9999993329f));
    return _mm_mul_ps(t, q);
}

// atan2(y, x) on atan2's branches, (-pi, pi], a zero y's sign choosing
// between pi and -pi; 0 where both are zero. The quotient comes from the
// float reciprocals 1/y and 1/x, which callers work out once for a column
// or a row: x·(1/y) is within two roundings of x/y.
inline __m128 RoughAtan2_4(__m128 y, __m128 x, __m128 inverseY, __m128 inverseX) {
    const __m128 ay = RoughAbs4(y), ax = RoughAbs4(x);
    const __m128 steep = _mm_cmpgt_ps(ay, ax);  // |y| > |x|: atan of x / y
    const __m128 t = RoughSelect4(steep, _mm_mul_ps(x, inverseY), _mm_mul_ps(y, inverseX));
    const __m128 a = RoughAtan4(t);
    const __m128 pi = _mm_set1_ps(3.14159265f), halfPi = _mm_set1_ps(1.57079633f);
    const __m128 signOfY = _mm_and_ps(y, _mm_set1_ps(-0.0f));
    // Flat: a, or a + pi or a - pi (by y's sign bit) where x is not positive.
    const __m128 turn = _mm_or_ps(pi, signOfY);
    const __m128 flat = RoughSelect4(_mm_cmpgt_ps(x, _mm_setzero_ps()), a, _mm_add_ps(a, turn));
    // Steep: (y > 0 ? pi/2 : -pi/2) - a.
    const __m128 quarter = RoughSelect4(_mm_cmpgt_ps(y, _mm_setzero_ps()), halfPi, _mm_or_ps(halfPi, _mm_set1_ps(-0.0f)));
    const __m128 steepAngle = _mm_sub_ps(quarter, a);
    const __m128 bothZero = _mm_and_ps(_mm_cmpeq_ps(y, _mm_setzero_ps()), _mm_cmpeq_ps(x, _mm_setzero_ps()));
    return _mm_andnot_ps(bothZero, RoughSelect4(steep, steepAngle, flat));
}

#endif
