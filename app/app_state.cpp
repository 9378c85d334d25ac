#include "app/app_state.h"

D3DXVECTOR3 target(10, 15, 0);
D3DXVECTOR3 lastValidTarget(0, 0, 0);
D3DXVECTOR3 origin(250, 400, 0);
D3DXVECTOR3 scale(15, 15, 15);
bool dragging = false;
Leg* leg = nullptr;

void ResetApplicationState() {
    target = D3DXVECTOR3(10, 15, 0);
    lastValidTarget = D3DXVECTOR3(0, 0, 0);
    origin = D3DXVECTOR3(250, 400, 0);
    scale = D3DXVECTOR3(15, 15, 15);
    dragging = false;
    delete leg;
    leg = nullptr;
}
