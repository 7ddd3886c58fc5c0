#pragma once
#include <cstdint>

#include "platform/Vector3.h"

// The block grid of a sector's quads. A coordinate that is a whole,
// non-negative multiple of its axis's block size (the width across, the
// height up), below largestIndex blocks, has a grid index; any other value is
// off the grid. Each index stands for exactly one float value, so equal
// indices mean equal coordinates: a dense table over the grid (one slot per
// grid point) finds equal points without hashing.
class BlockGrid {
public:
    static constexpr int32_t LargestIndex = 4096;

    BlockGrid(int32_t blockWidth, int32_t blockHeight);

    // False when the block sizes give no grid.
    bool usable() const;

    // Grid index of a coordinate on axis 0 (x), 1 (y) or 2 (z), or -1 off
    // the grid. The nearest index is found through the reciprocal and then
    // checked exactly.
    int32_t index(float value, int axis) const {
        const float quotient = value * inverse[axis];
        if (!(value >= 0.0f) || !(quotient < static_cast<float>(LargestIndex)))
            return -1;
        const int32_t i = static_cast<int32_t>(quotient + 0.5f);
        return static_cast<float>(i) * cell[axis] == value ? i : -1;
    }

    // The three indices of a point into at, each of high raised to cover
    // them; false (at partly written) when the point is off the grid.
    bool place(const Vector3& point, int32_t* at, int32_t high[3]) const {
        const float coordinate[3] = {point.x, point.y, point.z};
        for (int axis = 0; axis < 3; ++axis) {
            at[axis] = index(coordinate[axis], axis);
            if (at[axis] < 0)
                return false;
            if (at[axis] > high[axis])
                high[axis] = at[axis];
        }
        return true;
    }

    // Whether a dense table of slots pays for entries entries. Sparse
    // entries over a wide grid cost less memory hashed (or listed).
    static bool worthDense(int64_t slots, int64_t entries) { return slots <= entries * 8 + 65536; }

private:
    float cell[3];
    float inverse[3];
};
