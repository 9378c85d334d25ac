// Pixel surfaces and their formats: what bitmaps and windows' client areas
// hold, and how a COLORREF becomes a pixel (gdi_surface.cpp). Only
// platform/ includes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/win32.h"

namespace tavrin {

// A bitmap's or a window's pixels, row by row, one uint32 0x00RRGGBB each,
// which is how a 32-bit DIB lays out B, G, R, 0 in memory. A 1-bpp surface
// keeps the same layout but only ever holds black or white.
struct Surface {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    std::vector<uint32_t> pixels;

    // Every write marks the surface changed; a presenter compares
    // Generation() with the one it showed last. A plain store per write,
    // rather than a count, keeps a pixel-by-pixel loop free of a chain of
    // dependent read-modify-writes through memory.
    // Threads drawing disjoint pixels side by side may all mark it: the
    // flag is atomic, and it is read before it is written, so that the
    // threads do not pass its cache line to and fro on every pixel.
    void MarkChanged() {
        if (!changed_.load(std::memory_order_relaxed)) changed_.store(true, std::memory_order_relaxed);
    }
    // Whether a write since the last Generation() will make a new one.
    bool MarkedChanged() const { return changed_.load(std::memory_order_relaxed); }
    uint64_t Generation() {
        if (changed_.exchange(false, std::memory_order_relaxed)) ++generation_;
        return generation_;
    }

    // Resizes, keeping the overlapping top-left part; new pixels are black.
    void Resize(int newWidth, int newHeight);

private:
    std::atomic<bool> changed_{false};
    uint64_t generation_ = 0;
};

// The most pixels a bitmap or a window's client area may have: far beyond
// any screen, and Windows refuses such sizes long before. Larger requests
// are refused rather than allocating gigabytes.
inline bool SurfaceSizeAllowed(int64_t width, int64_t height) { return width * height <= (int64_t{1} << 26); }

// COLORREF is 0x00BBGGRR; a pixel is 0x00RRGGBB: the same bytes swapped.
inline uint32_t ColorToPixel(COLORREF c) {
    return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF PixelToColor(uint32_t p) {
    return ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
}
// The pixel a colour becomes on a surface of the given depth: itself at
// 32 bpp, the nearer of black and white at 1 bpp.
uint32_t NearestMonoPixel(COLORREF c);
inline uint32_t PixelForSurface(const Surface& s, COLORREF c) {
    return s.bitsPerPixel == 1 ? NearestMonoPixel(c) : ColorToPixel(c & 0xFFFFFFu);
}

}  // namespace tavrin
