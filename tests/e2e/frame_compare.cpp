// Compares two screenshots of the window's client area (binary PPM) over
// the part both show, outside the readout's text boxes.
//   frame_compare A.ppm B.ppm
#include <algorithm>
#include <cstdio>
#include <vector>

#include "ppm.h"

namespace {

// The readout stands at x = outer width - 44 in rows 70 to 126; its text is
// drawn by each system's own font.
bool InReadout(int x, int y) {
    return x >= 600 && y >= 66 && y < 130;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: frame_compare A.ppm B.ppm\n");
        return 2;
    }
    Image a, b;
    if (!ReadPpm(argv[1], a) || !ReadPpm(argv[2], b)) {
        std::fprintf(stderr, "frame_compare: cannot read the screenshots\n");
        return 2;
    }
    int width = std::min(std::min(a.width, b.width), 700);
    int height = std::min(std::min(a.height, b.height), 850);
    long differing = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (InReadout(x, y)) continue;
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                if (differing++ == 0) firstX = x, firstY = y;
            }
        }
    }
    if (differing) {
        std::fprintf(stderr, "frame_compare: %ld of %dx%d pixels differ, the first at (%d, %d)\n", differing, width,
                     height, firstX, firstY);
        return 1;
    }
    std::printf("frame_compare: %dx%d pixels identical outside the readout\n", width, height);
    return 0;
}
