#include "kinematics/grid.h"

namespace {

std::array<float, kGridSamples> MakeSamples() {
    std::array<float, kGridSamples> samples{};
    int count = 0;
    for (float v = -25.0f; v < 26.0f; v = static_cast<float>(static_cast<double>(v) + 0.05)) {
        if (count < kGridSamples) samples[count] = v;
        ++count;
    }
    return samples;
}

}  // namespace

const std::array<float, kGridSamples>& GridSamples() {
    static const std::array<float, kGridSamples> samples = MakeSamples();
    return samples;
}
