#pragma once
#include "world/MyOptimizedQuadHashTable.h"

// A sector's quad table that removes hidden faces and merges with the plain
// pairwise algorithm, then draws what is left as the table does: the
// baseline the benchmarks measure the table against.
class LiteralQuadTable : public MyOptimizedQuadHashTable {
public:
    using MyOptimizedQuadHashTable::MyOptimizedQuadHashTable;
    void compile(GLContext& gl) override;
    // Hidden faces and merging only, without drawing.
    void mergeOnly();
};
