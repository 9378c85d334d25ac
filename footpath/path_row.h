// One row of a path file: a foot target and the time it is due, and the
// straight line the target follows from one row to the next.
#pragma once

#include "kinematics/d3dx_vector3.h"

// t_ms is a double: a hand-written path may say 12.5, and a double holds
// every whole millisecond a recording can reach exactly. x, y and z are the
// floats the solver takes.
struct PathRow {
    double tMs = 0;
    float x = 0;
    float y = 0;
    float z = 0;

    D3DXVECTOR3 Target() const { return D3DXVECTOR3(x, y, z); }
};

// The target at time t on the straight line from a to b, for a.tMs <= t <=
// b.tMs: each coordinate is a + (b - a) * f with f = (t - a.tMs) / (b.tMs -
// a.tMs), worked in double and rounded once to float, so both ends give the
// rows' own floats and the sampler and the player agree to the bit. When b
// is due no later than a, or t has reached it, the target is b's.
PathRow PointBetween(const PathRow& a, const PathRow& b, double t);
