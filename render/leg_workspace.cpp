#include "render/leg.h"

#include <cstdint>
#include <vector>

#include "kinematics/grid.h"
#include "kinematics/sweep.h"
#include "render/margin_drawing.h"
#include "volume/margin.h"
#include "volume/workspace_volume.h"

// Lists every grid point of the slice at the target's depth that solves in
// range, row by row (rising y), each row in rising x, with z stored as 0.
// The fast sweep gives the list of one solve per grid point without paying
// for a million solves on every change of depth.
void Leg::ComputeWorkspace() {
    if (workspaceReady) return;
    FastSweep(description, target.z, workspace);
    workspaceReady = true;
}

void Leg::DrawMarginWorkspace() {
    if (!workspaceReady) return;
    std::vector<uint8_t> margins;
    SliceMargins(description, GridSamples(description.Reach()), target.z, workspace, margins, VolumeThreads(0));
    DrawMarginCloud(workspaceDC, workspace, margins, scale.x, origin.x, scale.y, origin.y);
}
