#pragma once
#include <cstdint>

// What the last frame drew of the world, of how much there was: sectors
// whose display lists were called and the quads in those lists.
struct DrawCounts {
    int32_t sectorsDrawn = 0;
    int32_t sectorsTotal = 0;
    int64_t quadsDrawn = 0;
    int64_t quadsTotal = 0;
};
