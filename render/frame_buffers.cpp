#include "render/frame_buffers.h"

#include <cstdio>

FrameBuffers::FrameBuffers(HDC reference) {
    CreateBuffer(reference, frontBitmap_, frontDC);
    CreateBuffer(reference, workspaceBitmap_, workspaceDC);
}

// The program keeps its buffers until it ends; tests that open many windows
// in one process give theirs back here: each DC first, then the bitmap it
// held selected.
FrameBuffers::~FrameBuffers() {
    if (frontDC) DeleteDC(frontDC);
    if (workspaceDC) DeleteDC(workspaceDC);
    if (frontBitmap_) DeleteObject(frontBitmap_);
    if (workspaceBitmap_) DeleteObject(workspaceBitmap_);
}

// The messages end no line, as they always have; the program flushes
// standard output when it ends.
void FrameBuffers::CreateBuffer(HDC reference, HBITMAP& bitmap, HDC& dc) {
    bitmap = CreateCompatibleBitmap(reference, bufferWidth, bufferHeight);
    if (bitmap == nullptr) std::printf("failed to create backBufferBMP");
    dc = CreateCompatibleDC(reference);
    if (dc == nullptr) std::printf("failed to create the backDC");
    HGDIOBJ initialBitmap = SelectObject(dc, bitmap);
    DeleteObject(initialBitmap);
}

// Black brush fill; the outline uses the context's initial black pen, so the
// whole buffer ends up black.
void FrameBuffers::ClearBuffer(HDC dc) {
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    HGDIOBJ previous = SelectObject(dc, black);
    Rectangle(dc, 0, 0, bufferWidth, bufferHeight);
    SelectObject(dc, previous);
}

void FrameBuffers::ClearFrontBuffer() { ClearBuffer(frontDC); }
void FrameBuffers::ClearWorkspaceBuffer() { ClearBuffer(workspaceDC); }

BOOL FrameBuffers::CopyWorkspaceToFront() {
    return BitBlt(frontDC, 0, 0, bufferWidth, bufferHeight, workspaceDC, 0, 0, SRCCOPY);
}

void FrameBuffers::PresentFrame(HWND window) {
    HDC dc = GetDC(window);
    BitBlt(dc, 0, 0, bufferWidth, bufferHeight, frontDC, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
}
