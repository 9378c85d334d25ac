// The window's margin mode: the reachable cloud coloured by each point's
// joint margin (volume/margin_ramp.h), and a one-line legend for it.
#pragma once

#include <cstdint>
#include <vector>

#include "kinematics/point_list.h"
#include "platform/win32.h"

class WorkerPool;

// Plots every point of a slice's list in the ramp's colour for its margin
// (margins[i] for points[i]), on the pixels the plain cloud uses: column
// TruncateToInt(x * scaleX + originX), row TruncateToInt(y * scaleY +
// originY), the product and the sum each rounded to float. A pixel that
// several points fall on shows the smallest of their margins, so an end
// stop is never hidden by a neighbour further from one. With a pool, a
// list in rows of rising y (as the sweeps give it) is plotted in bands of
// pixel rows on its threads, to the same pixels.
void DrawMarginCloud(HDC dc, const PointList& points, const std::vector<uint8_t>& margins, float scaleX,
                     float originX, float scaleY, float originY, WorkerPool* pool = nullptr);

// "joint margin 0 5 10 15 20 25 30+ degrees", each number in its colour,
// at the bottom left of a frame frameHeight pixels high. Leaves the DC's
// text colour and background mode as it found them.
void DrawMarginLegend(HDC dc, int frameHeight);
