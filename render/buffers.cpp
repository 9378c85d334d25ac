#include "render/buffers.h"

#include <cstdio>


HDC frontDC = nullptr;
HDC workspaceDC = nullptr;
HBITMAP frontBMP = nullptr;
HBITMAP workspaceBMP = nullptr;
int bufferWidth = 0;
int bufferHeight = 0;

namespace {

// The buffers are made inside the window's create handler, before hWnd is
// stored, so GetDC(hWnd) still gives the screen and the buffers take its
// pixel format. A failure is reported and start-up goes on with the null
// handle, which every later GDI call simply refuses.
void CreateBuffer(HBITMAP& bitmap, HDC& dc) {
    bufferWidth = 700;
    bufferHeight = 850;
    HDC screen = GetDC(hWnd);
    bitmap = CreateCompatibleBitmap(screen, bufferWidth, bufferHeight);
    if (bitmap == nullptr) std::printf("failed to create backBufferBMP");
    dc = CreateCompatibleDC(screen);
    if (dc == nullptr) std::printf("failed to create the backDC");
    HGDIOBJ initialBitmap = SelectObject(dc, bitmap);
    DeleteObject(initialBitmap);
    ReleaseDC(hWnd, screen);
}

// Black brush fill; the outline uses the context's initial black pen, so the
// whole buffer ends up black.
void ClearBuffer(HDC dc) {
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    HGDIOBJ previous = SelectObject(dc, black);
    Rectangle(dc, 0, 0, bufferWidth, bufferHeight);
    SelectObject(dc, previous);
}

}  // namespace

void CreateFrontBuffer() { CreateBuffer(frontBMP, frontDC); }
void CreateWorkspaceBuffer() { CreateBuffer(workspaceBMP, workspaceDC); }
void ClearFrontBuffer() { ClearBuffer(frontDC); }
void ClearWorkspaceBuffer() { ClearBuffer(workspaceDC); }

BOOL CopyWorkspaceToFront(HDC source, HDC destination) {
    return BitBlt(destination, 0, 0, bufferWidth, bufferHeight, source, 0, 0, SRCCOPY);
}

void PresentFrame() {
    HDC window = GetDC(hWnd);
    BitBlt(window, 0, 0, bufferWidth, bufferHeight, frontDC, 0, 0, SRCCOPY);
    ReleaseDC(hWnd, window);
}
