#include "app/title.h"

#include <vector>

namespace {

// Until some target has solved no leg is drawn; the title says why.
std::string MissingLegNote(const AppState& state) {
    if (state.haveValidTarget || !state.leg) return {};
    if (state.leg->workspaceReady && state.leg->workspace.empty()) return "nothing is reachable at this depth";
    return "the start target is out of reach";
}

}  // namespace

std::string WindowTitle(const AppState& state) {
    std::string title = "Tavrin FrontView";
    const std::string controllerNote = state.link ? state.link->Title() : std::string();
    for (const std::string& note : {MissingLegNote(state), controllerNote, state.calibration.note, state.pathNote}) {
        if (!note.empty()) title += kTitleDash + note;
    }
    return title;
}

void ShowTitle(HWND window, const AppState& state) {
    // Room for one character more than the title: a longer one differs.
    const std::string title = WindowTitle(state);
    std::string shown(title.size() + 2, '\0');
    int length = GetWindowTextA(window, &shown[0], static_cast<int>(shown.size()));
    if (length >= 0 && title == shown.substr(0, static_cast<size_t>(length))) return;
    SetWindowTextA(window, title.c_str());
}
