// The sample values of the reachable-workspace grid, the same on every axis.
#pragma once

#include <cstddef>
#include <vector>

// For a leg of reach R (upper + lower) and a step S: samples from -R by a
// float recurrence, each next one the current one widened to double plus
// the double S, rounded back to float, taken while below the float of
// R * 26 / 25 (formed in double). The slice grid's step is the double
// R / 500: the default leg's 1021 samples run from -25 by 0.05, and
// accumulated rounding leaves the last one, 25.999796, just under 26,
// hence 1021 rather than 1020.
constexpr int kGridSamples = 1021;
std::vector<float> GridSamples(int reach);
// The default leg's samples, made once.
const std::vector<float>& GridSamples();

// The most samples a grid of any step may have on a side.
constexpr size_t kMaxGridSamples = 4096;

// The samples for the step S (finite and positive), or false when the grid
// would need more than kMaxGridSamples of them; a step too small to move
// the float recurrence at all is refused the same way.
bool GridSamples(int reach, double step, std::vector<float>& samples);
