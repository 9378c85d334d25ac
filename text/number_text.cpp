#include "text/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace {

bool SpellsNonFinite(const char* begin, const char* end) {
    if (begin != end && (*begin == '-' || *begin == '+')) ++begin;
    std::string word(begin, end);
    for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return word == "inf" || word == "infinity" || word == "nan";
}

template <typename Number>
NumberText ReadText(const char* begin, const char* end, Number& value) {
    const char* start = begin;
    // from_chars takes a leading '-' but not a '+'.
    if (start != end && *start == '+') {
        ++start;
        if (start != end && *start == '-') return NumberText::NotANumber;
    }
    Number parsed = 0;
    auto result = std::from_chars(start, end, parsed, std::chars_format::general);
    if (result.ptr != end || start == end) {
        return SpellsNonFinite(begin, end) ? NumberText::NotFinite : NumberText::NotANumber;
    }
    if (result.ec == std::errc::result_out_of_range) {
        // A well-formed number: only its size is left to tell. strtold
        // needs a terminated copy.
        std::string copy(start, end);
        long double wide = std::strtold(copy.c_str(), nullptr);
        if (std::fabs(wide) > std::numeric_limits<Number>::max()) return NumberText::OutOfRange;
        value = std::signbit(wide) ? -Number(0) : Number(0);
        return NumberText::Number;
    }
    if (result.ec != std::errc()) return NumberText::NotANumber;
    if (!std::isfinite(parsed)) return NumberText::NotFinite;
    value = parsed;
    return NumberText::Number;
}

}  // namespace

NumberText ReadFloatText(const char* begin, const char* end, float& value) {
    return ReadText(begin, end, value);
}

NumberText ReadDoubleText(const char* begin, const char* end, double& value) {
    return ReadText(begin, end, value);
}

NumberText ReadFloatText(const std::string& text, float& value) {
    return ReadText(text.data(), text.data() + text.size(), value);
}

char* WriteFloatText(char* out, float value) {
    return std::to_chars(out, out + kNumberTextRoom, value).ptr;
}

char* WriteDoubleText(char* out, double value) {
    return std::to_chars(out, out + kNumberTextRoom, value).ptr;
}

std::string FloatText(float value) {
    if (!std::isfinite(value)) return "null";
    char buffer[kNumberTextRoom];
    return std::string(buffer, WriteFloatText(buffer, value));
}

std::string DoubleText(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[kNumberTextRoom];
    return std::string(buffer, WriteDoubleText(buffer, value));
}
