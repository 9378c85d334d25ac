// The writers' bytes, read back here; the command's tests read whole clouds
// with NumPy.
#include <cstdio>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "volume/cloud_writers.h"
#include "volume/margin_ramp.h"

namespace {

std::string Contents(FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

const PointList kPoints = {D3DXVECTOR3(-1.5f, 0.25f, 0), D3DXVECTOR3(3, -0.1f, 0)};
const std::vector<uint8_t> kMargins = {0, 42};

TEST(PlyWriterTest, HeaderAndLittleEndianVertices) {
    FILE* f = std::tmpfile();
    ASSERT_NE(nullptr, f);
    PlyWriter ply(f, 4, true, "a test cloud");
    EXPECT_TRUE(ply.TakeSlice(2.5f, kPoints, kMargins));
    EXPECT_FALSE(ply.Finish()) << "two of the four promised vertices";
    EXPECT_TRUE(ply.TakeSlice(-0.0f, kPoints, kMargins));
    EXPECT_TRUE(ply.Finish());
    const std::string text = Contents(f);
    std::fclose(f);
    const std::string header =
        "ply\nformat binary_little_endian 1.0\ncomment a test cloud\nelement vertex 4\n"
        "property float x\nproperty float y\nproperty float z\n"
        "property uchar scalar_margin\nproperty uchar red\nproperty uchar green\nproperty uchar blue\nend_header\n";
    ASSERT_EQ(header.size() + 4 * 16, text.size());
    EXPECT_EQ(header, text.substr(0, header.size()));
    // -1.5f is 0xbfc00000, 2.5f 0x40200000, -0.0f 0x80000000: lowest byte first.
    const unsigned char first[16] = {0, 0, 0xc0, 0xbf, 0, 0, 0x80, 0x3e, 0, 0, 0x20, 0x40, 0, 230, 20, 20};
    EXPECT_EQ(0, std::memcmp(first, text.data() + header.size(), 16));
    const MarginColour top = MarginRampColour(42);
    const unsigned char last[16] = {0, 0, 0x40, 0x40, 0xcd, 0xcc, 0xcc, 0xbd, 0, 0, 0, 0x80, 42, top.red, top.green,
                                    top.blue};
    EXPECT_EQ(0, std::memcmp(last, text.data() + text.size() - 16, 16));
}

TEST(PlyWriterTest, WithoutMarginsTwelveBytesAVertex) {
    FILE* f = std::tmpfile();
    ASSERT_NE(nullptr, f);
    PlyWriter ply(f, 2, false, "plain");
    EXPECT_TRUE(ply.TakeSlice(1, kPoints, {}));
    EXPECT_TRUE(ply.Finish());
    const std::string text = Contents(f);
    std::fclose(f);
    EXPECT_EQ(std::string::npos, text.find("margin"));
    EXPECT_EQ(text.find("end_header\n") + 11 + 2 * 12, text.size());
}

TEST(CsvWriterTest, ShortestFloatsAndMargins) {
    for (bool margins : {false, true}) {
        FILE* f = std::tmpfile();
        ASSERT_NE(nullptr, f);
        CsvWriter csv(f, margins);
        EXPECT_TRUE(csv.TakeSlice(2.5f, kPoints, margins ? kMargins : std::vector<uint8_t>{}));
        EXPECT_TRUE(csv.TakeSlice(-0.0f, {}, {}));
        EXPECT_TRUE(csv.Finish());
        const std::string text = Contents(f);
        std::fclose(f);
        EXPECT_EQ(margins ? "x,y,z,margin\n-1.5,0.25,2.5,0\n3,-0.1,2.5,42\n" : "x,y,z\n-1.5,0.25,2.5\n3,-0.1,2.5\n",
                  text);
    }
}

// A full disk: the writers say so, and the sweep is told to stop.
TEST(CloudWritersTest, AFullDeviceFails) {
    FILE* full = std::fopen("/dev/full", "wb");
    if (!full) GTEST_SKIP() << "no /dev/full here";
    std::setvbuf(full, nullptr, _IONBF, 0);
    PlyWriter ply(full, 2, false, "x");
    EXPECT_FALSE(ply.TakeSlice(0, kPoints, {}));
    EXPECT_FALSE(ply.Finish());
    CsvWriter csv(full, false);
    EXPECT_FALSE(csv.TakeSlice(0, kPoints, {}));
    EXPECT_FALSE(csv.Finish());
    std::fclose(full);
}

}  // namespace
