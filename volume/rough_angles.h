// Cheap stand-ins for acos, atan and atan2 whose errors are bounded, for
// settling most of a slice's joint degrees without the library functions;
// the points they cannot settle go to the solver (margin.cpp).
#pragma once

#include <cmath>

constexpr double kRoughPi = 3.14159265358979323846;

// From Abramowitz and Stegun (4.4.45 and 4.4.48), with their coefficients:
// |RoughAcos(x) - acos x| < 6.76e-5 on [-1, 1] and |RoughAtan(t) - atan t|
// < 1.15e-5 on [-1, 1]. The book's bounds (6.7e-5 and 1e-5) are for the
// exact polynomials; these are what dense sampling of the rounded
// coefficients gives (the tests check them).
inline double RoughAcos(double x) {
    const double a = std::fabs(x);
    const double p = std::sqrt(1 - a) * (1.5707288 + a * (-0.2121144 + a * (0.0742610 + a * -0.0187293)));
    return x < 0 ? kRoughPi - p : p;
}

inline double RoughAtan(double t) {
    const double t2 = t * t;
    return t * (0.9998660 + t2 * (-0.3302995 + t2 * (0.1801410 + t2 * (-0.0851330 + t2 * 0.0208351))));
}

// atan2(y, x) from RoughAtan, on the same branches as atan2: (-pi, pi],
// with a zero y's sign choosing between pi and -pi.
inline double RoughAtan2(double y, double x) {
    if (y == 0 && x == 0) return 0;
    if (std::fabs(y) <= std::fabs(x)) {
        const double a = RoughAtan(y / x);
        if (x > 0) return a;
        return std::signbit(y) ? a - kRoughPi : a + kRoughPi;
    }
    return (y > 0 ? kRoughPi / 2 : -kRoughPi / 2) - RoughAtan(x / y);
}

