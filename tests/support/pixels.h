// What the pixel tests share: a memory DC with a bitmap of a known fill, and
// a hash of a DC's pixels for whole scenes.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// A 32-bit bitmap of width x height selected into a memory DC, filled with
// paper first so that every pixel a test sees was either drawn or is paper.
class MemoryCanvas {
public:
    MemoryCanvas(int w, int h, COLORREF paper) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        initial = SelectObject(dc, bitmap);
        ReleaseDC(nullptr, screen);
        Fill(paper);
    }
    ~MemoryCanvas() {
        SelectObject(dc, initial);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Fill(COLORREF paper) {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) SetPixel(dc, x, y, paper);
        }
    }
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ initial;
};

// FNV-1a over the width x height pixels of dc, row by row, one COLORREF
// (as GetPixel reports it) per step.
inline uint64_t PixelHash(HDC dc, int width, int height) {
    uint64_t hash = 1469598103934665603ull;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            hash ^= GetPixel(dc, x, y);
            hash *= 1099511628211ull;
        }
    }
    return hash;
}
