#include "app/app_state.h"

namespace {

// The start values, written once: the globals begin with them and a reset
// puts them back.
const D3DXVECTOR3 kStartTarget(10, 15, 0);
const D3DXVECTOR3 kStartLastValidTarget(0, 0, 0);
const D3DXVECTOR3 kOrigin(250, 400, 0);
const D3DXVECTOR3 kScale(15, 15, 15);

}  // namespace

D3DXVECTOR3 target = kStartTarget;
D3DXVECTOR3 lastValidTarget = kStartLastValidTarget;
D3DXVECTOR3 origin = kOrigin;
D3DXVECTOR3 scale = kScale;
bool dragging = false;
Leg* leg = nullptr;

void ResetApplicationState() {
    target = kStartTarget;
    lastValidTarget = kStartLastValidTarget;
    origin = kOrigin;
    scale = kScale;
    dragging = false;
    delete leg;
    leg = nullptr;
}
