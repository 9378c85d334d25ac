#include "kinematics/grid.h"

#include "kinematics/ik_solver.h"

std::vector<float> GridSamples(int reach) {
    const double step = static_cast<double>(reach) / 500.0;
    const float end = static_cast<float>(static_cast<double>(reach) * 26.0 / 25.0);
    std::vector<float> samples;
    samples.reserve(kGridSamples + 2);
    for (float v = static_cast<float>(-reach); v < end; v = static_cast<float>(static_cast<double>(v) + step)) {
        samples.push_back(v);
    }
    return samples;
}

const std::vector<float>& GridSamples() {
    static const std::vector<float> samples = GridSamples(kUpperLength + kLowerLength);
    return samples;
}
