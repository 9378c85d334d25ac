// replay: runs a gdiprobe script through the raster functions into a
// character grid and prints what gdiprobe would print, so the output can be
// diffed against a recording made under Windows or Wine. It knows the
// drawing commands only (bitmap, pen, stockpen, brush, stockbrush, move,
// line, rect, echo, dump); anything else prints "unsupported".
#include "platform/raster.h"

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

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<char> cells;
    std::vector<long> colours;  // colour of each mark, in order of appearance
    std::string marks;

    char Mark(long colour) {
        for (size_t i = 0; i < colours.size(); ++i) {
            if (colours[i] == colour) return marks[i];
        }
        static const char kMarks[] = ".#o+*=%@&";
        if (colours.size() + 1 >= sizeof(kMarks)) return '?';
        colours.push_back(colour);
        marks += kMarks[colours.size() - 1];
        return marks.back();
    }
};

struct Paint {
    Canvas* canvas;
    char mark;
};

void PaintSpan(void* context, int y, int x0, int x1) {
    Paint* p = static_cast<Paint*>(context);
    for (int x = x0; x < x1; ++x) p->canvas->cells[static_cast<size_t>(y) * p->canvas->width + x] = p->mark;
}

void IgnoreSpan(void*, int, int, int) {}

}  // namespace

int main(int argc, char** argv) {
    FILE* in = argc > 1 ? std::fopen(argv[1], "r") : stdin;
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    Canvas canvas;
    bool penNull = false;
    int penWidth = 1;
    char penMark = '#';
    bool brushNull = false;
    char brushMark = '#';
    long curX = 0, curY = 0;
    script::Reader reader(in);
    std::string cmd;
    const char* p = nullptr;
    while (reader.Next(cmd, p)) {
        raster::ClipRect clip = {0, 0, canvas.width, canvas.height};
        if (cmd == "echo") {
            std::printf("%s\n", Rest(p).c_str());
        } else if (cmd == "bitmap") {
            canvas = Canvas();
            canvas.width = static_cast<int>(Number(p));
            canvas.height = static_cast<int>(Number(p));
            long fill = 0;
            canvas.Mark(OptionalNumber(p, &fill) ? fill : 0xffffff);
            canvas.cells.assign(static_cast<size_t>(canvas.width) * canvas.height, '.');
            penNull = false;
            penWidth = 1;
            penMark = canvas.Mark(0);
            brushNull = false;
            brushMark = canvas.Mark(0xffffff);
            curX = curY = 0;
        } else if (cmd == "pen") {
            std::string style = Word(p);
            penWidth = static_cast<int>(Number(p));
            penMark = canvas.Mark(Number(p));
            penNull = style == "null";
        } else if (cmd == "stockpen") {
            std::string n = Word(p);
            penNull = n == "null";
            penWidth = 1;
            if (!penNull) penMark = canvas.Mark(n == "white" ? 0xffffff : 0);
        } else if (cmd == "brush") {
            brushNull = false;
            brushMark = canvas.Mark(Number(p));
        } else if (cmd == "stockbrush") {
            std::string n = Word(p);
            brushNull = n == "null";
            if (!brushNull) brushMark = canvas.Mark(n == "white" ? 0xffffff : 0);
        } else if (cmd == "move") {
            long x = Number(p), y = Number(p);
            std::printf("move -> 1, was %ld,%ld\n", curX, curY);
            curX = x;
            curY = y;
        } else if (cmd == "line") {
            long x = Number(p), y = Number(p);
            Paint paint = {&canvas, penMark};
            raster::SpanSink sink = {&paint, PaintSpan};
            if (!penNull) {
                raster::WideLine(static_cast<int>(curX), static_cast<int>(curY), static_cast<int>(x),
                                 static_cast<int>(y), penWidth, clip, sink);
            }
            curX = x;
            curY = y;
            std::printf("line -> 1, now %ld,%ld\n", curX, curY);
        } else if (cmd == "rect") {
            int l = static_cast<int>(Number(p)), t = static_cast<int>(Number(p));
            int r = static_cast<int>(Number(p)), b = static_cast<int>(Number(p));
            Paint fillPaint = {&canvas, brushMark};
            raster::SpanSink fill = {&fillPaint, brushNull ? IgnoreSpan : PaintSpan};
            if (penNull) {
                raster::BrushOnlyRectangle(l, t, r, b, clip, fill);
                std::printf("rect -> 1\n");
                continue;
            }
            Paint outlinePaint = {&canvas, penMark};
            raster::SpanSink outline = {&outlinePaint, PaintSpan};
            raster::RectangleShape(l, t, r, b, penWidth, clip, outline, fill);
            std::printf("rect -> 1\n");
        } else if (cmd == "dump") {
            for (int y = 0; y < canvas.height; ++y) {
                std::printf("%.*s\n", canvas.width, &canvas.cells[static_cast<size_t>(y) * canvas.width]);
            }
        } else {
            std::printf("unsupported: %s\n", cmd.c_str());
        }
    }
    if (in != stdin) std::fclose(in);
    return 0;
}
