// Screenshots as binary PPM (P6, 8 bits a channel), as ImageMagick writes
// them: the checks read them and compare pixels as 0xRRGGBB.
#pragma once

#include <cstdio>
#include <vector>

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // 0xRRGGBB, or 0xFFFFFFFF outside the image.
    unsigned Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
        size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return (rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2];
    }
};

inline bool ReadPpm(const char* path, Image& image) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    int maxValue = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &image.width, &image.height, &maxValue) == 3 && maxValue == 255 &&
              image.width > 0 && image.height > 0 && image.width < 10000 && image.height < 10000;
    if (ok) {
        std::fgetc(f);
        image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
        ok = std::fread(image.rgb.data(), 1, image.rgb.size(), f) == image.rgb.size();
    }
    std::fclose(f);
    return ok;
}
