// GDI drawing entry points: resolve the DC to a surface and a clip
// rectangle, let raster:: decide which pixels a primitive covers, then write
// the runs in the pen's or brush's colour. Coordinates outside the surface are
// clipped without error.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gdi_dc.h"
#include "platform/raster.h"

using namespace tavrin;

// Defined beside SetPixel, whose common case then reaches it directly, with
// no call to a thread-local initialiser.
thread_local DcCache tavrin::dcCache;

namespace {

// Runs arrive already clipped, and both pixel formats store one uint32 per
// pixel; the format shows only in which value is written (PixelForSurface),
// so one fill loop serves both.
struct RunFill {
    Surface* surface;
    uint32_t pixel;
};

void FillRun(void* context, int y, int x0, int x1) {
    RunFill& f = *static_cast<RunFill*>(context);
    raster::FillSpan(f.surface->pixels.data() + static_cast<size_t>(y) * f.surface->width, x0, x1, f.pixel);
    f.surface->MarkChanged();
}

void IgnoreRun(void*, int, int, int) {}

bool Inside(const raster::ClipRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// A 1-bpp source becomes colour through the destination's text colour (black
// bits) and background colour (white bits); a colour source becomes 1 bpp by
// comparing with the source's background colour, which turns white and
// everything else black. Between equal formats pixels copy unchanged.
struct BltConversion {
    enum Kind { Copy, MonoToColour, ColourToMono } kind = Copy;
    uint32_t black = 0, white = 0xFFFFFF;  // MonoToColour
    uint32_t key = 0xFFFFFF;               // ColourToMono

    uint32_t operator()(uint32_t p) const {
        switch (kind) {
        case MonoToColour: return p ? white : black;
        case ColourToMono: return p == key ? 0xFFFFFFu : 0u;
        default: return p;
        }
    }
};

}  // namespace

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    DcState* s = LookUpDc(hdc);
    if (!s) return FALSE;
    if (lppt) *lppt = s->position;
    s->position = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    DcState* s = LookUpDc(hdc);
    if (!s) return FALSE;
    DcTarget t = ResolveDc(hdc);
    POINT from = s->position;
    s->position = POINT{x, y};
    if (!t.surface || s->line == LineKind::Null) return TRUE;
    RunFill fill{t.surface, PixelForSurface(*t.surface, s->penColor)};
    raster::SpanSink sink{&fill, FillRun};
    if (s->line == LineKind::Wide) {
        raster::WideLine(from.x, from.y, x, y, s->penWidth, t.clip, sink);
    } else {
        raster::CosmeticLine(from.x, from.y, x, y, t.clip, sink);
    }
    WindowDcTouched(hdc);
    return TRUE;
}

namespace {

// One pixel into a resolved target; the colour that GDI reports back.
// Outside the bitmap nothing is drawn and, as GDI under Wine does, the
// colour asked for comes back.
inline COLORREF PutPixel(const DcTarget& t, int x, int y, COLORREF color) {
    if (!Inside(t.clip, x, y)) return color & 0xFFFFFFu;
    uint32_t pixel = PixelForSurface(*t.surface, color);
    t.surface->pixels[static_cast<size_t>(y) * t.surface->width + x] = pixel;
    t.surface->MarkChanged();
    return PixelToColor(pixel);
}

// Kept out of SetPixel, so that its common case needs no stack frame.
[[gnu::noinline]] COLORREF SetPixelResolving(HDC hdc, int x, int y, COLORREF color) {
    DcTarget t = DcIsKept(hdc) ? dcCache.target : ResolveDcUncached(hdc);
    if (!t.surface) return CLR_INVALID;
    if (DcIsKept(hdc)) {
        dcCache.color = color;
        dcCache.pixel = PixelForSurface(*t.surface, color);
        dcCache.reported = PixelToColor(dcCache.pixel);
    }
    COLORREF reported = PutPixel(t, x, y, color);
    if (t.window && Inside(t.clip, x, y)) WindowDcTouched(hdc);
    return reported;
}

}  // namespace

// A point-by-point drawing loop draws into the memory DC it resolved last:
// that costs three comparisons, a bounds check and a store, and a new colour
// one conversion, without looking the DC up again. The kept DC's rectangle is its whole surface, so each bound
// is one unsigned comparison, which negative coordinates also fail.
COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    DcCache& kept = dcCache;
    if (DcIsKept(hdc)) {
        Surface& s = *kept.target.surface;
        if (static_cast<unsigned>(x) < static_cast<unsigned>(s.width) &&
            static_cast<unsigned>(y) < static_cast<unsigned>(s.height)) {
            if (color != kept.color) {
                kept.color = color;
                kept.pixel = PixelForSurface(s, color);
                kept.reported = PixelToColor(kept.pixel);
            }
            s.pixels[static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x)] = kept.pixel;
            s.MarkChanged();
            return kept.reported;
        }
    }
    return SetPixelResolving(hdc, x, y, color);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    DcTarget t = ResolveDc(hdc);
    if (!t.surface || !Inside(t.clip, x, y)) return CLR_INVALID;
    return PixelToColor(t.surface->pixels[static_cast<size_t>(y) * t.surface->width + x]);
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    DcState* s = LookUpDc(hdc);
    if (!s) return FALSE;
    DcTarget t = ResolveDc(hdc);
    if (!t.surface) return TRUE;
    RunFill outline{t.surface, PixelForSurface(*t.surface, s->penColor)};
    RunFill brush{t.surface, PixelForSurface(*t.surface, s->brushColor)};
    raster::SpanSink fillSink{&brush, s->brushHollow ? IgnoreRun : FillRun};
    if (s->line == LineKind::Null) {
        raster::BrushOnlyRectangle(left, top, right, bottom, t.clip, fillSink);
    } else {
        raster::SpanSink outlineSink{&outline, FillRun};
        int width = s->line == LineKind::Wide ? s->penWidth : 1;
        raster::RectangleShape(left, top, right, bottom, width, t.clip, outlineSink, fillSink);
    }
    WindowDcTouched(hdc);
    return TRUE;
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    DcState* dst = LookUpDc(hdc);
    if (!dst) return FALSE;
    bool usesSource = rop == SRCCOPY;
    if (!usesSource && rop != BLACKNESS && rop != WHITENESS && rop != PATCOPY) {
        std::fprintf(stderr, "tavrin platform: BitBlt raster operation 0x%08X is not supported\n", rop);
        return FALSE;
    }
    DcState* src = usesSource ? LookUpDc(hdcSrc) : nullptr;
    if (usesSource && !src) return FALSE;
    DcTarget to = ResolveDc(hdc);
    DcTarget from = usesSource ? ResolveDc(hdcSrc) : DcTarget();
    if (!to.surface || (usesSource && !from.surface)) return TRUE;
    // A negative size would mirror the copy on Windows; it is not drawn here.
    if (cx <= 0 || cy <= 0) return TRUE;

    // Destination pixels whose source pixel lies inside the source bitmap and
    // which lie inside the destination's clip: the offset d = dst - src is the
    // same for every pixel, so both limits become one destination rectangle.
    raster::ClipRect area = raster::Intersect(raster::Clamped(x, y, int64_t{x} + cx, int64_t{y} + cy), to.clip);
    int64_t dx = int64_t{x} - x1, dy = int64_t{y} - y1;
    if (usesSource) {
        area = raster::Intersect(area, raster::Clamped(dx, dy, from.surface->width + dx, from.surface->height + dy));
    }
    if (raster::IsEmpty(area)) return TRUE;
    const int64_t left = area.left, top = area.top, right = area.right, bottom = area.bottom;
    int w = static_cast<int>(right - left);

    Surface& out = *to.surface;
    if (!usesSource) {
        COLORREF c = rop == BLACKNESS ? 0x000000 : rop == WHITENESS ? 0xFFFFFF : dst->brushColor;
        if (rop == PATCOPY && dst->brushHollow) return TRUE;
        RunFill fill{&out, PixelForSurface(out, c)};
        for (int64_t row = top; row < bottom; ++row) {
            FillRun(&fill, static_cast<int>(row), static_cast<int>(left), static_cast<int>(right));
        }
        WindowDcTouched(hdc);
        return TRUE;
    }

    const Surface& in = *from.surface;
    BltConversion convert;
    if (in.bitsPerPixel == 1 && out.bitsPerPixel != 1) {
        convert.kind = BltConversion::MonoToColour;
        convert.black = ColorToPixel(dst->textColor);
        convert.white = ColorToPixel(dst->bkColor);
    } else if (in.bitsPerPixel != 1 && out.bitsPerPixel == 1) {
        convert.kind = BltConversion::ColourToMono;
        convert.key = ColorToPixel(src->bkColor);
    }
    // Rows go through a copy so that overlapping blits within one surface
    // read what was there before the call.
    bool sameSurface = &in == &out;
    std::vector<uint32_t> snapshot;
    if (sameSurface) snapshot = in.pixels;
    const uint32_t* source = sameSurface ? snapshot.data() : in.pixels.data();
    // A copy that changes no pixel leaves the generation alone, so that the
    // loop's copy of an unchanged frame does not count as a new frame. Once
    // the destination is marked changed anyway (a frame cleared before its
    // copy), rows are copied without comparing them first.
    bool changed = out.MarkedChanged();
    const size_t rowBytes = sizeof(uint32_t) * static_cast<size_t>(w);
    for (int64_t ty = top; ty < bottom; ++ty) {
        const uint32_t* s = source + static_cast<size_t>(ty - dy) * in.width + static_cast<size_t>(left - dx);
        uint32_t* d = out.pixels.data() + static_cast<size_t>(ty) * out.width + static_cast<size_t>(left);
        if (convert.kind == BltConversion::Copy) {
            if (!changed && std::memcmp(d, s, rowBytes) == 0) continue;
            std::memcpy(d, s, rowBytes);
            changed = true;
        } else {
            for (int i = 0; i < w; ++i) {
                uint32_t p = convert(s[i]);
                changed = changed || d[i] != p;
                d[i] = p;
            }
        }
    }
    if (changed) out.MarkChanged();
    WindowDcTouched(hdc);
    return TRUE;
}
