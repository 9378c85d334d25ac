#!/usr/bin/python3
"""An off-screen picture of a cloud that `tavrin-ik workspace --format ply
--margin` wrote: the half of the workspace in front of the root's depth
(z <= 0) seen obliquely, so that the cut face shows the margins inside as
well as on the shell. Each pixel keeps the nearest vertex, in its own
colour, darkened a little with distance. Writes a binary PPM; ImageMagick
turns it into PNG.

    scripts/cloud-picture.py CLOUD.ply PICTURE.ppm [SIZE]
"""
import sys

import numpy as np


def read_ply(path):
    with open(path, "rb") as f:
        data = f.read()
    end = data.index(b"end_header\n") + len(b"end_header\n")
    fields, count = [], 0
    for line in data[:end].decode("ascii").splitlines():
        words = line.split()
        if words[:2] == ["element", "vertex"]:
            count = int(words[2])
        elif words[:1] == ["property"]:
            fields.append((words[2], {"float": "<f4", "uchar": "u1"}[words[1]]))
    return np.frombuffer(data, dtype=np.dtype(fields), count=count, offset=end)


def main():
    cloud = read_ply(sys.argv[1])
    size = int(sys.argv[3]) if len(sys.argv) > 3 else 640
    cloud = cloud[cloud["z"] <= 0]
    # Model y points down; the picture's up is -y. Turn about the vertical
    # axis, then tilt towards the viewer.
    x, y, z = cloud["x"].astype(float), -cloud["y"].astype(float), cloud["z"].astype(float)
    a, b = np.radians(35), np.radians(25)
    x, z = x * np.cos(a) + z * np.sin(a), -x * np.sin(a) + z * np.cos(a)
    y, z = y * np.cos(b) - z * np.sin(b), y * np.sin(b) + z * np.cos(b)
    reach = max(np.abs(x).max(), np.abs(y).max()) * 1.05
    px = ((x / reach + 1) * 0.5 * (size - 1)).astype(int)
    py = ((1 - (y / reach + 1) * 0.5) * (size - 1)).astype(int)
    # Nearest first: z grows away from the viewer after the turns.
    order = np.lexsort((z, py, px))
    first = np.ones(len(order), bool)
    first[1:] = (px[order][1:] != px[order][:-1]) | (py[order][1:] != py[order][:-1])
    keep = order[first]
    shade = 1.0 - 0.45 * (z[keep] - z.min()) / max(z.max() - z.min(), 1e-9)
    image = np.zeros((size, size, 3), np.uint8)
    for k, name in enumerate(("red", "green", "blue")):
        image[py[keep], px[keep], k] = (cloud[name][keep] * shade).astype(np.uint8)
    with open(sys.argv[2], "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (size, size))
        f.write(image.tobytes())


main()
