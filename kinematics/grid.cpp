#include "kinematics/grid.h"

#include "kinematics/ik_solver.h"

bool GridSamples(int reach, double step, std::vector<float>& samples) {
    const float end = static_cast<float>(static_cast<double>(reach) * 26.0 / 25.0);
    samples.clear();
    for (float v = static_cast<float>(-reach); v < end; v = static_cast<float>(static_cast<double>(v) + step)) {
        if (samples.size() == kMaxGridSamples) return false;
        samples.push_back(v);
    }
    return true;
}

std::vector<float> GridSamples(int reach) {
    std::vector<float> samples;
    samples.reserve(kGridSamples + 2);
    GridSamples(reach, static_cast<double>(reach) / 500.0, samples);
    return samples;
}

const std::vector<float>& GridSamples() {
    static const std::vector<float> samples = GridSamples(kUpperLength + kLowerLength);
    return samples;
}
