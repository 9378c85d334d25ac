#include "render/leg.h"
#include "kinematics/sweep.h"

// Lists every grid point of the slice at the target's depth that solves in
// range, row by row (rising y), each row in rising x, with z stored as 0.
// The fast sweep gives the list of one solve per grid point without paying
// for a million solves on every change of depth.
void Leg::ComputeWorkspace() {
    if (workspaceReady) return;
    FastSweep(description, target.z, workspace);
    workspaceReady = true;
}
