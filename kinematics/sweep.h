// The reachable-workspace sweep: every grid point of the slice at one depth
// that the solver accepts, row by row (rising y), each row in rising x, each
// point stored as (x, y, 0). Both sweeps replace the list's contents: it
// ends up holding the slice's points and nothing else.
// The grid is the samples of grid.h, the same on both axes; the forms
// without one use the leg's slice grid, GridSamples(leg.Reach()).
#pragma once

#include <cstddef>
#include <vector>

#include "kinematics/leg_description.h"
#include "kinematics/point_list.h"

class WorkerPool;

// One full solve per grid point, about a million of them: the reference
// that the fast sweep must reproduce.
void LiteralSweep(const LegDescription& leg, float depth, const std::vector<float>& grid, PointList& points);
void LiteralSweep(const LegDescription& leg, float depth, PointList& points);
void LiteralSweep(float depth, PointList& points);

// What the fast sweep did besides listing points.
struct SweepStats {
    size_t exactSolves = 0;  // grid points handed to the solver
};

// The same list as LiteralSweep, bit for bit and in the same order, with the
// solver run only on points close to a boundary of the reachable set. The
// list's storage is reserved once, for the grid points of the square around
// the slice's disc of reach.
void FastSweep(const LegDescription& leg, float depth, const std::vector<float>& grid, PointList& points,
               SweepStats* stats = nullptr);
// The same list, swept in bands of rows on the pool's threads.
void FastSweep(const LegDescription& leg, float depth, const std::vector<float>& grid, WorkerPool& pool,
               PointList& points, SweepStats* stats = nullptr);
void FastSweep(const LegDescription& leg, float depth, PointList& points, SweepStats* stats = nullptr);
void FastSweep(float depth, PointList& points, SweepStats* stats = nullptr);

// How many points FastSweep would list, found the same way, with nothing
// stored.
size_t FastSweepCount(const LegDescription& leg, float depth, const std::vector<float>& grid,
                      SweepStats* stats = nullptr);

// The thresholds and margins that let the fast sweep settle most points
// without the solver, derived for one leg in sweep_limits.cpp; public so that
// the tests can check them against the solver. Below, s is the solver's float
// sum (x·x + y·y) + z·z, rho the distance |(r, y)| of its float reach r and
// y, and h its float hip angle in radians.
struct SweepLimits {
    // The hip's arc-cosine argument is surely inside [-1, 1] for s in
    // [innerIn, outerIn] and surely outside it for s below innerOut or
    // above outerOut.
    float innerOut = 0;
    float innerIn = 0;
    float outerIn = 0;
    float outerOut = 0;
    // The knee angle is within its range exactly for kneeLow <= s < kneeHigh
    // (found with the solver's own operations); sums within a few ulps of
    // either go to the solver all the same.
    float kneeLow = 0;
    float kneeHigh = 0;
    float kneeLowBelow = 0;
    float kneeLowAbove = 0;
    float kneeHighBelow = 0;
    float kneeHighAbove = 0;
    // The hip range in radians: h passes exactly for lowerAngle <= h·K < upperAngle
    // in the solver's truncation, K = kDegreesPerRadian; see sweep_limits.cpp.
    double lowerAngle = 0;
    double upperAngle = 0;
    double angleSlack = 0;     // covers the rounding of h and of h·K
    double cosineError = 0;    // |computed - exact| hip cosine inside the shell
    double distanceMax = 0;    // the largest rho with s <= outerIn
    double circleMargin = 0;   // the knee-circle test's margin, squared units
    double guardMargin = 0;    // the angle tests' margin, units
};

SweepLimits MakeSweepLimits(const LegDescription& leg);

// The bound on |w - W| for the solver's hip cosine w of a point at exact
// distance rho whose exact cosine is W, for a leg whose upper segment is
// upper units long (derived in sweep_limits.cpp).
double HipCosineError(double rho, double exactCosine, int upper);
