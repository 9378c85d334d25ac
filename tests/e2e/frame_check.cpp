// Checks a screenshot of the window (binary PPM, the client area at its top
// left) against the frame computed here from the kinematics: the cloud of
// the given depth, the two axes, and the foot at the given pixel; of the
// default leg, or of the leg that the given leg file describes.
//   frame_check SHOT.ppm DEPTH FOOT-X FOOT-Y [LEG-FILE]
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ppm.h"

#include "render/leg.h"
#include "kinematics/truncate.h"
#include "legfile/leg_file.h"

namespace {

int failures = 0;

void Expect(bool condition, const std::string& what) {
    if (!condition) {
        std::fprintf(stderr, "frame_check: %s\n", what.c_str());
        ++failures;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 6) {
        std::fprintf(stderr, "usage: frame_check SHOT.ppm DEPTH FOOT-X FOOT-Y [LEG-FILE]\n");
        return 2;
    }
    Leg leg;
    if (argc == 6) {
        std::string error;
        if (!ReadLegFile(argv[5], leg.description, error)) {
            std::fprintf(stderr, "frame_check: %s\n", error.c_str());
            return 2;
        }
    }
    const float pixelsPerUnit = 375.0f / static_cast<float>(leg.description.Reach());
    Image shot;
    if (!ReadPpm(argv[1], shot)) {
        std::fprintf(stderr, "frame_check: cannot read %s\n", argv[1]);
        return 2;
    }
    float depth = std::strtof(argv[2], nullptr);
    int footX = std::atoi(argv[3]);
    int footY = std::atoi(argv[4]);
    const unsigned red = 0xFF0000, blue = 0x0000FF, cloud = 0x002014, grey = 0x969696;

    leg.SetTarget(D3DXVECTOR3(0, 0, depth));
    leg.ComputeWorkspace();
    std::set<std::pair<int, int>> expected;
    for (const D3DXVECTOR3& p : leg.workspace) {
        int x = TruncateToInt(p.x * pixelsPerUnit + 250.0f);
        int y = TruncateToInt(p.y * pixelsPerUnit + 400.0f);
        if (x < shot.width && y < shot.height) expected.insert({x, y});
    }
    int strays = 0, missing = 0;
    for (int y = 0; y < shot.height && y < 850; ++y) {
        for (int x = 0; x < shot.width && x < 700; ++x) {
            unsigned c = shot.Pixel(x, y);
            bool inCloud = expected.count({x, y}) > 0;
            if (c == cloud && !inCloud) ++strays;
            if (inCloud && c != cloud && c != red && c != blue && c != grey) ++missing;
        }
    }
    Expect(strays == 0, std::to_string(strays) + " cloud pixels that the slice does not have");
    Expect(missing == 0, std::to_string(missing) + " pixels of the slice's cloud not shown");
    Expect(shot.Pixel(250, 5) == red, "no red vertical axis at x = 250");
    Expect(shot.Pixel(5, 400) == blue, "no blue horizontal axis at y = 400");
    Expect(shot.Pixel(footX, footY) == grey, "no grey foot at the expected pixel");
    if (failures == 0) std::printf("frame_check: frame matches depth %s, %zu cloud pixels\n", argv[2], expected.size());
    return failures == 0 ? 0 : 1;
}
