#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "app/leg_output.h"
#include "app/motion.h"
#include "app/options.h"
#include "app/window.h"
#include "legfile/leg_file.h"

void RegisterMainClass() {
    WNDCLASSA wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = app.hInstance;
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
                           nullptr, app.hInstance, nullptr);
}

void ReportCreateFailure() {
    MessageBoxA(nullptr, "CreateWindow - Failed", nullptr, MB_OK);
}

// Sleeps until a message comes or the next turn of the loop is due; with
// nothing due, until a message comes. A message posted on this turn ends
// the wait at once.
void WaitForMessageOrDeadline() {
    DWORD timeout = INFINITE;
    const int64_t due = NextLoopDeadlineMs(app);
    if (due >= 0) {
        const int64_t left = due - app.Now();
        if (left <= 0) return;
        timeout = static_cast<DWORD>(std::min<int64_t>(left, INFINITE - 1));
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout, QS_ALLINPUT);
}

// Messages one at a time; when the queue is empty, the front buffer is
// shown if a message may have changed it (or the window needs it again
// after it was uncovered or resized), what is due on the loop's turns is
// done, and the loop sleeps until there is more to do.
void RunMessageLoop() {
    MSG msg;
    bool frameToShow = true;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            frameToShow = true;
            continue;
        }
        if (frameToShow) {
            app.buffers->PresentFrame(app.hWnd);
            frameToShow = false;
        }
        OnLoopTurn(app.hWnd);
        WaitForMessageOrDeadline();
    }
}

void ReportStartupError(const std::string& what) {
    std::string text = "tavrin: " + what;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    // A Windows program started from the desktop has no standard error to
    // print to: there the message shows in a box.
    HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    if (standardError == nullptr || standardError == reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1))) {
        MessageBoxA(nullptr, text.c_str(), "Tavrin FrontView", MB_OK | MB_ICONERROR);
    }
}

// The usage on standard output, or in a box where there is none.
void ShowUsage() {
    std::fputs(kUsage, stdout);
    std::fflush(stdout);
    HANDLE standardOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    if (standardOutput == nullptr || standardOutput == reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1))) {
        MessageBoxA(nullptr, kUsage, "Tavrin FrontView", MB_OK);
    }
}

StartupAction ApplyCommandLine(const char* commandLine) {
    AppOptions options;
    std::string error;
    LegDescription description;
    if (!ParseOptions(commandLine, options, error)) {
        ReportStartupError(error);
        return StartupAction::Refuse;
    }
    if (options.help) {
        ShowUsage();
        return StartupAction::Exit;
    }
    LegSetup setup;
    if (!options.legFile.empty() && !ReadLegFile(options.legFile, setup, error)) {
        ReportStartupError(error);
        return StartupAction::Refuse;
    }
    description = setup.leg;
    if (!options.playFile.empty() && !LoadPlayFile(app, options.playFile, error)) {
        ReportStartupError(error);
        return StartupAction::Refuse;
    }
    if (setup.controller && !options.noController) {
        app.controller = setup.controller;
        if (!options.port.empty()) app.controller->port = options.port;
    }
    if (!options.port.empty() && !app.controller) {
        ReportStartupError("--port needs a leg file with a [controller] section");
        return StartupAction::Refuse;
    }
    // Only a build whose start-up code does not scale windows leaves --scale
    // to the program.
    if (options.scale > 0) {
        std::fprintf(stderr, "tavrin: --scale %d: this build leaves scaling to the system's display settings\n",
                     options.scale);
    }
    UseLeg(description);
    app.showAngles = options.showAngles;
    app.marginMode = options.margin;
    app.recordFile = options.recordFile;
    app.legFile = options.legFile;
    if (!OpenController(app, error)) {
        ReportStartupError(error);
        return StartupAction::Refuse;
    }
    return StartupAction::Run;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    app.hInstance = instance;
    switch (ApplyCommandLine(commandLine)) {
    case StartupAction::Refuse: return kBadCommandLine;
    case StartupAction::Exit: return 0;
    case StartupAction::Run: break;
    }
    RegisterMainClass();
    app.hWnd = CreateMainWindow();
    if (app.hWnd == nullptr) {
        ReportCreateFailure();
        return 0;
    }
    ShowWindow(app.hWnd, showCommand);
    UpdateWindow(app.hWnd);
    RunMessageLoop();
    SaveRecordingAtExit(app);
    CloseController(app);
    // The buffers' failure messages end no line; make sure they are out.
    std::fflush(stdout);
    return 0;
}
