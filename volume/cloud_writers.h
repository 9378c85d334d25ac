// The volume's points written as they come, slice by slice, so that memory
// does not grow with the output: a binary PLY cloud whose header states the
// vertex count known beforehand (from CountVolume), or CSV text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "volume/workspace_volume.h"

// Which way is up in a written cloud. The model's own frame is the
// window's, y pointing down; viewers expect y or z up. Both turns are
// right-handed, and a negated float is exact.
enum class CloudUp {
    Window,  // (x, y, z) as the model has them
    Y,       // (x, -y, -z): y up
    Z,       // (x, z, -y): z up
};
D3DXVECTOR3 TurnedUp(CloudUp up, float x, float y, float z);

// Binary little-endian PLY: `element vertex N` with float x, y, z and, with
// margins, uchar scalar_margin (the name CloudCompare loads as a scalar
// field by itself) and the margin ramp's uchar red, green, blue, which
// MeshLab and CloudCompare read as the vertex colour.
class PlyWriter : public VolumeSink {
public:
    // Writes the header at once; `comment` (one line) goes into it.
    PlyWriter(FILE* out, uint64_t vertices, bool margins, const std::string& comment, CloudUp up = CloudUp::Window);
    bool TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) override;
    // Whether every byte so far went out, and exactly the promised vertices.
    bool Finish() const;

private:
    FILE* out_;
    const uint64_t vertices_;
    const bool margins_;
    const CloudUp up_;
    uint64_t written_ = 0;
    bool failed_ = false;
    std::string buffer_;
};

// One "x,y,z" or "x,y,z,margin" line per point after a header line naming
// the columns; floats in the shortest text that reads back the same.
class CsvWriter : public VolumeSink {
public:
    CsvWriter(FILE* out, bool margins, CloudUp up = CloudUp::Window);
    bool TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) override;
    bool Finish() const { return !failed_; }

private:
    FILE* out_;
    const bool margins_;
    const CloudUp up_;
    bool failed_ = false;
    std::string buffer_;
};
