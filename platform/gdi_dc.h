// The drawing floor's view of drawing contexts: what a DC resolves to, its
// drawing state, the resolved-DC cache, the object count, and the one door
// to windows, a source of window surfaces that the window floor registers
// (gdi_objects.cpp). It draws into surfaces it is handed and knows nothing
// of windows, queues or backends. Only platform/ includes it.
#pragma once

#include <atomic>

#include <cstdint>

#include "platform/gdi_surface.h"
#include "platform/raster.h"
#include "platform/win32.h"

namespace tavrin {

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

// The last memory DC each thread resolved, kept until anything in the GDI
// table changes (an object made, freed or selected), which moves the table's
// generation on. A point-by-point drawing loop then pays three comparisons per
// call to find its pixels, and one more to find its colour already
// converted. Window DCs and clipped DCs are never kept: a kept DC's rectangle
// is its whole surface. Each thread keeps its own, so that threads may set
// pixels of one bitmap side by side (disjoint ones: the pixels are plain
// stores) while the table stands still.
struct DcCache {
    HDC dc = nullptr;
    DcTarget target;
    uint64_t generation = 0;
    // The colour SetPixel wrote last through this DC, the pixel it became
    // and the colour GDI reports back for it.
    COLORREF color = 0;
    uint32_t pixel = 0;
    COLORREF reported = 0;
};
extern thread_local DcCache dcCache;
extern std::atomic<uint64_t> gdiTableGeneration;

// Something in the GDI table changed: no DC resolved before, on any
// thread, may be trusted.
inline void ForgetResolvedDc() {
    gdiTableGeneration.fetch_add(1, std::memory_order_relaxed);
    dcCache = DcCache{};
}

inline bool DcIsKept(HDC dc) {
    return dc && dc == dcCache.dc && dcCache.generation == gdiTableGeneration.load(std::memory_order_relaxed);
}

inline DcTarget ResolveDc(HDC dc) {
    if (DcIsKept(dc)) return dcCache.target;
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
    // A DC wrote to the window's client area: it is to be shown.
    void (*drawn)(HWND window);
    // A DC of the window was given back: what it drew may be shown now.
    void (*released)(HWND window);
};
void SetWindowSurfaceSource(const WindowSurfaceSource& source);

// A DC that draws into a window's client area; clip (client coordinates) is
// the paint DC's update rectangle, or null for the whole client area.
HDC CreateWindowDc(HWND window, const RECT* clip);
void DeleteWindowDc(HDC dc);
// Called after a DC wrote to a window: marks it to be shown, nothing more.
void WindowDcTouched(HDC dc);

}  // namespace tavrin
