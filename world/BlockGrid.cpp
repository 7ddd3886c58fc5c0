#include "world/BlockGrid.h"

#include <cmath>

BlockGrid::BlockGrid(int32_t blockWidth, int32_t blockHeight)
        : cell{static_cast<float>(blockWidth), static_cast<float>(blockHeight),
               static_cast<float>(blockWidth)},
          inverse{1.0f / cell[0], 1.0f / cell[1], 1.0f / cell[2]} {}

bool BlockGrid::usable() const {
    return cell[0] > 0.0f && cell[1] > 0.0f && std::isfinite(inverse[0]) &&
           std::isfinite(inverse[1]);
}
