// The backends, for the code that chooses among them (backend.cpp) and the
// test hooks above it.
#pragma once

#include "platform/user_internal.h"

namespace tavrin {

// Windows in memory only: nothing is shown and no device sends events.
const Backend& HeadlessBackend();
// Real windows through SDL2.
const Backend& SdlBackend();

// The largest TAVRIN_SCALE: screen pixels per program pixel on each axis.
constexpr int kMaxPresentationScale = 8;

}  // namespace tavrin
