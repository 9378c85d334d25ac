#include <cstdio>

#include "app/app_state.h"

std::string FormatInt(int value) {
    char str[512];
    std::snprintf(str, sizeof str, "%d", value);
    return std::string(str);
}
