// The fit of a servo from two marks and the range inside its end stops,
// exact to the microsecond, in the servo's own formula.
#include <string>

#include <gtest/gtest.h>

#include "controller/servo_fit.h"

namespace {

const JointRange kFullRange{0, 180};

TEST(ServoFitTest, TwoMarksGiveTheServoThatPutsThemBack) {
    const struct {
        CalibrationMark a, b;
        bool invert;
        int p0, p1;
        const char* why;
    } rows[] = {
        {{45, 1000}, {135, 2000}, false, 500, 2500, "rising"},
        {{135, 2000}, {45, 1000}, false, 500, 2500, "rising, marks in the other order"},
        {{45, 2000}, {135, 1000}, true, 500, 2500, "falling: mounted the other way round"},
        {{135, 1000}, {45, 2000}, true, 500, 2500, "falling, marks in the other order"},
        {{1, 1000}, {3, 1005}, false, 998, 1448, "997.5 and 1447.5: halves away from zero"},
        {{3, 1005}, {1, 1000}, false, 998, 1448, "the same from the other end"},
        {{50, 1523}, {130, 2311}, false, 1031, 2804, "9.85 us a degree: 1030.5 and 2803.5"},
    };
    for (const auto& r : rows) {
        ServoSetting fitted;
        fitted.channel = 4;
        std::string error;
        ASSERT_TRUE(FitServo(r.a, r.b, kFullRange, nullptr, fitted, error)) << r.why << ": " << error;
        EXPECT_EQ(r.invert, fitted.invert) << r.why;
        EXPECT_EQ(0, fitted.offset) << r.why;
        EXPECT_EQ(r.p0, fitted.pulseAtZero) << r.why;
        EXPECT_EQ(r.p1, fitted.pulseAtFull) << r.why;
        EXPECT_EQ(4, *fitted.channel) << r.why << ": the channel stays";
        // The fitted servo gives the marked pulses at the marked angles.
        EXPECT_NEAR(r.a.pulse, ServoFor(fitted, r.a.angle).microseconds, 1) << r.why;
        EXPECT_NEAR(r.b.pulse, ServoFor(fitted, r.b.angle).microseconds, 1) << r.why;
    }
}

TEST(ServoFitTest, MarksThatFitNoServoAreRefusedWithOneLine) {
    const PulseLimits ssc32{500, 2500};
    const struct {
        CalibrationMark a, b;
        const PulseLimits* limits;
        const char* error;
    } rows[] = {
        {{45, 1000}, {45, 2000}, nullptr, "both marks are at 45 degrees: two angles are needed"},
        {{45, 1500}, {135, 1500}, nullptr, "both marks have the pulse 1500 us: the joint did not move"},
        {{45, 1000}, {135, 1090}, nullptr, "the marks give 90 us over 90 degrees, not 2..50 us a degree: a mark on "
                                           "the wrong joint?"},
        {{45, 1000}, {55, 1510}, nullptr, "the marks give 510 us over 10 degrees, not 2..50 us a degree: a mark on "
                                          "the wrong joint?"},
        {{170, 100}, {180, 500}, nullptr, "the marks give pulses -6700 and 500 us at 0 and 180 degrees, beyond "
                                          "0..100000"},
        {{45, 900}, {135, 2100}, &ssc32, "the fitted pulses 300..2700 us over the angles 0..180 are beyond what the "
                                         "controller takes, 500..2500"},
    };
    for (const auto& r : rows) {
        ServoSetting fitted;
        std::string error;
        EXPECT_FALSE(FitServo(r.a, r.b, kFullRange, r.limits, fitted, error)) << r.error;
        EXPECT_EQ(r.error, error);
        EXPECT_EQ(500, fitted.pulseAtZero) << "nothing changed on a refusal";
    }
}

TEST(ServoFitTest, TheRangeSitsAWholeDegreeInsideEachStop) {
    ServoSetting rising;
    rising.pulseAtZero = 500;
    rising.pulseAtFull = 2500;
    ServoSetting falling = rising;
    falling.invert = true;
    const struct {
        const ServoSetting* servo;
        int small, large;
        JointRange range;
        const char* why;
    } rows[] = {
        {&rising, 600, 2400, {10, 170}, "stops at exactly 9 and 171 degrees"},
        {&rising, 611, 2389, {11, 169}, "9.99 and 170.01 degrees"},
        {&rising, 400, 2600, {0, 180}, "stops beyond the servo's travel: kept within 0..180"},
        {&falling, 2400, 600, {10, 170}, "inverted: the smallest angle has the largest pulse"},
    };
    for (const auto& r : rows) {
        JointRange range{-1, -1};
        std::string error;
        ASSERT_TRUE(RangeInsideStops(*r.servo, r.small, r.large, range, error)) << r.why << ": " << error;
        EXPECT_EQ(r.range.min, range.min) << r.why;
        EXPECT_EQ(r.range.max, range.max) << r.why;
    }
    JointRange range{1, 2};
    std::string error;
    EXPECT_FALSE(RangeInsideStops(rising, 2000, 1000, range, error));
    EXPECT_EQ("the stops leave no range: min 136 comes above max 44", error);
    EXPECT_EQ(1, range.min);
}

}  // namespace
