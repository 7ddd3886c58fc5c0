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

inline const TestFaceCorners faceCorners[6] = {
    {{0, 0, 0}, {1, 0, 1}, 1}, {{0, 1, 0}, {1, 1, 1}, 0}, {{0, 1, 0}, {0, 0, 1}, 0},
    {{1, 1, 1}, {1, 0, 0}, 1}, {{0, 1, 0}, {1, 0, 0}, 0}, {{1, 1, 1}, {0, 0, 1}, 1},
};
