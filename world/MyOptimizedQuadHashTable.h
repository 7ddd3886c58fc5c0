#pragma once
#include "world/OptimizedQuadHashTable.h"

// The quad table of the program's sectors: building-side textures (101 to
// 106) are stretched once over each whole quad instead of repeating per block.
class MyOptimizedQuadHashTable : public OptimizedQuadHashTable {
public:
    using OptimizedQuadHashTable::OptimizedQuadHashTable;
    Vector2 texCoord(const QuadRecord& quad, int32_t vertex) const override;
    // Faces are added and paired as the base class does it.
    bool acceptsVisibleFacesOnly(int32_t cells) const override;
    // Quads are merged as the base class merges them.
    bool mergesByCorners() const override;
    // Quads are drawn as the base class draws them.
    bool drawsAsQuadArrays() const override;
};
