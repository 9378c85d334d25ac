#include "tools/ik_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

std::string Quote(const char* text) {
    std::string s(text);
    const size_t limit = 40;
    if (s.size() > limit) s = s.substr(0, limit) + "...";
    std::string quoted = "'";
    for (char c : s) quoted += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return quoted + "'";
}

Parsed ParseFloat(const char* text, float& value) {
    const char* begin = text;
    const char* end = text + std::strlen(text);
    // from_chars takes a leading '-' but not a '+'.
    if (*begin == '+') {
        ++begin;
        if (*begin == '-') return Parsed::NotANumber;
    }
    auto result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ptr != end || result.ptr == begin) return Parsed::NotANumber;
    if (result.ec == std::errc::result_out_of_range) {
        // The text is a well-formed number; only its size is left to tell.
        double wide = std::strtod(begin, nullptr);
        if (std::fabs(wide) > FLT_MAX) return Parsed::OutOfRange;
        value = std::copysign(0.0f, static_cast<float>(wide));
        return Parsed::Number;
    }
    if (result.ec != std::errc() || !std::isfinite(value)) return Parsed::NotANumber;
    return Parsed::Number;
}

std::string FloatText(float value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseNumbers(char** args, int count, std::vector<float>& numbers, std::string& error) {
    for (int i = 0; i < count; ++i) {
        float value = 0;
        switch (ParseFloat(args[i], value)) {
        case Parsed::Number: break;
        case Parsed::NotANumber: error = "not a finite number: " + Quote(args[i]); return false;
        case Parsed::OutOfRange: error = "beyond the float range: " + Quote(args[i]); return false;
        }
        numbers.push_back(value);
    }
    return true;
}
