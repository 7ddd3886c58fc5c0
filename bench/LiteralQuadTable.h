#pragma once
#include "world/MyOptimizedQuadHashTable.h"

// A sector's quad table that removes hidden faces and merges with the plain
// pairwise algorithm, then draws what is left as the table does: the
// baseline the benchmarks measure the table against. It takes none of the
// table's shortcuts: a sector hands it every face.
class LiteralQuadTable : public MyOptimizedQuadHashTable {
public:
    LiteralQuadTable(int32_t blockWidth, int32_t blockHeight)
            : MyOptimizedQuadHashTable(blockWidth, blockHeight, nullptr, Shortcuts::none()) {}
    void compile(GLContext& gl) override;
    // Hidden faces and merging only, without drawing.
    void mergeOnly();
};
