// The two 700 x 850 off-screen buffers: the workspace buffer keeps the
// reachable cloud of the current depth, the front buffer is where every frame
// is composed before it is copied into the window.
#pragma once

#include "platform/win32.h"

class FrameBuffers {
public:
    // Both buffers take the pixel format of the reference DC. The window
    // makes them while it is being created, before its handle is stored, and
    // hands the screen's DC (GetDC(nullptr)). A buffer that cannot be made is
    // reported and left null, which every later GDI call simply refuses.
    explicit FrameBuffers(HDC reference);
    ~FrameBuffers();
    FrameBuffers(const FrameBuffers&) = delete;
    FrameBuffers& operator=(const FrameBuffers&) = delete;

    HDC frontDC = nullptr;
    HDC workspaceDC = nullptr;
    int bufferWidth = 700;
    int bufferHeight = 850;

    void ClearFrontBuffer();
    void ClearWorkspaceBuffer();
    BOOL CopyWorkspaceToFront();
    // Copies the front buffer into the window's client area.
    void PresentFrame(HWND window);

private:
    void CreateBuffer(HDC reference, HBITMAP& bitmap, HDC& dc);
    void ClearBuffer(HDC dc);

    HBITMAP frontBitmap_ = nullptr;
    HBITMAP workspaceBitmap_ = nullptr;
};
