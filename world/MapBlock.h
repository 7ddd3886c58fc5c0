#pragma once
#include <cstdint>

#include "world/FaceMaterial.h"

// Face numbers of a block: bottom, top, the sides at x = 0 and x = 1, the
// sides at z = 0 and z = 1.
enum BlockFace : int32_t {
    FaceBottom = 0,
    FaceTop = 1,
    FaceLeftX = 2,
    FaceRightX = 3,
    FaceFrontZ = 4,
    FaceBackZ = 5,
    BlockFaceCount = 6
};

// One block cell of a sector. A removed block keeps its record with used
// false, so placing a block in the same cell again reuses it.
struct MapBlock {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    FaceMaterial faces[BlockFaceCount];
    bool used = false;
};
