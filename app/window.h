// The main window and the program's entry: class "Tavrin", window
// "Tavrin FrontView", and the message loop that presents the front buffer
// whenever the queue is empty.
#pragma once

#include "platform/win32.h"
#include "render/buffers.h"  // hWnd, which the buffers need too

extern HINSTANCE hInstance;

// The steps of WinMain, in the order it runs them.
void RegisterMainClass();
HWND CreateMainWindow();
void ReportCreateFailure();
// Runs until WM_QUIT; never waits for a message.
void RunMessageLoop();
