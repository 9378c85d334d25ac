// What a servo is sent for a solved angle: its degrees after inverting and
// the offset, and the pulse width p0 + (p1 - p0) * degrees / 180 rounded to
// the nearest microsecond, halves away from zero, for rising and falling
// pulse ranges alike.
#include <gtest/gtest.h>

#include "kinematics/leg_description.h"

namespace {

TEST(ServoForTest, PulseWidthIsTheWholeSumRoundedHalfAwayFromZero) {
    const struct {
        ServoSetting servo;
        int angle;
        int degrees;
        int microseconds;
        const char* why;
    } rows[] = {
        {{false, 0, 500, 2500, std::nullopt}, 90, 90, 1500, "the default servo, centred"},
        {{false, 0, 500, 2500, std::nullopt}, 0, 0, 500, "one end"},
        {{false, 0, 500, 2500, std::nullopt}, 180, 180, 2500, "the other end"},
        {{false, 0, 500, 2500, std::nullopt}, 1, 1, 511, "2000 / 180 = 11.1"},
        {{true, 0, 500, 2500, std::nullopt}, 30, 150, 2167, "inverted: 180 - 30"},
        {{false, -10, 1000, 2000, std::nullopt}, 51, 41, 1228, "offset: 1000 + 1000 * 41 / 180 = 1227.8"},
        {{false, 0, 2500, 501, std::nullopt}, 90, 90, 1501, "falling range, exactly half: 1500.5 goes up"},
        {{false, 0, 1, 0, std::nullopt}, 90, 90, 1, "falling by one: 0.5 goes up"},
        {{false, 0, 99999, 0, std::nullopt}, 90, 90, 50000, "falling, large: 49999.5 goes up"},
        {{false, 0, 0, 1, std::nullopt}, 90, 90, 1, "rising by one: 0.5 goes up"},
        {{false, 0, 2500, 500, std::nullopt}, 1, 1, 2489, "falling: 2488.9"},
        {{false, 0, 100000, 0, std::nullopt}, 180, 180, 0, "the largest pulse, falling to zero"},
    };
    for (const auto& r : rows) {
        ServoCommand command = ServoFor(r.servo, r.angle);
        EXPECT_EQ(r.degrees, command.degrees) << r.why;
        EXPECT_EQ(r.microseconds, command.microseconds) << r.why;
    }
}

}  // namespace
