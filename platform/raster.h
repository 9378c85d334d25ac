// Pixel geometry of the software GDI: which pixels a primitive covers,
// clipped to a rectangle, handed out as horizontal runs. Nothing here knows
// about pixel formats, handles or drawing contexts; the GDI entry points call
// these and write the runs with the pen's or brush's colour.
#pragma once

namespace raster {

// Half-open rectangle: x in [left, right), y in [top, bottom).
struct ClipRect {
    int left;
    int top;
    int right;
    int bottom;
};

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
// interior simply yields no runs. A null pen (brush only, one pixel smaller)
// is not covered here.
void RectangleShape(int left, int top, int right, int bottom, int penWidth,
                    const ClipRect& clip, SpanSink outline, SpanSink fill);

}  // namespace raster
