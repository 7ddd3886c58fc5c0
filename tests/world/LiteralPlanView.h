#pragma once
// The plan view of a sector as first written: sort the records by level
// every frame, then draw each cell on its own (its own 2D mode, state saved
// and restored per cell). The oracle the batched plan view is compared with.
#include <algorithm>
#include <cmath>

#include <GL/gl.h>

#include "world/TamoSector.h"
#include "world/WorldSettings.h"

namespace literal {

inline void drawPlan(TamoSector& sector, const WorldSettings& core) {
    std::stable_sort(sector.blocks.begin(), sector.blocks.end(),
                     [](const MapBlock& a, const MapBlock& b) { return a.y < b.y; });
    const float w = static_cast<float>(core.blockWidth);
    const float h = static_cast<float>(core.blockHeight);
    const float p = static_cast<float>(core.planCellSize);
    const float levelLocal = static_cast<float>(core.currentLevel) - sector.origin.y / h;
    const float sx0 = p * std::floor(sector.origin.x / w) - core.planScrollX;
    const float sy0 = p * std::floor(sector.origin.z / w) - core.planScrollY;
    for (int32_t i = 0; i < sector.blocks.count(); ++i) {
        const MapBlock& block = sector.blocks[i];
        if (!block.used)
            continue;
        if (static_cast<float>(block.y) > levelLocal)
            break;
        sector.drawPlanCell(i, levelLocal, sx0, sy0);
    }
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

}  // namespace literal
