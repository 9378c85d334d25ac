#include "volume/cloud_writers.h"

#include <charconv>
#include <cstring>

#include "text/number_text.h"
#include "volume/margin_ramp.h"

namespace {

// A float's bytes, least significant first, whatever the host's order.
char* PutFloat(char* at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int k = 0; k < 4; ++k) *at++ = static_cast<char>(bits >> (8 * k) & 0xff);
    return at;
}

bool WriteAll(FILE* out, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
}

}  // namespace

D3DXVECTOR3 TurnedUp(CloudUp up, float x, float y, float z) {
    switch (up) {
    case CloudUp::Y: return D3DXVECTOR3(x, -y, -z);
    case CloudUp::Z: return D3DXVECTOR3(x, z, -y);
    case CloudUp::Window: break;
    }
    return D3DXVECTOR3(x, y, z);
}

PlyWriter::PlyWriter(FILE* out, uint64_t vertices, bool margins, const std::string& comment, CloudUp up)
    : out_(out), vertices_(vertices), margins_(margins), up_(up) {
    std::string header = "ply\nformat binary_little_endian 1.0\ncomment " + comment + "\nelement vertex " +
                         std::to_string(vertices) + "\nproperty float x\nproperty float y\nproperty float z\n";
    if (margins) header += "property uchar scalar_margin\nproperty uchar red\nproperty uchar green\nproperty uchar blue\n";
    header += "end_header\n";
    failed_ = !WriteAll(out_, header);
}

bool PlyWriter::TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) {
    const size_t size = margins_ ? 16 : 12;
    buffer_.resize(points.size() * size);
    char* at = &buffer_[0];
    for (size_t i = 0; i < points.size(); ++i) {
        const D3DXVECTOR3 p = TurnedUp(up_, points[i].x, points[i].y, z);
        at = PutFloat(PutFloat(PutFloat(at, p.x), p.y), p.z);
        if (margins_) {
            const MarginColour c = MarginRampColour(margins[i]);
            *at++ = static_cast<char>(margins[i]);
            *at++ = static_cast<char>(c.red);
            *at++ = static_cast<char>(c.green);
            *at++ = static_cast<char>(c.blue);
        }
    }
    written_ += points.size();
    failed_ = failed_ || !WriteAll(out_, buffer_);
    return !failed_;
}

bool PlyWriter::Finish() const {
    return !failed_ && written_ == vertices_;
}

CsvWriter::CsvWriter(FILE* out, bool margins, CloudUp up) : out_(out), margins_(margins), up_(up) {
    failed_ = !WriteAll(out_, margins ? "x,y,z,margin\n" : "x,y,z\n");
}

bool CsvWriter::TakeSlice(float z, const PointList& points, const std::vector<uint8_t>& margins) {
    // Three floats of at most 15 characters each, a margin of at most 3
    // and four separators, and room for the last to_chars bound.
    buffer_.resize(points.size() * 56 + 64);
    char* at = &buffer_[0];
    char zText[32];
    const size_t zLength = static_cast<size_t>(WriteFloatText(zText, z) - zText);
    for (size_t i = 0; i < points.size(); ++i) {
        if (up_ == CloudUp::Window) {
            // The slice's depth is the same text on every line.
            at = WriteFloatText(at, points[i].x);
            *at++ = ',';
            at = WriteFloatText(at, points[i].y);
            *at++ = ',';
            std::memcpy(at, zText, zLength);
            at += zLength;
        } else {
            const D3DXVECTOR3 p = TurnedUp(up_, points[i].x, points[i].y, z);
            at = WriteFloatText(at, p.x);
            *at++ = ',';
            at = WriteFloatText(at, p.y);
            *at++ = ',';
            at = WriteFloatText(at, p.z);
        }
        if (margins_) {
            *at++ = ',';
            at = std::to_chars(at, at + 4, static_cast<int>(margins[i])).ptr;
        }
        *at++ = '\n';
    }
    buffer_.resize(static_cast<size_t>(at - buffer_.data()));
    failed_ = failed_ || !WriteAll(out_, buffer_);
    return !failed_;
}
