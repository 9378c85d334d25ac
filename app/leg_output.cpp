#include "app/leg_output.h"

#include "app/title.h"
#include "controller/commands.h"

bool OpenController(AppState& state, std::string& error) {
    if (!state.controller) return true;
    state.link = std::make_unique<ControllerLink>();
    if (state.link->Open(*state.controller, error)) return true;
    state.link.reset();
    return false;
}

void HandOnDrawnPose(HWND window, AppState& state) {
    // While calibrating only the selected servo is commanded.
    if (!state.calibration.active) SendDrawnPose(state);
    ShowTitle(window, state);
}

void SendDrawnPose(AppState& state) {
    if (!state.link || !state.haveValidTarget || !state.leg) return;
    std::string command = CommandFor(*state.controller, state.leg->description, state.leg->solved);
    if (command == state.lastCommand) return;
    state.lastCommand = command;
    state.link->Submit(std::move(command));
    state.link->Poll(state.Now());
}

bool PollController(AppState& state) {
    if (!state.link) return false;
    const int64_t due = state.link->NextWakeMs();
    const bool lostBefore = state.link->Lost();
    const int64_t now = state.Now();
    if (due >= 0 && now >= due) state.link->Poll(now);
    return state.link->Lost() != lostBefore;
}

void CloseController(AppState& state) {
    if (state.link) state.link->Close();
}
