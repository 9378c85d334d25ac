// The margin ramp: its stops, what lies between them, and that it stays
// readable under the common colour blindness.
#include <cmath>

#include <gtest/gtest.h>

#include "volume/margin_ramp.h"

namespace {

struct Rgb {
    int red, green, blue;
};

Rgb Of(int margin) {
    MarginColour c = MarginRampColour(margin);
    return Rgb{c.red, c.green, c.blue};
}

#define EXPECT_COLOUR(r, g, b, margin)                                                           \
    do {                                                                                         \
        Rgb c = Of(margin);                                                                      \
        EXPECT_TRUE(c.red == (r) && c.green == (g) && c.blue == (b))                             \
            << "margin " << (margin) << ": " << c.red << "," << c.green << "," << c.blue;         \
    } while (0)

TEST(MarginRampTest, StopsBetweenAndBeyond) {
    EXPECT_COLOUR(230, 20, 20, 0);    // red at an end stop
    EXPECT_COLOUR(255, 120, 0, 5);    // orange
    EXPECT_COLOUR(250, 225, 40, 11);  // yellow
    EXPECT_COLOUR(40, 160, 120, 19);  // blue-leaning green
    EXPECT_COLOUR(0, 32, 20, 30);     // the window's cloud green, 0x142000
    EXPECT_COLOUR(0, 32, 20, 31);
    EXPECT_COLOUR(0, 32, 20, 90);
    EXPECT_COLOUR(230, 20, 20, -4);
    // Between stops, each channel by a straight line rounded to nearest:
    // 230 + 25 * 2/5 = 240, 20 + 100 * 2/5 = 60, 20 - 20 * 2/5 = 12.
    EXPECT_COLOUR(240, 60, 12, 2);
    // 250 - 210 * 3/8 = 171.25, 225 - 65 * 3/8 = 200.6, 40 + 80 * 3/8 = 70.
    EXPECT_COLOUR(171, 201, 70, 14);
}

// From one margin to the next no channel jumps: the ramp is smooth enough
// that neighbouring degrees look alike and distant ones do not.
TEST(MarginRampTest, NeighbouringMarginsChangeByLittle) {
    for (int m = 0; m < kMarginRampTop; ++m) {
        Rgb a = Of(m), b = Of(m + 1);
        EXPECT_LE(std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue), 60) << m;
    }
}

// CIE L*a*b* of a linear-light RGB, D65.
struct Lab {
    double l, a, b;
};

double Linear(int channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Lab ToLab(const double rgb[3]) {
    double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.9505;
    double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.089;
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    return Lab{116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The colour as someone with the given dichromacy sees it: Machado, Oliveira
// and Fernandes' simulation at full severity, on linear RGB.
Lab Seen(Rgb c, const double (&m)[3][3]) {
    const double in[3] = {Linear(c.red), Linear(c.green), Linear(c.blue)};
    double out[3];
    for (int i = 0; i < 3; ++i) {
        double v = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
        out[i] = std::min(1.0, std::max(0.0, v));
    }
    return ToLab(out);
}

double Difference(Lab p, Lab q) {
    return std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) + (p.b - q.b) * (p.b - q.b));
}

TEST(MarginRampTest, AnEndStopStaysApartUnderColourBlindness) {
    const double normal[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const double protanopia[3][3] = {
        {0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}};
    const double deuteranopia[3][3] = {
        {0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}};
    const double tritanopia[3][3] = {
        {1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}};
    const struct {
        const char* name;
        const double (&matrix)[3][3];
    } visions[] = {{"normal", normal}, {"protanopia", protanopia}, {"deuteranopia", deuteranopia},
                   {"tritanopia", tritanopia}};
    const Lab black = {0, 0, 0};
    for (const auto& vision : visions) {
        const Lab atStop = Seen(Of(0), vision.matrix);
        // A difference of 20 is plain at a glance; 2 is about the least one sees.
        for (int m = 10; m <= kMarginRampTop; ++m) {
            EXPECT_GT(Difference(atStop, Seen(Of(m), vision.matrix)), 20.0) << vision.name << ", margin " << m;
        }
        // Every margin short of the top reads on the black background.
        for (int m = 0; m < kMarginRampTop - 5; ++m) {
            EXPECT_GT(Seen(Of(m), vision.matrix).l, 30.0) << vision.name << ", margin " << m;
        }
        EXPECT_GT(Difference(black, Seen(Of(kMarginRampTop), vision.matrix)), 5.0) << vision.name;
    }
}

}  // namespace
