// Group moves for the pacing tests, each pose its own so that what arrives
// names what was submitted, and all 26 bytes long: 28 ms at 9,600 baud.
#pragma once

#include <string>

#include "controller/commands.h"

inline std::string TestMove(int pose) {
    return Ssc32GroupMove({{0, 1000 + pose % 1000}, {1, 1500}, {2, 2000 - pose / 1000 % 1000}}, 100);
}
