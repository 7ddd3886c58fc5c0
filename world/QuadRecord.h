#pragma once
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
