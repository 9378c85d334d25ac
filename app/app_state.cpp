#include "app/app_state.h"

namespace {

// The start values, written once: the state begins with them and a reset
// puts them back. The default leg's target and scale follow from its reach
// of 25: (10, 15, 0) and 15 pixels per unit.
const D3DXVECTOR3 kStartTarget(10, 15, 0);
const D3DXVECTOR3 kOrigin(250, 400, 0);
const D3DXVECTOR3 kScale(15, 15, 15);

}  // namespace

AppState::AppState() : origin(kOrigin), scale(kScale), target(kStartTarget), lastValidTarget(kStartTarget) {}

AppState app;

int64_t AppState::Now() const {
    return clock ? clock() : static_cast<int64_t>(GetTickCount());
}

void UseLeg(const LegDescription& description) {
    app.legDescription = description;
    const double reach = description.Reach();
    float pixelsPerUnit = 375.0f / static_cast<float>(description.Reach());
    app.scale = D3DXVECTOR3(pixelsPerUnit, pixelsPerUnit, pixelsPerUnit);
    app.target = D3DXVECTOR3(static_cast<float>(2.0 * reach / 5.0), static_cast<float>(3.0 * reach / 5.0), 0);
    app.lastValidTarget = app.target;
    app.haveValidTarget = false;
}

void ResetApplicationState() {
    delete app.leg;
    delete app.buffers;
    if (app.link) app.link->Close();
    app = AppState();
    UseLeg(LegDescription{});
}
