#pragma once
#include "world/OptimizedQuadHashTable.h"

// The quad table of the program's sectors: building-side textures (101 to
// 106) are stretched once over each whole quad instead of repeating per block.
class MyOptimizedQuadHashTable : public OptimizedQuadHashTable {
public:
    using OptimizedQuadHashTable::OptimizedQuadHashTable;
    // Faces are added, paired, merged and drawn as the base class does it
    // (only the coordinates differ), so its shortcuts hold here too.
    Vector2 texCoord(const QuadRecord& quad, int32_t vertex) const override;
};
