// The whole 3-D workspace: the reachable points of every z slice of a grid
// whose x, y and z take the same samples (kinematics/grid.h), each slice
// exactly the slice sweep's list for that depth. The slices are swept on
// every core and handed on in rising z; counting stores no points at all.
#pragma once

#include <cstdint>
#include <vector>

#include "kinematics/leg_description.h"
#include "kinematics/point_list.h"

struct VolumeOptions {
    bool margins = false;  // work out each point's joint margin as well
    int threads = 0;       // 0: one per core
};

// The threads a sweep with `requested` threads runs on: at least one.
int VolumeThreads(int requested);

// Takes the slices of a volume sweep one at a time, in rising z.
class VolumeSink {
public:
    virtual ~VolumeSink() = default;
    // The reachable points of the slice at depth z, stored as (x, y, 0) in
    // the sweep's order, and with VolumeOptions::margins their margins
    // (otherwise an empty list). Both are reused after the call returns.
    // False stops the sweep.
    virtual bool TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) = 0;
};

// Sweeps every slice of the grid, keeping only a few slices in memory at a
// time whatever the volume's size. False when the sink stopped it.
bool SweepVolume(const LegDescription& leg, const std::vector<float>& grid, const VolumeOptions& options,
                 VolumeSink& sink);

struct VolumeCount {
    uint64_t points = 0;
    std::vector<uint64_t> perSlice;         // the points of each slice, in rising z
    std::vector<uint64_t> marginHistogram;  // with margins: points by margin 0, 1, ...
};

// The same points counted, without storing them: by the counting sweep, or
// with margins, one slice's list per thread at a time.
VolumeCount CountVolume(const LegDescription& leg, const std::vector<float>& grid, const VolumeOptions& options);
