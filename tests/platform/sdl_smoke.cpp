// Smoke test of the SDL2 backend under a virtual X display with no window
// manager: a real window opens at the asked place and size, paints, takes a
// presented frame, and closes through the message loop.
#include <chrono>
#include <cstdio>

#include "platform/test_hooks.h"
#include "platform/win32.h"

namespace {

int created = 0, painted = 0, destroyed = 0;

LRESULT CALLBACK SmokeProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: ++created; return 0;
    case WM_PAINT: ++painted; break;
    case WM_DESTROY: ++destroyed; PostQuitMessage(7); return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

int Fail(const char* what) {
    std::printf("FAIL: %s\n", what);
    return 1;
}

}  // namespace

int main() {
    TavrinResetForTests();
    if (TavrinIsHeadless()) return Fail("the SDL2 backend did not start");
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SmokeProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "TavrinSmoke";
    if (!RegisterClassA(&wc)) return Fail("RegisterClassA");
    HWND hWnd = CreateWindowExA(0, "TavrinSmoke", "Tavrin smoke", WS_OVERLAPPEDWINDOW, 50, 60, 320, 240,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hWnd || created != 1) return Fail("CreateWindowExA");
    ShowWindow(hWnd, SW_SHOWNORMAL);
    UpdateWindow(hWnd);
    if (painted != 1) return Fail("UpdateWindow did not paint");

    // Without a window manager there are no decorations: the outer frame is
    // exactly what was asked for.
    RECT rc;
    GetWindowRect(hWnd, &rc);
    if (rc.left != 50 || rc.top != 60 || rc.right != 370 || rc.bottom != 300) {
        std::printf("window rect %d %d %d %d\n", rc.left, rc.top, rc.right, rc.bottom);
        return Fail("GetWindowRect");
    }

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 320, 240);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ReleaseDC(nullptr, screen);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(memory, pen);
    MoveToEx(memory, 10, 10, nullptr);
    LineTo(memory, 200, 150);
    SelectObject(memory, oldPen);
    DeleteObject(pen);

    // A second of the program's loop: present whenever idle.
    MSG msg;
    int presents = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < until) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        HDC window = GetDC(hWnd);
        BitBlt(window, 0, 0, 320, 240, memory, 0, 0, SRCCOPY);
        ReleaseDC(hWnd, window);
        ++presents;
    }
    int width = 0, height = 0;
    const uint32_t* pixels = TavrinWindowPixels(hWnd, &width, &height);
    if (!pixels || presents == 0 || pixels[static_cast<size_t>(10) * width + 10] != 0xFF0000u) {
        return Fail("the frame did not reach the window");
    }

    DestroyWindow(hWnd);
    int exitCode = -1;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) exitCode = static_cast<int>(msg.wParam);
    }
    if (destroyed != 1 || exitCode != 7 || IsWindow(hWnd)) return Fail("closing");
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    std::printf("SDL2 window: created, painted, %d presentations, closed\n", presents);
    return 0;
}
