#pragma once
// The plain front-to-back search of a sector's block records: the oracle the
// hashed lookup is compared with.
#include <cstddef>
#include <cstdint>

#include "platform/DynArray.h"
#include "world/MapBlock.h"

namespace literal {

// Index of the first record with these cell indices (used or removed), or -1.
inline int32_t findBlockIndex(const DynArray<MapBlock>& blocks, int32_t x, int32_t y, int32_t z) {
    for (int32_t i = 0; i < blocks.count(); ++i) {
        const MapBlock& b = blocks[i];
        if (b.x == x && b.y == y && b.z == z)
            return i;
    }
    return -1;
}

}  // namespace literal
