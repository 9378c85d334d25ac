#include "render/leg.h"

#include <cstdint>
#include <vector>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "parallel/worker_pool.h"
#include "render/margin_drawing.h"
#include "volume/margin.h"

// Lists every grid point of the slice at the target's depth that solves in
// range, row by row (rising y), each row in rising x, with z stored as 0.
// The fast sweep gives the list of one solve per grid point without paying
// for a million solves on every change of depth, in bands of rows on every
// core.
void Leg::ComputeWorkspace() {
    if (workspaceReady) return;
    FastSweep(description, target.z, GridSamples(description.Reach()), SharedPool(), workspace);
    workspaceReady = true;
}

void Leg::DrawMarginWorkspace() {
    if (!workspaceReady) return;
    std::vector<uint8_t> margins;
    SliceMargins(description, GridSamples(description.Reach()), target.z, workspace, margins, &SharedPool());
    DrawMarginCloud(workspaceDC, workspace, margins, scale.x, origin.x, scale.y, origin.y, &SharedPool());
}
