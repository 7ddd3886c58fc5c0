#pragma once
#include <cstdint>

#include "platform/Vector3.h"

// A half-line in world units: where it starts and its unit direction.
struct Ray {
    Vector3 start;
    Vector3 direction;
};

// Where a ray met a used block: a point inside the block, and the index of
// the sector that holds it in the map's list (-1 for none).
struct BlockHit {
    Vector3 point;
    int32_t sector = -1;
};
