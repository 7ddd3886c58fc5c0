#pragma once
#include <cstdint>

#include "world/BlockGrid.h"
#include "world/QuadRecord.h"

class OptimizedQuadHashTable;
struct QuadScratch;

// The quad table's greedy merge of one bucket, pass after pass until a pass
// merges nothing: in each pass every live record in order absorbs every
// later live record that the table's canMerge joins to its rectangle as it
// grows. Records absorbed are marked dead, not removed.
class QuadMerge {
public:
    QuadMerge(const OptimizedQuadHashTable& table, const BlockGrid& grid, QuadScratch& scratch);

    void mergeBucket(QuadRecord* records, int32_t count);

    // Rebuilds the four vertices from min and max with the winding the table
    // gives quads of that axis and orientation, starting at the smallest
    // corner.
    static void rewriteVertices(QuadRecord& quad);

private:
    const OptimizedQuadHashTable& table;
    const BlockGrid grid;
    QuadScratch& scratch;
};
