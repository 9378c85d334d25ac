// The backends, for the code that chooses among them (backend.cpp) and the
// test hooks above it.
#pragma once

#include "platform/user_internal.h"

namespace tavrin {

// Windows in memory only: nothing is shown and no device sends events.
const Backend& HeadlessBackend();
// Real windows through SDL2.
const Backend& SdlBackend();

// The largest presentation scale: screen pixels per program pixel on each axis.
constexpr int kMaxPresentationScale = 8;

// Every pixel of the program's windows shows as factor x factor screen
// pixels (1 to kMaxPresentationScale); 0 lets the display choose. Set by
// the start-up code before the first window.
void SetPresentationScale(int factor);

// The backend this process runs on: windows in memory when TAVRIN_HEADLESS=1
// asks for them, otherwise real windows on the display the environment
// names. A program whose window nobody could see would run on unseen, at
// full speed and deaf to its close button, so when there is no display, or
// it will not open, the first window ends the process with a message that
// begins with programName.
const Backend& ChooseBackend(const char* programName);

// The name that ChooseBackend was given, for the backends' messages.
const char* ProgramName();

}  // namespace tavrin
