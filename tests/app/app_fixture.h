// Runs the program headless in the test's process: the real window class,
// window procedure and buffers, with input injected the way the platform
// delivers it and messages pumped as the loop does.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/window.h"
#include "render/leg.h"
#include "platform/test_hooks.h"
#include "platform/win32.h"

// Frame colours as GetPixel reports them.
const COLORREF kBlack = 0x000000;
const COLORREF kRed = 0x0000FF;
const COLORREF kBlue = 0xFF0000;
const COLORREF kCloud = 0x142000;
const COLORREF kGrey = 0x969696;

const COLORREF kWhite = 0xFFFFFF;

using PixelSet = std::set<std::pair<int, int>>;

// Right edge (exclusive) of the white text box that starts at x in rows
// [top, top + 16) of dc, or x when there is none.
int TextBoxRight(HDC dc, int x, int top);
// Width of the box that TextOutA gives text with the default font, measured
// the same way on a scratch buffer.
int TextBoxWidth(const char* text);

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Dispatches every waiting message, then presents once, like one turn of
    // the loop that has found the queue empty. Returns false on WM_QUIT.
    bool Pump();
    void TapKey(int vk);
    void Mouse(UINT message, int x, int y, WPARAM flags);
    COLORREF Front(int x, int y) const { return GetPixel(app.buffers->frontDC, x, y); }
    // A hash of every pixel of the front buffer.
    uint64_t FrontHash() const;
    // The pixels the cloud of the leg's current list covers.
    PixelSet CloudPixels() const;
    // The cloud pixels seen in the front buffer.
    PixelSet FrontCloudPixels() const;

    bool quit = false;
    // The leg and the angle rows the window opens with.
    LegDescription legToShow;
    bool anglesShown = false;
    // When not empty, the program's command line, applied as WinMain does
    // instead of legToShow and anglesShown.
    std::string commandLine;
    // The program's clock, when the test keeps time itself.
    int64_t (*clock)() = nullptr;
};
