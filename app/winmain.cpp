#include <cstdio>

#include "app/app_state.h"
#include "app/window.h"
#include "render/buffers.h"

HINSTANCE hInstance = nullptr;
HWND hWnd = nullptr;

void RegisterMainClass() {
    WNDCLASSA wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // A system colour is given as its index plus one.
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWTEXT + 1));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = "Tavrin";
    RegisterClassA(&wc);
}

HWND CreateMainWindow() {
    return CreateWindowExA(0, "Tavrin", "Tavrin FrontView", WS_OVERLAPPEDWINDOW, 50, 50, 700, 850, nullptr,
                           nullptr, hInstance, nullptr);
}

void ReportCreateFailure() {
    MessageBoxA(nullptr, "CreateWindow - Failed", nullptr, MB_OK);
}

void RunMessageLoop() {
    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            PresentFrame();
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    hInstance = instance;
    RegisterMainClass();
    hWnd = CreateMainWindow();
    if (hWnd == nullptr) {
        ReportCreateFailure();
        return 0;
    }
    ShowWindow(hWnd, showCommand);
    UpdateWindow(hWnd);
    RunMessageLoop();
    // The buffers' failure messages end no line; make sure they are out.
    std::fflush(stdout);
    return 0;
}
