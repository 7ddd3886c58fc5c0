#pragma once
// The plan view of a sector as first written: the records in level order
// every frame (sorted afresh, a copy, so that the sector stays as it was),
// then each cell drawn on its own (its own 2D mode, state saved and restored
// per cell). The oracle the batched plan view is compared with.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include <GL/gl.h>

#include "world/PlanView.h"
#include "world/TamoSector.h"
#include "world/WorldSettings.h"

namespace literal {

inline void drawPlan(TamoSector& sector, const WorldSettings& core, const PlanView& plan) {
    std::vector<int32_t> order(static_cast<size_t>(sector.blocks.count()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int32_t a, int32_t b) { return sector.blocks[a].y < sector.blocks[b].y; });
    const float w = static_cast<float>(core.blockWidth);
    const float h = static_cast<float>(core.blockHeight);
    const float p = static_cast<float>(core.planCellSize);
    const float levelLocal = static_cast<float>(plan.level) - sector.origin.y / h;
    const float sx0 = p * std::floor(sector.origin.x / w) - plan.scrollX;
    const float sy0 = p * std::floor(sector.origin.z / w) - plan.scrollY;
    for (const int32_t i : order) {
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
