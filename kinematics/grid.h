// The sample values of the reachable-workspace grid, the same on both axes.
#pragma once

#include <vector>

// For a leg of reach R (upper + lower): samples from -R by a float
// recurrence, each next one the current one widened to double plus the
// double R / 500, rounded back to float, taken while below the float of
// R * 26 / 25 (formed in double). The default leg's 1021 samples run from
// -25 by 0.05; accumulated rounding leaves the last one, 25.999796, just
// under 26, hence 1021 rather than 1020.
constexpr int kGridSamples = 1021;
std::vector<float> GridSamples(int reach);
// The default leg's samples, made once.
const std::vector<float>& GridSamples();
