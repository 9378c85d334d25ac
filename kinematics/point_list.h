// A list of points: the reachable grid points of a slice, or the leg's joints.
#pragma once

#include <vector>

#include "kinematics/d3dx_vector3.h"

typedef std::vector<D3DXVECTOR3> PointList;
