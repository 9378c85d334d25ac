// Text in and out shared by every command, file and message: what a message
// shows of hostile text, and numbers read and written back.
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "text/number_text.h"
#include "text/quote.h"

namespace {

TEST(QuoteTest, ShowsHostileTextOnOneLineOfSensibleLength) {
    const struct {
        std::string text;
        std::string shown;
        const char* why;
    } rows[] = {
        {"COM7", "'COM7'", "plain"},
        {"/dev/tty\x1b[2J\n", "'/dev/tty?[2J?'", "escape and newline"},
        {"caf\xc3\xa9", "'caf\xc3\xa9'", "UTF-8 shows as it stands"},
        {"a\xc2\x85" "b", "'aU+0085b'", "a C1 control"},
        {"a\xe2\x80\x8b" "b", "'aU+200Bb'", "an invisible mark"},
        {"\xff\xfe" "x", "'U+00FFU+00FEx'", "bytes that are not UTF-8, one by one"},
        {"\xc3" "A", "'U+00C3A'", "a lead byte without its continuation keeps the next character"},
        {std::string(50, 'x'), "'" + std::string(40, 'x') + "...'", "cut after 40 characters"},
        {std::string(40, 'x'), "'" + std::string(40, 'x') + "'", "exactly 40 stays whole"},
    };
    for (const auto& r : rows) EXPECT_EQ(r.shown, Quote(r.text)) << r.why;
}

TEST(NumberTextTest, ReadsDecimalsOnlyAndKnowsTheFloatRange) {
    const struct {
        const char* text;
        NumberText result;
        float value;
    } rows[] = {
        {"1.5", NumberText::Number, 1.5f},
        {"+2", NumberText::Number, 2.0f},
        {"-0", NumberText::Number, -0.0f},
        {"1e-50", NumberText::Number, 0.0f},
        {"1e39", NumberText::OutOfRange, 0.0f},
        {"-1e39", NumberText::OutOfRange, 0.0f},
        {"inf", NumberText::NotFinite, 0.0f},
        {"-NaN", NumberText::NotFinite, 0.0f},
        {"0x10", NumberText::NotANumber, 0.0f},
        {"+-1", NumberText::NotANumber, 0.0f},
        {"", NumberText::NotANumber, 0.0f},
        {"1 ", NumberText::NotANumber, 0.0f},
    };
    for (const auto& r : rows) {
        float value = 0.0f;
        EXPECT_EQ(r.result, ReadFloatText(r.text, value)) << r.text;
        if (r.result == NumberText::Number) {
            EXPECT_EQ(r.value, value) << r.text;
        }
    }
}

TEST(NumberTextTest, TheShortestTextReadsBackBitForBit) {
    for (float v : {0.1f, 1.0f / 3.0f, -1e-30f, 3.4028235e38f, 1.4e-45f}) {
        float back = 0.0f;
        ASSERT_EQ(NumberText::Number, ReadFloatText(FloatText(v), back)) << FloatText(v);
        EXPECT_EQ(v, back);
    }
    EXPECT_EQ("0.1", FloatText(0.1f));
    EXPECT_EQ("null", FloatText(std::numeric_limits<float>::infinity()));
    EXPECT_EQ("0.1", DoubleText(0.1));
}

}  // namespace
