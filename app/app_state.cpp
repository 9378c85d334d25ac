#include "app/app_state.h"

namespace {

// The start values, written once: the globals begin with them and a reset
// puts them back. The default leg's target and scale follow from its reach
// of 25: (10, 15, 0) and 15 pixels per unit.
const D3DXVECTOR3 kStartTarget(10, 15, 0);
const D3DXVECTOR3 kOrigin(250, 400, 0);
const D3DXVECTOR3 kScale(15, 15, 15);

}  // namespace

D3DXVECTOR3 target = kStartTarget;
D3DXVECTOR3 lastValidTarget = kStartTarget;
D3DXVECTOR3 origin = kOrigin;
D3DXVECTOR3 scale = kScale;
bool dragging = false;
Leg* leg = nullptr;
LegDescription legDescription;
bool haveValidTarget = false;
bool showAngles = false;

void UseLeg(const LegDescription& description) {
    legDescription = description;
    const double reach = description.Reach();
    float pixelsPerUnit = 375.0f / static_cast<float>(description.Reach());
    scale = D3DXVECTOR3(pixelsPerUnit, pixelsPerUnit, pixelsPerUnit);
    target = D3DXVECTOR3(static_cast<float>(2.0 * reach / 5.0), static_cast<float>(3.0 * reach / 5.0), 0);
    lastValidTarget = target;
    haveValidTarget = false;
}

void ResetApplicationState() {
    UseLeg(LegDescription{});
    origin = kOrigin;
    dragging = false;
    showAngles = false;
    delete leg;
    leg = nullptr;
}
