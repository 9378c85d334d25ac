// How far a reachable pose is from its joints' end stops.
#pragma once

#include <cstdint>
#include <vector>

#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"
#include "kinematics/point_list.h"

class WorkerPool;

// The margin of a pose solved in range: the smallest, over yaw, hip and
// knee, of (angle - min) and (max - angle), in whole degrees. 0 means some
// joint is at its end stop; no margin exceeds 90.
int JointMargin(const LegDescription& leg, const LegPose& pose);

// The margin of every point of a slice's list of reachable grid points
// (points stored as (x, y, 0), as the sweeps list them) at `depth`: exactly
// JointMargin of the pose that the solver gives for (x, y, depth). A point
// that the solver puts out of range, which the sweeps never list, gets 0.
// The yaw and the reach, which depend on the column alone, are worked out
// once per sample of `grid`; with a pool, the list is shared out between its
// threads.
void SliceMargins(const LegDescription& leg, const std::vector<float>& grid, float depth, const PointList& points,
                  std::vector<uint8_t>& margins, WorkerPool* pool = nullptr);
