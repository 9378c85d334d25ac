// Pixel geometry of lines and rectangles, matched pixel for pixel against
// what GDI draws into a memory bitmap. The rules below were measured with the
// probe in tests/gdiprobe; every case in tests/raster comes from such a run.
//
// Conventions: pixel (x, y) is the unit square whose centre is the integer
// point (x, y). Each primitive works out, row by row, the interval of covered
// pixels in exact integer arithmetic, then intersects it with the clip
// rectangle. Clipping therefore never moves a pixel: the covered pixels
// inside the clip are exactly those of the unclipped shape.
#include "platform/raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace raster {
namespace {

using i64 = std::int64_t;
using u64 = std::uint64_t;

// Half-open run [lo, hi) on one row.
struct Run {
    i64 lo;
    i64 hi;
};

// The first value in [first, last) where pred holds, for a predicate that is
// false up to some value and true from there on; last if it never holds.
template <typename Int, typename Pred>
Int FirstWhere(Int first, Int last, Pred pred) {
    while (first < last) {
        Int mid = first + (last - first) / 2;
        if (pred(mid)) {
            last = mid;
        } else {
            first = mid + 1;
        }
    }
    return first;
}

i64 CeilDiv(i64 a, i64 b) {  // b > 0
    i64 q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// a * b <= c * d for unsigned 64-bit factors, without overflow: the products
// are formed as 128-bit numbers from 32-bit halves.
struct U128 {
    u64 hi;
    u64 lo;
};

U128 Mul(u64 a, u64 b) {
    const u64 mask = 0xffffffffu;
    u64 a0 = a & mask, a1 = a >> 32, b0 = b & mask, b1 = b >> 32;
    u64 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    u64 middle = (p00 >> 32) + (p01 & mask) + (p10 & mask);
    U128 r;
    r.lo = (middle << 32) | (p00 & mask);
    r.hi = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
    return r;
}

bool ProductLessEqual(u64 a, u64 b, u64 c, u64 d) {
    U128 l = Mul(a, b), r = Mul(c, d);
    return l.hi < r.hi || (l.hi == r.hi && l.lo <= r.lo);
}

// Clips `run` on row y to the clip rectangle and hands it to the sink.
void Emit(const ClipRect& clip, SpanSink sink, i64 y, Run run) {
    if (y < clip.top || y >= clip.bottom) return;
    i64 lo = std::max<i64>(run.lo, clip.left);
    i64 hi = std::min<i64>(run.hi, clip.right);
    if (lo < hi) sink.span(sink.context, static_cast<int>(y), static_cast<int>(lo), static_cast<int>(hi));
}

// Sorts runs in place and merges overlapping or touching ones; returns the
// new count.
int MergeRuns(Run* runs, int count) {
    std::sort(runs, runs + count, [](const Run& a, const Run& b) { return a.lo < b.lo; });
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (runs[i].lo >= runs[i].hi) continue;
        if (n > 0 && runs[i].lo <= runs[n - 1].hi) {
            runs[n - 1].hi = std::max(runs[n - 1].hi, runs[i].hi);
        } else {
            runs[n++] = runs[i];
        }
    }
    return n;
}

// ---------------------------------------------------------------------------
// Cosmetic lines.
//
// The line steps one pixel along its major axis (the longer of |dx|, |dy|;
// x on an exact diagonal) for i = 0 .. n-1, n = max(|dx|, |dy|); the last
// point is not drawn. At step i the minor coordinate is the one nearest to
// the true line, minor0 + i * dminor / n. When the true value lies exactly
// half-way between two pixels, GDI takes the one with the smaller coordinate
// (above for x-major lines, to the left for y-major ones) whichever way the
// line runs; this is the per-octant bias of its Bresenham error term.
//
// Written as a closed form the offset is, with P = i * |dminor| = q * n + r
// (0 <= r < n):
//   dminor > 0: offset = q + (2r > n)   (a tie, 2r == n, rounds down)
//   dminor < 0: offset = -(q + (2r >= n)) (a tie rounds towards -infinity)
// P < 2^64 because i < n <= 2^32 and |dminor| <= n, so unsigned 64-bit
// arithmetic is exact for any int endpoints. The closed form gives any step
// directly, so clipping just picks the first and last step inside the clip
// rectangle and the stepping cannot drift.
// ---------------------------------------------------------------------------

struct CosmeticStepper {
    i64 major0;
    i64 majorStep;  // +1 or -1
    i64 minor0;
    i64 dminor;     // signed
    u64 n;

    i64 MinorOffset(u64 i) const {
        u64 p = i * static_cast<u64>(dminor < 0 ? -dminor : dminor);
        u64 q = p / n, r = p % n;
        if (dminor >= 0) return static_cast<i64>(q + (2 * r > n ? 1 : 0));
        return -static_cast<i64>(q + (2 * r >= n ? 1 : 0));
    }
    i64 Minor(u64 i) const { return minor0 + MinorOffset(i); }
    i64 Major(u64 i) const { return major0 + majorStep * static_cast<i64>(i); }
};

// Steps i in [first, last) whose major coordinate lies in [lo, hi).
bool MajorRange(const CosmeticStepper& s, i64 lo, i64 hi, u64* first, u64* last) {
    i64 n = static_cast<i64>(s.n);
    i64 a, b;  // step range, half-open
    if (s.majorStep > 0) {
        a = lo - s.major0;
        b = hi - s.major0;
    } else {
        a = s.major0 - hi + 1;
        b = s.major0 - lo + 1;
    }
    a = std::max<i64>(a, 0);
    b = std::min<i64>(b, n);
    if (a >= b) return false;
    *first = static_cast<u64>(a);
    *last = static_cast<u64>(b);
    return true;
}

// Narrows [first, last) to the steps whose minor coordinate lies in [lo, hi).
// The minor coordinate is monotonic in i, so both ends are found by
// bisection.
bool MinorRange(const CosmeticStepper& s, i64 lo, i64 hi, u64* first, u64* last) {
    bool rising = s.dminor >= 0;
    // First step whose minor coordinate has entered the range.
    auto entered = [&](u64 i) { return rising ? s.Minor(i) >= lo : s.Minor(i) < hi; };
    // First step whose minor coordinate has left the range again.
    auto left = [&](u64 i) { return rising ? s.Minor(i) >= hi : s.Minor(i) < lo; };
    u64 a = FirstWhere(*first, *last, entered);
    u64 b = FirstWhere(a, *last, left);
    if (a >= b) return false;
    *first = a;
    *last = b;
    return true;
}

// ---------------------------------------------------------------------------
// Wide lines.
//
// A LineTo with a solid pen of width w >= 2 covers the union of three convex
// shapes: a round dot at each end and the body between them. Each shape
// yields at most one run per row, so a row is the merge of at most three.
//
// The dot at (x, y) lies in the w x w box whose left column is x - w/2 and
// top row y - w/2 (integer division: for even w the dot is centred on the
// corner up and left of pixel (x, y), for odd w on the pixel itself). In
// doubled coordinates relative to the box centre a pixel is at (u, v) with
// u = 2*column - (w-1), v = 2*row - (w-1). It is covered when the circle of
// diameter w-1 strictly contains the midpoint of its edge facing the centre
// row or the centre column:
//   (|v|-1)^2 + u^2 < (w-1)^2   or   (|u|-1)^2 + v^2 < (w-1)^2
// with |u|-1 and |v|-1 taken as 0 on the centre row/column of an odd dot.
// That is what GDI's ellipse scan produces for every w measured (2..64),
// except w = 2, where it fills the whole 2 x 2 box while the test would
// leave it empty.
//
// The body of a diagonal line is the quadrilateral P0+p, P1+p, P1+m, P0+m,
// where p and m are the pen's half-width vectors on the side of +x and of
// -x, rounded to whole pixels. With h = w/2 and L = |P1 - P0| the exact
// offsets have magnitudes h*|dy|/L across x and h*|dx|/L across y. GDI
// rounds them differently on the two sides:
//   -x side: each component rounded to nearest, halves away from zero;
//   +x side: each component as floor(|c|) + 1, i.e. rounded after moving it
//            half a pixel further out, so an exact 2.0 becomes 3.
// The quadrilateral is then filled like a polygon: a pixel is covered when
// its centre lies inside, or on a left or top edge. Horizontal and vertical
// lines are plain rectangles instead: w pixels across, starting w/2 before
// the line, as the dots are.
//
// The offsets are found without rounding errors: k <= h*a/L (a = |dx| or
// |dy|) is equivalent to 4 k^2 (dx^2 + dy^2) <= w^2 a^2, and
// k - 1/2 <= h*a/L to (2k-1)^2 (dx^2 + dy^2) <= w^2 a^2.
//
// Coordinates are taken as GDI's device space allows, |x|, |y| <= 2^27; a
// line with an endpoint further out is not drawn. Within that range every
// product below fits its type: the polygon edge tests multiply numbers below
// 2^29 by numbers below 2^32.
// ---------------------------------------------------------------------------

const i64 kCoordLimit = i64{1} << 27;
const int kMaxPenWidth = 1 << 16;

struct Dot {
    i64 left;
    i64 top;
    i64 w;

    // The covered run on row y (empty if the row misses the dot).
    Run RowRun(i64 y) const {
        if (y < top || y >= top + w) return Run{0, 0};
        if (w == 2) return Run{left, left + 2};
        i64 v = std::llabs(2 * (y - top) - (w - 1));
        i64 r2 = (w - 1) * (w - 1);
        auto covered = [&](i64 column) {
            i64 u = std::llabs(2 * column - (w - 1));
            i64 a = std::max<i64>(v - 1, 0), b = std::max<i64>(u - 1, 0);
            return a * a + u * u < r2 || b * b + v * v < r2;
        };
        // The first covered column, between 0 and the centre; coverage only
        // grows towards the centre.
        i64 lo = FirstWhere<i64>(0, (w - 1) / 2, covered);
        return Run{left + lo, left + w - lo};
    }
};

Dot MakeDot(i64 x, i64 y, i64 w) { return Dot{x - w / 2, y - w / 2, w}; }

// Largest k >= 0 with k <= w*a / (2L), L^2 = len2 (when `half` is false), or
// with k - 1/2 <= w*a / (2L) (when it is true).
i64 HalfWidthStep(i64 w, i64 a, u64 len2, bool half) {
    auto fits = [&](i64 k) {
        if (k <= 0) return true;
        u64 m = half ? static_cast<u64>(2 * k - 1) : static_cast<u64>(2 * k);
        return ProductLessEqual(m * m, len2, static_cast<u64>(w * w), static_cast<u64>(a * a));
    };
    // fits() holds from k = 0 up to the answer, which is at most w/2 + 1:
    // the answer is one below the first k in [1, w/2 + 2] where it fails.
    return FirstWhere<i64>(1, w / 2 + 3, [&](i64 k) { return !fits(k); }) - 1;
}

// One edge of a convex polygon, a -> b, oriented so that the interior is
// where (b - a) x (p - a) > 0 (y pointing down).
struct Edge {
    i64 ax, ay, ex, ey;
};

struct Body {
    bool empty = true;
    bool rectangle = false;
    i64 left = 0, top = 0, right = 0, bottom = 0;  // rectangle, half-open
    Edge edges[4] = {};

    Run RowRun(i64 y) const {
        if (empty || y < top || y >= bottom) return Run{0, 0};
        if (rectangle) return Run{left, right};
        i64 lo = left, hi = right;
        for (const Edge& e : edges) {
            // Interior test at (x, y): c(x) = ex*(y-ay) - ey*(x-ax) > 0, or
            // == 0 on a left edge (interior towards +x, ey < 0) or a top edge
            // (ey == 0, interior below, ex > 0).
            i64 k = e.ex * (y - e.ay) + e.ey * e.ax;  // c(x) = k - ey*x
            if (e.ey == 0) {
                i64 c = e.ex * (y - e.ay);
                if (c < 0 || (c == 0 && e.ex <= 0)) return Run{0, 0};
            } else if (e.ey < 0) {
                lo = std::max(lo, CeilDiv(-k, -e.ey));  // c(x) >= 0
            } else {
                hi = std::min(hi, CeilDiv(k, e.ey));  // c(x) > 0
            }
        }
        return lo < hi ? Run{lo, hi} : Run{0, 0};
    }
};

Body MakeBody(i64 x0, i64 y0, i64 x1, i64 y1, i64 w) {
    Body body;
    i64 dx = x1 - x0, dy = y1 - y0;
    if (dx == 0 && dy == 0) return body;
    body.empty = false;
    if (dx == 0 || dy == 0) {
        body.rectangle = true;
        if (dx == 0) {
            body.left = x0 - w / 2;
            body.right = body.left + w;
            body.top = std::min(y0, y1);
            body.bottom = std::max(y0, y1) + 1;
        } else {
            body.top = y0 - w / 2;
            body.bottom = body.top + w;
            body.left = std::min(x0, x1);
            body.right = std::max(x0, x1) + 1;
        }
        return body;
    }
    u64 len2 = static_cast<u64>(dx * dx) + static_cast<u64>(dy * dy);
    i64 ax = std::llabs(dy), ay = std::llabs(dx);  // offset magnitudes ~ these
    // The +x side offset is (+, s) and the -x side (-, -s) with s the sign
    // of -dx*dy: perpendicular to (dx, dy) and pointing towards +x.
    i64 s = ((dx > 0) == (dy > 0)) ? -1 : 1;
    i64 px = HalfWidthStep(w, ax, len2, false) + 1;
    i64 py = s * (HalfWidthStep(w, ay, len2, false) + 1);
    i64 mx = -HalfWidthStep(w, ax, len2, true);
    i64 my = -s * HalfWidthStep(w, ay, len2, true);
    i64 vx[4] = {x0 + px, x1 + px, x1 + mx, x0 + mx};
    i64 vy[4] = {y0 + py, y1 + py, y1 + my, y0 + my};
    // Twice the signed area decides the orientation; the interior must be on
    // the positive side of every edge.
    i64 area = 0;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        area += vx[i] * vy[j] - vx[j] * vy[i];
    }
    if (area == 0) {
        body.empty = true;
        return body;
    }
    for (int i = 0; i < 4; ++i) {
        int a = area > 0 ? i : 3 - i;
        int b = area > 0 ? (i + 1) % 4 : (6 - i) % 4;
        body.edges[i] = Edge{vx[a], vy[a], vx[b] - vx[a], vy[b] - vy[a]};
    }
    body.left = *std::min_element(vx, vx + 4);
    body.right = *std::max_element(vx, vx + 4) + 1;
    body.top = *std::min_element(vy, vy + 4);
    body.bottom = *std::max_element(vy, vy + 4) + 1;
    return body;
}

struct WideShape {
    Dot dots[2];
    Body body;

    // Rows [Top(), Bottom()) hold every covered pixel.
    i64 Top() const { return std::min({dots[0].top, dots[1].top, body.empty ? dots[0].top : body.top}); }
    i64 Bottom() const {
        i64 dotsBottom = std::max(dots[0].top + dots[0].w, dots[1].top + dots[1].w);
        return body.empty ? dotsBottom : std::max(dotsBottom, body.bottom);
    }
    int RowRuns(i64 y, Run* out) const {
        out[0] = dots[0].RowRun(y);
        out[1] = dots[1].RowRun(y);
        out[2] = body.RowRun(y);
        return 3;
    }
};

bool InCoordRange(i64 v) { return v >= -kCoordLimit && v <= kCoordLimit; }

WideShape MakeWideShape(i64 x0, i64 y0, i64 x1, i64 y1, i64 w) {
    WideShape shape;
    shape.dots[0] = MakeDot(x0, y0, w);
    shape.dots[1] = MakeDot(x1, y1, w);
    shape.body = MakeBody(x0, y0, x1, y1, w);
    return shape;
}

}  // namespace

void CosmeticLine(int x0, int y0, int x1, int y1, const ClipRect& clip, SpanSink sink) {
    i64 dx = i64{x1} - x0, dy = i64{y1} - y0;
    if (dx == 0 && dy == 0) return;
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    bool xMajor = std::llabs(dx) >= std::llabs(dy);
    CosmeticStepper s;
    s.n = static_cast<u64>(std::max(std::llabs(dx), std::llabs(dy)));
    if (xMajor) {
        s.major0 = x0;
        s.majorStep = dx > 0 ? 1 : -1;
        s.minor0 = y0;
        s.dminor = dy;
    } else {
        s.major0 = y0;
        s.majorStep = dy > 0 ? 1 : -1;
        s.minor0 = x0;
        s.dminor = dx;
    }
    u64 first = 0, last = 0;
    bool any = xMajor ? MajorRange(s, clip.left, clip.right, &first, &last)
                      : MajorRange(s, clip.top, clip.bottom, &first, &last);
    if (!any) return;
    any = xMajor ? MinorRange(s, clip.top, clip.bottom, &first, &last)
                 : MinorRange(s, clip.left, clip.right, &first, &last);
    if (!any) return;
    if (!xMajor) {
        for (u64 i = first; i < last; ++i) Emit(clip, sink, s.Major(i), Run{s.Minor(i), s.Minor(i) + 1});
        return;
    }
    // An x-major line covers consecutive pixels of a row in one go.
    u64 runStart = first;
    i64 row = s.Minor(first);
    for (u64 i = first + 1; i <= last; ++i) {
        i64 next = i < last ? s.Minor(i) : row + 1;
        if (next == row) continue;
        i64 a = s.Major(runStart), b = s.Major(i - 1);
        Emit(clip, sink, row, Run{std::min(a, b), std::max(a, b) + 1});
        runStart = i;
        row = next;
    }
}

void WideLine(int x0, int y0, int x1, int y1, int width, const ClipRect& clip, SpanSink sink) {
    if (width < 2) {
        CosmeticLine(x0, y0, x1, y1, clip, sink);
        return;
    }
    if (!InCoordRange(x0) || !InCoordRange(y0) || !InCoordRange(x1) || !InCoordRange(y1)) return;
    WideShape shape = MakeWideShape(x0, y0, x1, y1, std::min(width, kMaxPenWidth));
    i64 top = std::max<i64>(shape.Top(), clip.top);
    i64 bottom = std::min<i64>(shape.Bottom(), clip.bottom);
    for (i64 y = top; y < bottom; ++y) {
        Run runs[3];
        int n = MergeRuns(runs, shape.RowRuns(y, runs));
        for (int i = 0; i < n; ++i) Emit(clip, sink, y, runs[i]);
    }
}

// ---------------------------------------------------------------------------
// Rectangles.
//
// Rectangle(l, t, r, b) first orders its corners, so swapped corners draw
// the same rectangle. The pixels covered are [l, r-1] x [t, b-1]; an empty
// width or height draws nothing at all.
//
// A cosmetic pen draws the one-pixel border of that area (except for a
// 1 x 1 rectangle, see below) and the brush fills the rest. A wide pen strokes the closed path through the corner pixels
// (l, t), (r-1, t), (r-1, b-1), (l, b-1) exactly like four wide LineTo calls
// with round ends (which makes the corners round); the brush fills whatever
// of [l+1, r-2] x [t+1, b-2] the stroke leaves uncovered.
// ---------------------------------------------------------------------------

void RectangleShape(int left, int top, int right, int bottom, int penWidth,
                    const ClipRect& clip, SpanSink outline, SpanSink fill) {
    i64 l = std::min(left, right), r = std::max(left, right);
    i64 t = std::min(top, bottom), b = std::max(top, bottom);
    if (l == r || t == b) return;
    i64 rowFrom = clip.top, rowTo = clip.bottom;
    if (penWidth < 2) {
        // The border is stroked as a closed figure of four cosmetic lines
        // through the corner pixels; for a 1 x 1 rectangle they all have zero
        // length and nothing is drawn.
        if (r - l == 1 && b - t == 1) return;
        for (i64 y = std::max(t, rowFrom); y < std::min(b, rowTo); ++y) {
            if (y == t || y == b - 1) {
                Emit(clip, outline, y, Run{l, r});
                continue;
            }
            Emit(clip, outline, y, Run{l, l + 1});
            if (r - l > 1) Emit(clip, outline, y, Run{r - 1, r});
            if (r - l > 2) Emit(clip, fill, y, Run{l + 1, r - 1});
        }
        return;
    }
    if (!InCoordRange(l) || !InCoordRange(r) || !InCoordRange(t) || !InCoordRange(b)) return;
    i64 w = std::min(penWidth, kMaxPenWidth);
    i64 xs[4] = {l, r - 1, r - 1, l};
    i64 ys[4] = {t, t, b - 1, b - 1};
    WideShape sides[4];
    i64 shapeTop = t, shapeBottom = b;
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        sides[i] = MakeWideShape(xs[i], ys[i], xs[j], ys[j], w);
        shapeTop = std::min(shapeTop, sides[i].Top());
        shapeBottom = std::max(shapeBottom, sides[i].Bottom());
    }
    for (i64 y = std::max(shapeTop, rowFrom); y < std::min(shapeBottom, rowTo); ++y) {
        Run runs[12];
        int count = 0;
        for (const WideShape& side : sides) count += side.RowRuns(y, runs + count);
        count = MergeRuns(runs, count);
        for (int i = 0; i < count; ++i) Emit(clip, outline, y, runs[i]);
        if (y <= t || y >= b - 1) continue;
        // The interior minus the stroke: the gaps between merged runs.
        i64 x = l + 1, end = r - 1;
        for (int i = 0; i < count && x < end; ++i) {
            if (runs[i].hi <= x) continue;
            if (runs[i].lo > x) Emit(clip, fill, y, Run{x, std::min(runs[i].lo, end)});
            x = std::max(x, runs[i].hi);
        }
        if (x < end) Emit(clip, fill, y, Run{x, end});
    }
}

void BrushOnlyRectangle(int left, int top, int right, int bottom, const ClipRect& clip, SpanSink fill) {
    i64 l = std::min(left, right), r = std::max(left, right);
    i64 t = std::min(top, bottom), b = std::max(top, bottom);
    for (i64 y = std::max(t, i64{clip.top}); y < std::min(b - 1, i64{clip.bottom}); ++y) {
        Emit(clip, fill, y, Run{l, r - 1});
    }
}

ClipRect Intersect(const ClipRect& a, const ClipRect& b) {
    ClipRect r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                  std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? ClipRect{0, 0, 0, 0} : r;
}

ClipRect Clamped(i64 left, i64 top, i64 right, i64 bottom) {
    auto clamp = [](i64 v) { return static_cast<int>(std::clamp<i64>(v, INT32_MIN, INT32_MAX)); };
    return ClipRect{clamp(left), clamp(top), clamp(right), clamp(bottom)};
}

void FillSpan(std::uint32_t* row, int x0, int x1, std::uint32_t value) { std::fill(row + x0, row + x1, value); }

}  // namespace raster
