// gdiprobe: runs a tiny drawing script against GDI and prints what it drew.
// Run under Windows (or Wine) it records the reference pixels; built against
// our own platform layer the same script must print the same text.
//
// One command per line, '#' starts a comment, numbers are decimal or 0x hex,
// colours are COLORREF values (0x00BBGGRR):
//   bitmap W H [COLOR]   memory DC with a screen-compatible bitmap, filled
//                        with COLOR (default 0xFFFFFF); prints as '.'
//   mono                 memory DC keeping its default 1x1 monochrome bitmap
//   pen STYLE WIDTH COLOR  CreatePen (STYLE: solid, null, insideframe or a
//                        number), selected; the previous pen is deleted
//   stockpen NAME        black, white or null
//   brush COLOR          CreateSolidBrush, selected; previous brush deleted
//   stockbrush NAME      black, white, null or gray
//   move X Y             MoveToEx; prints the previous position
//   line X Y             LineTo; prints the result and the new position
//   rect L T R B         Rectangle; prints the result
//   pixel X Y COLOR      SetPixel; prints the returned colour
//   get X Y              GetPixel; prints the colour
//   textcolor COLOR / bkcolor COLOR / bkmode opaque|transparent
//   text X Y STRING      TextOutA with the rest of the line
//   extent STRING        GetTextExtentPoint32A of the rest of the line
//   charwidths STRING    the advance of each character on its own
//   metrics              GetTextMetricsA: height, ascent, descent, ave, max
//   source W H           a second memory bitmap, the source of `blt`, whose
//                        pixel (x, y) holds colour 0x010000*y + 0x000100*x + 1
//   blt DX DY W H SX SY  BitBlt SRCCOPY from the source into the bitmap
//   echo TEXT            prints TEXT
//   dump                 prints the bitmap one row per line: '.' is the
//                        fill colour, then every colour the script names
//                        gets the next of "#o+*=%@&" in order of appearance;
//                        any other colour prints as '?' (listed afterwards)
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "script.h"

namespace {

using script::Number;
using script::OptionalNumber;
using script::Rest;
using script::Word;

struct Palette {
    std::vector<COLORREF> colours;
    std::vector<char> marks;

    void Add(COLORREF c) {
        for (COLORREF known : colours) {
            if (known == c) return;
        }
        static const char kMarks[] = ".#o+*=%@&";
        if (colours.size() + 1 >= sizeof(kMarks)) return;
        marks.push_back(kMarks[colours.size()]);
        colours.push_back(c);
    }
    char Mark(COLORREF c) const {
        for (size_t i = 0; i < colours.size(); ++i) {
            if (colours[i] == c) return marks[i];
        }
        return '?';
    }
};

struct Probe {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldPen = nullptr;
    HGDIOBJ oldBrush = nullptr;
    HPEN ownPen = nullptr;
    HBRUSH ownBrush = nullptr;
    int width = 0;
    int height = 0;
    HDC srcDc = nullptr;
    HBITMAP srcBitmap = nullptr;
    HGDIOBJ srcOld = nullptr;
    Palette palette;

    void ReleaseSource() {
        if (!srcDc) return;
        SelectObject(srcDc, srcOld);
        DeleteObject(srcBitmap);
        DeleteDC(srcDc);
        srcDc = nullptr;
    }

    // Releases the drawing DC; the blt source stays until the end.
    void Release() {
        if (!dc) return;
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        if (ownPen) DeleteObject(ownPen);
        if (ownBrush) DeleteObject(ownBrush);
        ownPen = nullptr;
        ownBrush = nullptr;
        if (bitmap) {
            SelectObject(dc, oldBitmap);
            DeleteObject(bitmap);
            bitmap = nullptr;
        }
        DeleteDC(dc);
        dc = nullptr;
    }

    void NewDc() {
        Release();
        dc = CreateCompatibleDC(nullptr);
        oldPen = GetCurrentObject(dc, OBJ_PEN);
        oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
        palette = Palette();
    }

    void Bitmap(int w, int h, COLORREF fill) {
        NewDc();
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        oldBitmap = SelectObject(dc, bitmap);
        width = w;
        height = h;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) SetPixel(dc, x, y, fill);
        }
        palette.Add(fill);
    }

    void Mono() {
        NewDc();
        width = 1;
        height = 1;
        palette.Add(RGB(0, 0, 0));
        palette.Add(RGB(255, 255, 255));
    }

    void UsePen(HPEN pen) {
        SelectObject(dc, pen);
        if (ownPen) DeleteObject(ownPen);
        ownPen = nullptr;
    }

    void UseBrush(HBRUSH brush) {
        SelectObject(dc, brush);
        if (ownBrush) DeleteObject(ownBrush);
        ownBrush = nullptr;
    }

    void Dump() const {
        std::vector<COLORREF> unknown;
        for (int y = 0; y < height; ++y) {
            std::string row;
            for (int x = 0; x < width; ++x) {
                COLORREF c = GetPixel(dc, x, y);
                char m = palette.Mark(c);
                if (m == '?') {
                    bool seen = false;
                    for (COLORREF u : unknown) seen = seen || u == c;
                    if (!seen) unknown.push_back(c);
                }
                row += m;
            }
            std::printf("%s\n", row.c_str());
        }
        for (COLORREF u : unknown) std::printf("? = 0x%06lx\n", static_cast<unsigned long>(u));
    }
};

int PenStyle(const std::string& s) {
    if (s == "solid") return PS_SOLID;
    if (s == "null") return PS_NULL;
    if (s == "insideframe") return PS_INSIDEFRAME;
    if (s == "dash") return PS_DASH;
    return std::atoi(s.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    FILE* in = stdin;
    if (argc > 1) {
        in = std::fopen(argv[1], "r");
        if (!in) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
    }
    Probe probe;
    script::Reader reader(in);
    std::string cmd;
    const char* p = nullptr;
    while (reader.Next(cmd, p)) {
        if (cmd == "echo") {
            std::printf("%s\n", Rest(p).c_str());
            continue;
        }
        if (cmd == "bitmap") {
            int w = static_cast<int>(Number(p));
            int h = static_cast<int>(Number(p));
            long fill = 0;
            probe.Bitmap(w, h, OptionalNumber(p, &fill) ? static_cast<COLORREF>(fill) : RGB(255, 255, 255));
            continue;
        }
        if (cmd == "mono") {
            probe.Mono();
            continue;
        }
        if (cmd == "source") {
            int w = static_cast<int>(Number(p));
            int h = static_cast<int>(Number(p));
            probe.ReleaseSource();
            probe.srcDc = CreateCompatibleDC(nullptr);
            HDC screen = GetDC(nullptr);
            probe.srcBitmap = CreateCompatibleBitmap(screen, w, h);
            ReleaseDC(nullptr, screen);
            probe.srcOld = SelectObject(probe.srcDc, probe.srcBitmap);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) SetPixel(probe.srcDc, x, y, RGB(1, x, y));
            }
            continue;
        }
        if (!probe.dc) {
            std::printf("error: no bitmap before '%s'\n", cmd.c_str());
            continue;
        }
        HDC dc = probe.dc;
        if (cmd == "pen") {
            int style = PenStyle(Word(p));
            int w = static_cast<int>(Number(p));
            COLORREF c = static_cast<COLORREF>(Number(p));
            probe.palette.Add(c);
            HPEN pen = CreatePen(style, w, c);
            probe.UsePen(pen);
            probe.ownPen = pen;
        } else if (cmd == "stockpen") {
            std::string n = Word(p);
            int id = n == "white" ? WHITE_PEN : n == "null" ? NULL_PEN : BLACK_PEN;
            if (id == WHITE_PEN) probe.palette.Add(RGB(255, 255, 255));
            if (id == BLACK_PEN) probe.palette.Add(RGB(0, 0, 0));
            probe.UsePen(static_cast<HPEN>(GetStockObject(id)));
        } else if (cmd == "brush") {
            COLORREF c = static_cast<COLORREF>(Number(p));
            probe.palette.Add(c);
            HBRUSH brush = CreateSolidBrush(c);
            probe.UseBrush(brush);
            probe.ownBrush = brush;
        } else if (cmd == "stockbrush") {
            std::string n = Word(p);
            int id = n == "white" ? WHITE_BRUSH : n == "null" ? NULL_BRUSH : n == "gray" ? GRAY_BRUSH : BLACK_BRUSH;
            if (id == WHITE_BRUSH) probe.palette.Add(RGB(255, 255, 255));
            if (id == BLACK_BRUSH) probe.palette.Add(RGB(0, 0, 0));
            probe.UseBrush(static_cast<HBRUSH>(GetStockObject(id)));
        } else if (cmd == "move") {
            int x = static_cast<int>(Number(p));
            int y = static_cast<int>(Number(p));
            POINT old = {0, 0};
            BOOL ok = MoveToEx(dc, x, y, &old);
            std::printf("move -> %d, was %ld,%ld\n", ok ? 1 : 0, old.x, old.y);
        } else if (cmd == "line") {
            int x = static_cast<int>(Number(p));
            int y = static_cast<int>(Number(p));
            BOOL ok = LineTo(dc, x, y);
            POINT now = {0, 0};
            GetCurrentPositionEx(dc, &now);
            std::printf("line -> %d, now %ld,%ld\n", ok ? 1 : 0, now.x, now.y);
        } else if (cmd == "rect") {
            int l = static_cast<int>(Number(p));
            int t = static_cast<int>(Number(p));
            int r = static_cast<int>(Number(p));
            int b = static_cast<int>(Number(p));
            BOOL ok = Rectangle(dc, l, t, r, b);
            std::printf("rect -> %d\n", ok ? 1 : 0);
        } else if (cmd == "pixel") {
            int x = static_cast<int>(Number(p));
            int y = static_cast<int>(Number(p));
            COLORREF c = static_cast<COLORREF>(Number(p));
            probe.palette.Add(c);
            COLORREF r = SetPixel(dc, x, y, c);
            std::printf("pixel -> 0x%08lx\n", static_cast<unsigned long>(r));
        } else if (cmd == "get") {
            int x = static_cast<int>(Number(p));
            int y = static_cast<int>(Number(p));
            std::printf("get %d,%d -> 0x%08lx\n", x, y, static_cast<unsigned long>(GetPixel(dc, x, y)));
        } else if (cmd == "textcolor") {
            COLORREF c = static_cast<COLORREF>(Number(p));
            probe.palette.Add(c);
            SetTextColor(dc, c);
        } else if (cmd == "bkcolor") {
            COLORREF c = static_cast<COLORREF>(Number(p));
            probe.palette.Add(c);
            SetBkColor(dc, c);
        } else if (cmd == "bkmode") {
            SetBkMode(dc, Word(p) == "transparent" ? TRANSPARENT : OPAQUE);
        } else if (cmd == "text") {
            int x = static_cast<int>(Number(p));
            int y = static_cast<int>(Number(p));
            std::string s = Rest(p);
            BOOL ok = TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size()));
            std::printf("text -> %d\n", ok ? 1 : 0);
        } else if (cmd == "extent") {
            std::string s = Rest(p);
            SIZE size = {0, 0};
            GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
            std::printf("extent \"%s\" -> %ld x %ld\n", s.c_str(), size.cx, size.cy);
        } else if (cmd == "charwidths") {
            std::string s = Rest(p);
            for (char ch : s) {
                SIZE size = {0, 0};
                GetTextExtentPoint32A(dc, &ch, 1, &size);
                std::printf("%c=%ld ", ch, size.cx);
            }
            std::printf("\n");
        } else if (cmd == "metrics") {
            TEXTMETRICA tm;
            GetTextMetricsA(dc, &tm);
            std::printf("height %ld ascent %ld descent %ld internal %ld external %ld ave %ld max %ld\n",
                        tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading,
                        tm.tmExternalLeading, tm.tmAveCharWidth, tm.tmMaxCharWidth);
        } else if (cmd == "blt") {
            int dx = static_cast<int>(Number(p));
            int dy = static_cast<int>(Number(p));
            int w = static_cast<int>(Number(p));
            int h = static_cast<int>(Number(p));
            int sx = static_cast<int>(Number(p));
            int sy = static_cast<int>(Number(p));
            BOOL ok = probe.srcDc ? BitBlt(dc, dx, dy, w, h, probe.srcDc, sx, sy, SRCCOPY) : FALSE;
            std::printf("blt -> %d\n", ok ? 1 : 0);
        } else if (cmd == "dump") {
            probe.Dump();
        } else if (cmd == "dumphex") {
            for (int y = 0; y < probe.height; ++y) {
                for (int x = 0; x < probe.width; ++x) {
                    std::printf("%06lx ", static_cast<unsigned long>(GetPixel(dc, x, y)));
                }
                std::printf("\n");
            }
        } else {
            std::printf("error: unknown command '%s'\n", cmd.c_str());
        }
    }
    probe.Release();
    probe.ReleaseSource();
    if (in != stdin) std::fclose(in);
    return 0;
}
