// Outputs are sized before they are written: one that passes a sane size
// is refused with its count and size unless the user asks for it with
// --yes-large, so that a typo in a time or a step never starts hundreds of
// gigabytes without a word.
#pragma once

#include <cstdint>
#include <string>

constexpr uint64_t kLargeOutputItems = 100000000;
constexpr double kLargeOutputBytes = 2e9;
constexpr const char* kYesLargeOption = "--yes-large";

// Empty when count items of about bytesPerItem each may be written without
// asking; otherwise the one-line refusal, e.g. "the cloud would be 16900000000
// vertices, about 203 GB; above 100000000 vertices or 2 GB, --yes-large
// writes it".
std::string LargeOutputRefusal(uint64_t count, const char* items, double bytesPerItem, bool allowed);
