// GDI objects: one handle table for drawing contexts, bitmaps, pens, brushes
// and fonts, the stock objects, selection and deletion with Windows' rules,
// and the count behind GetGuiResources.
#include <cstdio>
#include <deque>
#include <memory>
#include <new>

#include "platform/handle_bits.h"
#include "platform/gdi_dc.h"

namespace tavrin {

std::atomic<uint64_t> gdiTableGeneration{1};

namespace {

enum class GdiType : uint8_t { Free, Dc, Bitmap, Pen, Brush, Font };
enum class DcKind : uint8_t { Memory, Window, Screen };

struct DcRecord {
    DcKind kind = DcKind::Memory;
    HWND window = nullptr;
    bool hasClip = false;
    raster::ClipRect clip = {0, 0, 0, 0};
    HGDIOBJ bitmap = nullptr;
    // The selected bitmap's pixels, kept with the selection: a selected
    // bitmap is never freed, so this lives as long as the selection.
    Surface* bitmapSurface = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ font = nullptr;
    DcState state;
};

struct Object {
    GdiType type = GdiType::Free;
    uint32_t generation = 0;
    bool stock = false;
    // DCs that have it selected; a deleted object lives on until this is 0.
    int selections = 0;
    bool deletePending = false;
    int penStyle = PS_SOLID;
    int penWidth = 1;
    COLORREF color = 0;
    bool hollow = false;
    std::unique_ptr<Surface> surface;
    std::unique_ptr<DcRecord> dc;
};

// GDI handles carry a tag of their own; slots are reused oldest first.
const uintptr_t kGdiTag = 0x6;
// Windows' default per-process quota of GDI objects.
const int kObjectQuota = 10000;

std::vector<Object> objects;
std::deque<uint32_t> freeSlots;
int liveCount = 0;
bool stockReady = false;
HGDIOBJ stockObjects[18];
HGDIOBJ defaultBitmap = nullptr;
// Nothing until the window floor registers itself.
WindowSurfaceSource windowSurfaces = {[](HWND) -> Surface* { return nullptr; }, [](HWND) {}, [](HWND) {}};

HGDIOBJ Encode(uint32_t slot, uint32_t generation) {
    return reinterpret_cast<HGDIOBJ>(EncodeHandle(kGdiTag, {slot, generation}));
}

Object* Find(HGDIOBJ h) {
    HandleBits bits;
    if (!DecodeHandle(reinterpret_cast<uintptr_t>(h), kGdiTag, &bits)) return nullptr;
    if (bits.slot >= objects.size()) return nullptr;
    Object& o = objects[bits.slot];
    if (o.type == GdiType::Free || o.generation != bits.generation) return nullptr;
    return &o;
}

Object* FindTyped(HGDIOBJ h, GdiType type) {
    Object* o = Find(h);
    return o && o->type == type ? o : nullptr;
}

void EnsureStock();

// A new entry of the given type, or null when the quota or the table is full.
HGDIOBJ Allocate(GdiType type, bool stock, Object** out) {
    ForgetResolvedDc();
    if (!stock && liveCount >= kObjectQuota) return nullptr;
    uint32_t slot;
    // Keep a few freed slots in reserve so a handle is not handed out again
    // right after it was deleted.
    if (freeSlots.size() > 64 || (objects.size() >= kHandleSlots && !freeSlots.empty())) {
        slot = freeSlots.front();
        freeSlots.pop_front();
    } else if (objects.size() < kHandleSlots) {
        slot = static_cast<uint32_t>(objects.size());
        objects.emplace_back();
    } else {
        return nullptr;
    }
    Object& o = objects[slot];
    uint32_t generation = NextGeneration(o.generation);
    o = Object();
    o.type = type;
    o.generation = generation;
    o.stock = stock;
    if (!stock) ++liveCount;
    *out = &o;
    return Encode(slot, generation);
}

void Free(Object& o) {
    ForgetResolvedDc();
    if (!o.stock) --liveCount;
    uint32_t slot = static_cast<uint32_t>(&o - objects.data());
    uint32_t generation = o.generation;
    o = Object();
    o.generation = generation;
    freeSlots.push_back(slot);
}

void Deselect(HGDIOBJ h) {
    Object* o = Find(h);
    if (!o || o->stock) return;
    if (--o->selections == 0 && o->deletePending) Free(*o);
}

void Select(HGDIOBJ h) {
    Object* o = Find(h);
    if (o && !o->stock) ++o->selections;
}

HGDIOBJ MakePen(int style, int width, COLORREF color, bool stock) {
    Object* o;
    HGDIOBJ h = Allocate(GdiType::Pen, stock, &o);
    if (!h) return nullptr;
    o->penStyle = style;
    o->penWidth = width;
    o->color = color & 0xFFFFFFu;
    return h;
}

HGDIOBJ MakeBrush(bool hollow, COLORREF color, bool stock) {
    Object* o;
    HGDIOBJ h = Allocate(GdiType::Brush, stock, &o);
    if (!h) return nullptr;
    o->hollow = hollow;
    o->color = color & 0xFFFFFFu;
    return h;
}

HGDIOBJ MakeBitmap(int width, int height, int bitsPerPixel, bool stock) {
    Object* o;
    HGDIOBJ h = Allocate(GdiType::Bitmap, stock, &o);
    if (!h) return nullptr;
    try {
        o->surface.reset(new Surface());
        o->surface->bitsPerPixel = bitsPerPixel;
        o->surface->Resize(width, height);
    } catch (const std::bad_alloc&) {
        Free(*o);
        return nullptr;
    }
    return h;
}

void EnsureStock() {
    if (stockReady) return;
    stockReady = true;
    for (HGDIOBJ& h : stockObjects) h = nullptr;
    stockObjects[WHITE_BRUSH] = MakeBrush(false, 0xFFFFFF, true);
    stockObjects[LTGRAY_BRUSH] = MakeBrush(false, 0xC0C0C0, true);
    stockObjects[GRAY_BRUSH] = MakeBrush(false, 0x808080, true);
    stockObjects[DKGRAY_BRUSH] = MakeBrush(false, 0x404040, true);
    stockObjects[BLACK_BRUSH] = MakeBrush(false, 0x000000, true);
    stockObjects[NULL_BRUSH] = MakeBrush(true, 0, true);
    stockObjects[WHITE_PEN] = MakePen(PS_SOLID, 0, 0xFFFFFF, true);
    stockObjects[BLACK_PEN] = MakePen(PS_SOLID, 0, 0x000000, true);
    stockObjects[NULL_PEN] = MakePen(PS_NULL, 0, 0, true);
    // There is one font design; every stock font is it.
    Object* font;
    HGDIOBJ system = Allocate(GdiType::Font, true, &font);
    for (int i : {10, 11, 12, 13, 14, 16, 17}) stockObjects[i] = system;
    // The 1 x 1 monochrome bitmap every new memory DC starts with; stock, so
    // deleting it after selecting another bitmap is harmless.
    defaultBitmap = MakeBitmap(1, 1, 1, true);
}

void ApplyPen(DcState& s, const Object& pen) {
    s.penColor = pen.color;
    s.penWidth = pen.penWidth;
    if (pen.penStyle == PS_NULL) {
        s.line = LineKind::Null;
    } else {
        s.line = pen.penWidth >= 2 ? LineKind::Wide : LineKind::Cosmetic;
    }
}

void ApplyBrush(DcState& s, const Object& brush) {
    s.brushHollow = brush.hollow;
    s.brushColor = brush.color;
}

HDC MakeDc(DcKind kind, HWND window, const RECT* clip) {
    EnsureStock();
    Object* o;
    HGDIOBJ h = Allocate(GdiType::Dc, false, &o);
    if (!h) return nullptr;
    o->dc.reset(new DcRecord());
    DcRecord& d = *o->dc;
    d.kind = kind;
    d.window = window;
    if (clip) {
        d.hasClip = true;
        d.clip = raster::ClipRect{clip->left, clip->top, clip->right, clip->bottom};
    }
    d.bitmap = kind == DcKind::Memory ? defaultBitmap : nullptr;
    if (d.bitmap) d.bitmapSurface = Find(d.bitmap)->surface.get();
    d.pen = stockObjects[BLACK_PEN];
    d.brush = stockObjects[WHITE_BRUSH];
    d.font = stockObjects[SYSTEM_FONT];
    ApplyPen(d.state, *Find(d.pen));
    ApplyBrush(d.state, *Find(d.brush));
    return static_cast<HDC>(h);
}

DcRecord* FindDc(HDC dc) {
    Object* o = FindTyped(dc, GdiType::Dc);
    return o ? o->dc.get() : nullptr;
}

BOOL FreeDc(HDC dc) {
    Object* o = FindTyped(dc, GdiType::Dc);
    if (!o) return FALSE;
    DcRecord d = *o->dc;
    Free(*o);
    Deselect(d.bitmap);
    Deselect(d.pen);
    Deselect(d.brush);
    Deselect(d.font);
    return TRUE;
}

}  // namespace

DcState* LookUpDc(HDC dc) {
    DcRecord* d = FindDc(dc);
    return d ? &d->state : nullptr;
}

DcTarget ResolveDcUncached(HDC dc) {
    DcTarget t;
    DcRecord* d = FindDc(dc);
    if (!d) return t;
    if (d->kind == DcKind::Memory) {
        t.surface = d->bitmapSurface;
    } else if (d->kind == DcKind::Window) {
        t.surface = windowSurfaces.surfaceOf(d->window);
        t.window = true;
    }
    if (!t.surface) return t;
    t.clip = {0, 0, t.surface->width, t.surface->height};
    if (d->hasClip) {
        t.clip = raster::Intersect(t.clip, d->clip);
    } else if (d->kind == DcKind::Memory) {
        uint32_t black = PixelForSurface(*t.surface, 0);
        dcCache = DcCache{dc, t, gdiTableGeneration.load(std::memory_order_relaxed), 0, black, PixelToColor(black)};
    }
    return t;
}

void SetWindowSurfaceSource(const WindowSurfaceSource& source) { windowSurfaces = source; }

// Counts what the process created and has not deleted: memory DCs, the DCs
// of GetDC and BeginPaint while held, bitmaps, pens, brushes. Stock objects
// belong to the system and are not counted, as on Windows.
int LiveGdiObjectCount() { return liveCount; }

HDC CreateWindowDc(HWND window, const RECT* clip) { return MakeDc(DcKind::Window, window, clip); }

void DeleteWindowDc(HDC dc) { FreeDc(dc); }

void WindowDcTouched(HDC dc) {
    DcRecord* d = FindDc(dc);
    if (!d || d->kind != DcKind::Window) return;
    windowSurfaces.drawn(d->window);
}

}  // namespace tavrin

using namespace tavrin;

// ---------------------------------------------------------------------------
// Contexts
// ---------------------------------------------------------------------------

HDC WINAPI GetDC(HWND hWnd) {
    if (!hWnd) return MakeDc(DcKind::Screen, nullptr, nullptr);
    if (!windowSurfaces.surfaceOf(hWnd)) return nullptr;
    return MakeDc(DcKind::Window, hWnd, nullptr);
}

int WINAPI ReleaseDC(HWND hWnd, HDC hDC) {
    (void)hWnd;
    DcRecord* d = FindDc(hDC);
    if (!d || d->kind == DcKind::Memory) return 0;
    HWND window = d->kind == DcKind::Window ? d->window : nullptr;
    int freed = FreeDc(hDC);
    if (window) windowSurfaces.released(window);
    return freed;
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !FindDc(hdc)) return nullptr;
    return MakeDc(DcKind::Memory, nullptr, nullptr);
}

BOOL WINAPI DeleteDC(HDC hdc) { return FreeDc(hdc); }

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    DcRecord* d = FindDc(hdc);
    if (!d || cx < 0 || cy < 0) return nullptr;
    // As on Windows, an empty size gives the 1 x 1 monochrome bitmap.
    if (cx == 0 || cy == 0) return static_cast<HBITMAP>(defaultBitmap);
    if (!SurfaceSizeAllowed(cx, cy)) return nullptr;
    int bitsPerPixel = 32;
    if (d->kind == DcKind::Memory) {
        Object* selected = FindTyped(d->bitmap, GdiType::Bitmap);
        if (selected) bitsPerPixel = selected->surface->bitsPerPixel;
    }
    return static_cast<HBITMAP>(MakeBitmap(cx, cy, bitsPerPixel, false));
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    DcRecord* d = FindDc(hdc);
    Object* o = Find(h);
    if (!d || !o) return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (o->type) {
    case GdiType::Bitmap:
        // Only a memory DC holds a bitmap, and a bitmap lives in one DC at a
        // time (stock ones excepted).
        if (d->kind != DcKind::Memory) return nullptr;
        if (!o->stock && o->selections > 0 && d->bitmap != h) return nullptr;
        slot = &d->bitmap;
        d->bitmapSurface = o->surface.get();
        break;
    case GdiType::Pen:
        ApplyPen(d->state, *o);
        slot = &d->pen;
        break;
    case GdiType::Brush:
        ApplyBrush(d->state, *o);
        slot = &d->brush;
        break;
    case GdiType::Font:
        slot = &d->font;
        break;
    default:
        return nullptr;
    }
    HGDIOBJ previous = *slot;
    *slot = h;
    ForgetResolvedDc();
    Select(h);
    Deselect(previous);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
    Object* o = Find(ho);
    if (!o || o->type == GdiType::Dc) return FALSE;
    if (o->stock) return TRUE;
    // Still selected: Windows reports success and frees the object once the
    // last DC lets go of it.
    if (o->selections > 0) {
        o->deletePending = true;
        return TRUE;
    }
    Free(*o);
    return TRUE;
}

DWORD WINAPI GetObjectType(HGDIOBJ h) {
    const DcRecord* d = FindDc(static_cast<HDC>(h));
    if (!d) return 0;
    return d->kind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
}

HGDIOBJ WINAPI GetStockObject(int i) {
    EnsureStock();
    if (i < 0 || i >= static_cast<int>(sizeof stockObjects / sizeof stockObjects[0])) return nullptr;
    return stockObjects[i];
}

HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    EnsureStock();
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) return nullptr;
    if (iStyle != PS_SOLID && iStyle != PS_NULL) {
        static bool told = false;
        if (!told) std::fprintf(stderr, "tavrin platform: pen style %d is drawn solid\n", iStyle);
        told = true;
    }
    // A negative width draws like width 0, a cosmetic pen.
    return static_cast<HPEN>(MakePen(iStyle, cWidth < 0 ? 0 : cWidth, color, false));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    EnsureStock();
    return static_cast<HBRUSH>(MakeBrush(false, color, false));
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    DcState* s = LookUpDc(hdc);
    if (!s) return CLR_INVALID;
    COLORREF previous = s->textColor;
    s->textColor = color & 0xFFFFFFu;
    return previous;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    DcState* s = LookUpDc(hdc);
    if (!s) return CLR_INVALID;
    COLORREF previous = s->bkColor;
    s->bkColor = color & 0xFFFFFFu;
    return previous;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    DcState* s = LookUpDc(hdc);
    if (!s || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int previous = s->bkMode;
    s->bkMode = mode;
    return previous;
}
