"""Reads a PLY cloud that tavrin-ik wrote with meshio, a reader nobody here
wrote, and prints what the tests compare: the vertex count, the vertex
properties besides x, y and z, then the first and the last vertex as the
bit patterns of x, y, z (hex) and the margin.

    read_with_meshio.py FILE
"""
import sys

import meshio
import numpy as np

mesh = meshio.read(sys.argv[1], file_format="ply")
points = np.asarray(mesh.points, dtype=np.float32)
print(len(points))
print(" ".join(mesh.point_data.keys()))
for i in (0, -1):
    words = ["%08x" % v for v in points[i].view(np.uint32)]
    if "scalar_margin" in mesh.point_data:
        words.append(str(int(mesh.point_data["scalar_margin"][i])))
    print(" ".join(words))
