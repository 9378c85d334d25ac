"""Reads a cloud that tavrin-ik wrote, with NumPy alone, and prints what the
tests compare: the vertex count, then the first and the last vertex as the
bit patterns of x, y, z (hex) and, when present, the margin and colour.

    read_cloud.py ply|csv FILE
"""
import sys

import numpy as np


def read_ply(path):
    with open(path, "rb") as f:
        data = f.read()
    end = data.index(b"end_header\n") + len(b"end_header\n")
    header = data[:end].decode("ascii").split("\n")
    assert header[0] == "ply" and header[1] == "format binary_little_endian 1.0", header[:2]
    count = None
    fields = []
    types = {"float": "<f4", "uchar": "u1"}
    for line in header:
        words = line.split()
        if words[:2] == ["element", "vertex"]:
            count = int(words[2])
        elif words[:1] == ["property"]:
            fields.append((words[2], types[words[1]]))
    vertices = np.frombuffer(data, dtype=np.dtype(fields), count=count, offset=end)
    assert len(data) == end + count * vertices.dtype.itemsize, "the body is not exactly N vertices"
    return vertices


def read_csv(path):
    with open(path) as f:
        names = f.readline().strip().split(",")
    table = np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2, dtype=np.float64)
    fields = [(n, "<f4" if n in "xyz" else "u1") for n in names]
    vertices = np.zeros(len(table), dtype=np.dtype(fields))
    for k, n in enumerate(names):
        vertices[n] = table[:, k]
    return vertices


def describe(v):
    words = ["%08x" % np.float32(v[n]).view(np.uint32) for n in "xyz"]
    words += [str(int(v[n])) for n in v.dtype.names if n not in "xyz"]
    return " ".join(words)


vertices = read_ply(sys.argv[2]) if sys.argv[1] == "ply" else read_csv(sys.argv[2])
print(len(vertices))
if len(vertices):
    print(describe(vertices[0]))
    print(describe(vertices[-1]))
