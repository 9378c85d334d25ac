// A position or per-axis factor of three 32-bit floats, in model units or
// pixels depending on where it is used.
#pragma once

struct D3DXVECTOR3 {
    float x;
    float y;
    float z;

    // Left unset, like the plain record it stands for; every owner that
    // keeps one initialises it.
    D3DXVECTOR3() = default;
    D3DXVECTOR3(float x, float y, float z) : x(x), y(y), z(z) {}

    // Componentwise float sum, each component rounded on its own.
    D3DXVECTOR3 operator+(const D3DXVECTOR3& other) const {
        return D3DXVECTOR3(x + other.x, y + other.y, z + other.z);
    }
};
