// The reachable-workspace sweep: every grid point of the slice at one depth
// that the solver accepts, row by row (rising y), each row in rising x, each
// point stored as (x, y, 0). Both sweeps clear the list first and then append.
#pragma once

#include <cstddef>

#include "kinematics/point_list.h"

// One full solve per grid point, 1,042,441 of them: the reference that the
// fast sweep must reproduce.
void LiteralSweep(float depth, PointList& points);

// What the fast sweep did besides listing points.
struct SweepStats {
    size_t exactSolves = 0;  // grid points handed to the solver
};

// The same list as LiteralSweep, bit for bit and in the same order, with the
// solver run only on points close to a boundary of the reachable set.
void FastSweep(float depth, PointList& points, SweepStats* stats = nullptr);

// The error bounds and decision margins of the fast sweep, derived in
// fast_sweep.cpp; public so that the tests can check them against the solver.
namespace sweep_bounds {

// The solver's float arc-cosine argument at the root differs from the exact
// (rho² − 125) / (20 rho), rho = |(reach, y)|, by at most this.
constexpr double kCosineError = 1e-5;
// The solver's float hip angle differs from atan2(reach, y) + acos(w), exact
// functions of its float inputs, by at most this many radians.
constexpr double kHipError = 5e-7;
// Squared-distance margin around the circles that bound the hip angle.
constexpr double kDiskMargin = 0.02;
// Relative margin of the float distance sum around 25 and 625.
constexpr float kShellMargin = 1e-4f;

}  // namespace sweep_bounds
