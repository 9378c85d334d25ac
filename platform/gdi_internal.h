// The drawing floor's own header: pixel surfaces, the GDI handle table's
// view of drawing contexts, and the one door to windows, a source of window
// surfaces that the window floor registers. It draws into surfaces it is
// handed and knows nothing of windows, queues or backends. Only platform/
// includes it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/raster.h"
#include "platform/win32.h"

namespace tavrin {

// ---------------------------------------------------------------------------
// Pixels
// ---------------------------------------------------------------------------

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
    void MarkChanged() { changed_ = true; }
    uint64_t Generation() {
        if (changed_) {
            ++generation_;
            changed_ = false;
        }
        return generation_;
    }

    // Resizes, keeping the overlapping top-left part; new pixels are black.
    void Resize(int newWidth, int newHeight);

private:
    bool changed_ = false;
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

// ---------------------------------------------------------------------------
// Drawing contexts (gdi_objects.cpp)
// ---------------------------------------------------------------------------

// The target a drawing context resolves to at one moment: its surface (null
// when the DC is not valid or draws nowhere) and the rectangle it may write,
// already cut to the surface.
struct DcTarget {
    Surface* surface = nullptr;
    raster::ClipRect clip = {0, 0, 0, 0};
    // A window's client area, which is shown after a change.
    bool window = false;
};

enum class LineKind { Null, Cosmetic, Wide };

// A drawing context's state as the drawing entry points need it.
struct DcState {
    POINT position = {0, 0};
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    // Chosen when a pen is selected, not per pixel.
    LineKind line = LineKind::Cosmetic;
    int penWidth = 1;
    COLORREF penColor = 0;
    bool brushHollow = false;
    COLORREF brushColor = 0xFFFFFF;
};

// Null for anything that is not a live DC.
DcState* LookUpDc(HDC dc);
DcTarget ResolveDcUncached(HDC dc);

// The last memory DC resolved, kept until anything in the GDI table changes
// (an object made, freed or selected), which empties it. A point-by-point
// drawing loop then pays one comparison per call to find its pixels, and one
// more to find its colour already converted. Window DCs and clipped DCs are
// never kept: a kept DC's rectangle is its whole surface.
struct DcCache {
    HDC dc = nullptr;
    DcTarget target;
    // The colour SetPixel wrote last through this DC, the pixel it became
    // and the colour GDI reports back for it.
    COLORREF color = 0;
    uint32_t pixel = 0;
    COLORREF reported = 0;
};
extern DcCache dcCache;

// Something in the GDI table changed: no DC resolved before may be trusted.
inline void ForgetResolvedDc() { dcCache = DcCache{}; }

inline DcTarget ResolveDc(HDC dc) {
    if (dc && dc == dcCache.dc) return dcCache.target;
    return ResolveDcUncached(dc);
}

// Objects the process made and has not deleted, stock objects not counted.
int LiveGdiObjectCount();

// ---------------------------------------------------------------------------
// Window DCs
// ---------------------------------------------------------------------------

// Where window DCs find their pixels. The window floor registers it before
// its first window exists; until then a window DC draws nowhere.
struct WindowSurfaceSource {
    // The client surface of a live window, or null.
    Surface* (*surfaceOf)(HWND window);
    // A DC wrote to the window's client area, which may now be shown.
    void (*touched)(HWND window);
};
void SetWindowSurfaceSource(const WindowSurfaceSource& source);

// A DC that draws into a window's client area; clip (client coordinates) is
// the paint DC's update rectangle, or null for the whole client area.
HDC CreateWindowDc(HWND window, const RECT* clip);
void DeleteWindowDc(HDC dc);
// Called after a DC wrote to a window, so that it may be shown.
void WindowDcTouched(HDC dc);

}  // namespace tavrin
