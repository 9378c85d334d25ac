// The sample values of the reachable-workspace grid, the same on both axes.
#pragma once

#include <array>

// 1021 samples from -25 by a float recurrence: each next sample is the
// current one widened to double plus 0.05, rounded back to float, taken while
// it stays below 26. Accumulated rounding leaves the last one, 25.999796,
// just under 26, hence 1021 rather than 1020.
constexpr int kGridSamples = 1021;
const std::array<float, kGridSamples>& GridSamples();
