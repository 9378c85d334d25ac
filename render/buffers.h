// The two 700 x 850 off-screen buffers: the workspace buffer keeps the
// reachable cloud of the current depth, the front buffer is where every frame
// is composed before the message loop copies it into the window.
#pragma once

#include "platform/win32.h"

// The program's main window, owned and set by the application (app/winmain.cpp);
// null while it is being created, which is when the buffers are made.
extern HWND hWnd;

extern HDC frontDC;
extern HDC workspaceDC;
extern HBITMAP frontBMP;
extern HBITMAP workspaceBMP;
extern int bufferWidth;
extern int bufferHeight;

void CreateFrontBuffer();
void CreateWorkspaceBuffer();
void ClearFrontBuffer();
void ClearWorkspaceBuffer();
BOOL CopyWorkspaceToFront(HDC source, HDC destination);
void PresentFrame();
