// Cutting a slice's list into bands that can be plotted side by side: the
// sweeps list the points in rows of rising y, and the pixel row is monotone
// in y, so bands cut where the pixel row changes own disjoint pixel rows.
#pragma once

#include <cstddef>
#include <vector>

#include "kinematics/d3dx_vector3.h"
#include "platform/win32.h"
#include "render/pixel_axis.h"

class WorkerPool;

// One band: points [from, to) of the list, which may set pixels only in
// rows low..high. A point of another row (a list not in rows of rising y)
// is left to the caller, who plots the whole list again on its own.
struct RowBand {
    size_t from;
    size_t to;
    int low;
    int high;
    bool rising;  // whether the rows rise from one band to the next
    bool Owns(int row) const { return row >= low && row <= high; }
};

// Cuts points [0, count) into about four bands a thread of the pool, each
// starting where the pixel row changes, their rows apart. False when
// sharing out would not pay (one thread, a short list), when dc is not a
// memory DC or the system lets only one thread draw into a DC at a time
// (Windows), or when the cuts' rows do not follow one another in one
// direction; the caller then plots on its own.
bool CutIntoRowBands(HDC dc, const D3DXVECTOR3* points, size_t count, PixelAxis down, const WorkerPool& pool,
                     std::vector<RowBand>& bands);
