// Model units to frame pixels, one axis at a time, the one mapping of the
// cloud, the margin cloud, the leg's joints and the pointer: the product
// and the sum each rounded to float (never fused), truncated toward zero
// where a whole pixel is needed; and back from a pixel the pointer is on.
#pragma once

#include "kinematics/d3dx_vector3.h"
#include "kinematics/truncate.h"

struct PixelAxis {
    float scale;   // pixels per model unit
    float origin;  // the frame position of model 0
    float Frame(float v) const { return v * scale + origin; }
    int Pixel(float v) const { return TruncateToInt(Frame(v)); }
    float Model(int pixel) const { return (static_cast<float>(pixel) - origin) / scale; }
};

// A point in the frame: each coordinate on its own axis.
inline D3DXVECTOR3 FramePoint(const D3DXVECTOR3& model, const D3DXVECTOR3& scale, const D3DXVECTOR3& origin) {
    return D3DXVECTOR3(PixelAxis{scale.x, origin.x}.Frame(model.x), PixelAxis{scale.y, origin.y}.Frame(model.y),
                       PixelAxis{scale.z, origin.z}.Frame(model.z));
}
