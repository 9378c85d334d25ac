#include "tools/large_output.h"

#include <cstdio>

namespace {

std::string BytesText(double bytes) {
    const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB"};
    int unit = 0;
    while (bytes >= 1000 && unit < 5) {
        bytes /= 1000;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.3g %s", bytes, units[unit]);
    return text;
}

}  // namespace

std::string LargeOutputRefusal(uint64_t count, const char* items, double bytesPerItem, bool allowed) {
    const double bytes = static_cast<double>(count) * bytesPerItem;
    if (allowed || (count <= kLargeOutputItems && bytes <= kLargeOutputBytes)) return "";
    return "the output would be " + std::to_string(count) + " " + items + ", about " + BytesText(bytes) +
           "; above " + std::to_string(kLargeOutputItems) + " " + items + " or " + BytesText(kLargeOutputBytes) +
           ", " + kYesLargeOption + " writes it";
}
