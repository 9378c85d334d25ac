// Pixel geometry of the software GDI: which pixels a primitive covers,
// clipped to a rectangle, handed out as horizontal runs. Nothing here knows
// about pixel formats, handles or drawing contexts; the GDI entry points call
// these and write the runs with the pen's or brush's colour.
#pragma once

#include <cstdint>

namespace raster {

// Half-open rectangle: x in [left, right), y in [top, bottom).
struct ClipRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The overlap of two rectangles, or {0, 0, 0, 0} when they do not meet.
ClipRect Intersect(const ClipRect& a, const ClipRect& b);
// A rectangle given in 64-bit coordinates (a position plus a size may leave
// the int range), cut to the int range; an empty one stays empty.
ClipRect Clamped(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
inline bool IsEmpty(const ClipRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// Sets pixels [x0, x1) of one row to value.
void FillSpan(std::uint32_t* row, int x0, int x1, std::uint32_t value);

// Receives one run of covered pixels on row y, x in [x0, x1), already clipped
// and never empty. Runs of one primitive never overlap.
struct SpanSink {
    void* context;
    void (*span)(void* context, int y, int x0, int x1);
};

// A cosmetic (one-pixel) line as GDI draws it with a pen of width 0 or 1:
// the first point is drawn, the last is not.
void CosmeticLine(int x0, int y0, int x1, int y1, const ClipRect& clip, SpanSink sink);

// A geometric solid line of the given width (2 or more) with round ends, as
// GDI draws one LineTo with such a pen; a polyline is the union of its
// segments. A width below 2 draws a cosmetic line. Endpoints must lie within
// GDI's device space, |x|, |y| <= 2^27; a line reaching further is not drawn.
void WideLine(int x0, int y0, int x1, int y1, int width, const ClipRect& clip, SpanSink sink);

// Rectangle(left, top, right, bottom) with a solid pen of the given width
// (0 or 1 means a cosmetic pen): the outline pixels go to `outline`, the
// interior to `fill`; the two never share a pixel. An empty outline or
// interior simply yields no runs. A null pen is BrushOnlyRectangle.
void RectangleShape(int left, int top, int right, int bottom, int penWidth,
                    const ClipRect& clip, SpanSink outline, SpanSink fill);

// Rectangle(left, top, right, bottom) with a null pen: only the brush, one
// pixel short on the right and at the bottom, [l, r - 1) x [t, b - 1) of the
// ordered corners.
void BrushOnlyRectangle(int left, int top, int right, int bottom, const ClipRect& clip, SpanSink fill);

}  // namespace raster
