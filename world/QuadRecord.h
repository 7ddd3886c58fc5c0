#pragma once
#include <algorithm>
#include <cstdint>

#include "platform/Vector3.h"

// One face quad of the quad table, in world units relative to the sector
// origin. Vertices run counter-clockwise seen from the side the quad faces.
struct QuadRecord {
    Vector3 q[4];
    Vector3 min;
    Vector3 max;
    int32_t texture = 0;
    int32_t offsetU = 0;
    int32_t offsetV = 0;
    uint8_t rotation = 0;
    int8_t scaleU = 1;
    int8_t scaleV = 1;
    // 0: horizontal (constant y), 1: constant x, 2: constant z.
    uint8_t axis = 0;
    // Which way the quad faces; the two sides of a wall between touching
    // blocks differ in it.
    uint8_t orientation = 0;
    uint8_t alive = 1;
};

// Per coordinate the smaller and the larger of two corners: a quad's bounds.
inline Vector3 componentMin(const Vector3& a, const Vector3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

inline Vector3 componentMax(const Vector3& a, const Vector3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}
