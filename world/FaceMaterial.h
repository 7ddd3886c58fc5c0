#pragma once
#include <cstdint>

// The look of one block face: GL texture name, texture offset in blocks,
// quarter turns of the texture and blocks per texture repeat. Stored in map
// files as 15 bytes in this field order.
struct FaceMaterial {
    int32_t texture = 0;
    int32_t offsetU = 0;
    int32_t offsetV = 0;
    uint8_t rotation = 0;
    int8_t scaleU = 1;
    int8_t scaleV = 1;

    bool operator==(const FaceMaterial& o) const {
        return texture == o.texture && offsetU == o.offsetU && offsetV == o.offsetV &&
               rotation == o.rotation && scaleU == o.scaleU && scaleV == o.scaleV;
    }
    bool operator!=(const FaceMaterial& o) const { return !(*this == o); }
};
