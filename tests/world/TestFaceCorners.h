#pragma once
#include <cstdint>

#include "platform/Vector3.h"

// The corners and orientation a sector passes to its quad table for faces 0
// to 5 of the block at the origin, written out independently of the sector
// code so that tests can build faces the way a sector does.
struct TestFaceCorners {
    Vector3 p1;
    Vector3 p2;
    int32_t orientation;
};

inline const TestFaceCorners FaceCorners[6] = {
    {{0, 0, 0}, {1, 0, 1}, 1}, {{0, 1, 0}, {1, 1, 1}, 0}, {{0, 1, 0}, {0, 0, 1}, 0},
    {{1, 1, 1}, {1, 0, 0}, 1}, {{0, 1, 0}, {1, 0, 0}, 0}, {{1, 1, 1}, {0, 0, 1}, 1},
};

// The material arguments of an addFace call; by default texture 100, unturned,
// with no offset and one repeat per block.
struct TestFaceMaterial {
    int32_t texture = 100;
    int32_t offsetU = 0;
    int32_t offsetV = 0;
    int32_t rotation = 0;
    int32_t scaleU = 1;
    int32_t scaleV = 1;
};
