// The main window's title: "Tavrin FrontView", and after a dash what the
// program wants the user to know (why no leg is drawn, and later where
// poses go or what is being recorded).
#pragma once

#include <string>

#include "app/app_state.h"

// The dash between the name and a note, in the code page that the A calls
// take (1252): an em dash.
constexpr char kTitleDash[] = " \x97 ";

// The title for the state as it is now.
std::string WindowTitle(const AppState& state);

// Sets the window's title when it differs from the one it has.
void ShowTitle(HWND window, const AppState& state);
