#include "app_fixture.h"

#include <cstring>

#include "tests/support/pixels.h"

#include "kinematics/truncate.h"

int TextBoxRight(HDC dc, int x, int top) {
    int right = x;
    for (int y = top; y < top + 16; ++y) {
        for (int px = x; px < x + 128; ++px) {
            if (GetPixel(dc, px, y) == kWhite && px + 1 > right) right = px + 1;
        }
    }
    return right;
}

int TextBoxWidth(const char* text) {
    MemoryCanvas scratch(200, 40, kBlack);
    TextOutA(scratch.dc, 10, 10, text, static_cast<int>(std::strlen(text)));
    return TextBoxRight(scratch.dc, 10, 10) - 10;
}

void AppTest::SetUp() {
    TavrinResetForTests();
    ResetApplicationState();
    app.clock = clock;
    if (commandLine.empty()) {
        UseLeg(legToShow);
        app.showAngles = anglesShown;
    } else {
        ASSERT_EQ(StartupAction::Run, ApplyCommandLine(commandLine.c_str()));
    }
    app.hWnd = nullptr;
    app.hInstance = GetModuleHandleA(nullptr);
    RegisterMainClass();
    app.hWnd = CreateMainWindow();
    ASSERT_NE(nullptr, app.hWnd);
    ShowWindow(app.hWnd, SW_SHOWNORMAL);
    UpdateWindow(app.hWnd);
    ASSERT_TRUE(Pump());
}

void AppTest::TearDown() {
    TavrinResetForTests();
    ResetApplicationState();
}

bool AppTest::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    app.buffers->PresentFrame(app.hWnd);
    return true;
}

void AppTest::TapKey(int vk) {
    TavrinInjectKey(vk, true);
    TavrinInjectKey(vk, false);
}

void AppTest::Mouse(UINT message, int x, int y, WPARAM flags) {
    TavrinInjectMouse(message, x, y, flags);
}

uint64_t AppTest::FrontHash() const { return PixelHash(app.buffers->frontDC, app.buffers->bufferWidth, app.buffers->bufferHeight); }

PixelSet AppTest::CloudPixels() const {
    PixelSet pixels;
    for (const D3DXVECTOR3& p : app.leg->workspace) {
        int x = TruncateToInt(p.x * app.scale.x + app.origin.x);
        int y = TruncateToInt(p.y * app.scale.y + app.origin.y);
        if (x >= 0 && y >= 0 && x < app.buffers->bufferWidth && y < app.buffers->bufferHeight) pixels.insert({x, y});
    }
    return pixels;
}

PixelSet AppTest::FrontCloudPixels() const {
    PixelSet pixels;
    for (int y = 0; y < app.buffers->bufferHeight; ++y) {
        for (int x = 0; x < app.buffers->bufferWidth; ++x) {
            if (GetPixel(app.buffers->frontDC, x, y) == kCloud) pixels.insert({x, y});
        }
    }
    return pixels;
}
