#pragma once
#include <cstdint>

// The look of one block face: GL texture name, texture offset in blocks,
// quarter turns of the texture and blocks per texture repeat. Stored in map
// files as 15 bytes in this field order.
//
// A scale is 1 to 127 blocks per repeat, or -127 to -1 for the same with the
// picture mirrored along that axis (fit sets those where a turn alone would
// show a picture mirrored). 0 and -128 are no scale: a repeat's size in
// blocks, |scale|, must fit the byte.
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

    static constexpr int32_t MostScale = 127;
    // Whether value is a scale as above: the one check of every material
    // that comes from a file, the network, a journal or a script.
    static constexpr bool validScale(int64_t value) {
        return value != 0 && value >= -MostScale && value <= MostScale;
    }
    bool scalesValid() const { return validScale(scaleU) && validScale(scaleV); }
};
