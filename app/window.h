// The main window and the program's entry: class "Tavrin", window
// "Tavrin FrontView", and the message loop that presents the front buffer
// whenever the queue is empty.
#pragma once

#include "platform/win32.h"

// WinMain's exit status when the command line or the leg file is refused.
const int kBadCommandLine = 2;

// The steps of WinMain, in the order it runs them. The command line is
// applied first, and refused with one line before any window opens; --help
// prints the usage and ends the program.
enum class StartupAction { Run, Exit, Refuse };
StartupAction ApplyCommandLine(const char* commandLine);
void RegisterMainClass();
HWND CreateMainWindow();
void ReportCreateFailure();
// Runs until WM_QUIT; never waits for a message.
void RunMessageLoop();
