#!/usr/bin/env python3
"""Turns a gdiprobe recording of raster_cases.txt into the case table of
tests/raster/raster_test.cpp: one entry per `echo case ...` block, its rows
of pixels as strings ('.' untouched, '#' pen, 'o' brush)."""
import sys

def main(path):
    text = open(path).read().splitlines()
    i = 0
    while i < len(text):
        line = text[i]
        i += 1
        if not line.startswith("case "):
            continue
        head, comment = line[5:].split(" | ", 1)
        kind, width, a, b, c, d = head.split()
        rows = []
        while i < len(text) and not text[i].startswith("case "):
            if text[i] and text[i][0] in ".#o" and "->" not in text[i]:
                rows.append(text[i])
            i += 1
        op = "kLine" if kind == "line" else "kRect"
        print(f"    // {comment}")
        print(f"    {{Op::{op}, {width}, {a}, {b}, {c}, {d},")
        for k, row in enumerate(rows):
            end = "}}," if k == len(rows) - 1 else ","
            start = "     {" if k == 0 else "      "
            print(f'{start}"{row}"{end}')

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "raster_cases.expected")
