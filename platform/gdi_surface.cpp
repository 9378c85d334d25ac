#include "platform/gdi_surface.h"

namespace tavrin {

void Surface::Resize(int newWidth, int newHeight) {
    std::vector<uint32_t> grown(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight), 0);
    int keepW = newWidth < width ? newWidth : width;
    int keepH = newHeight < height ? newHeight : height;
    for (int y = 0; y < keepH; ++y) {
        for (int x = 0; x < keepW; ++x) {
            grown[static_cast<size_t>(y) * newWidth + x] = pixels[static_cast<size_t>(y) * width + x];
        }
    }
    pixels.swap(grown);
    width = newWidth;
    height = newHeight;
    MarkChanged();
}

uint32_t NearestMonoPixel(COLORREF c) {
    // The nearer of the two palette entries by squared distance; black, the
    // first entry, wins a tie. 0x808080 turns white and 0x7F7F7F black.
    int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    int toBlack = r * r + g * g + b * b;
    int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite < toBlack ? 0xFFFFFFu : 0u;
}

}  // namespace tavrin
