#pragma once
#include <cstdint>

#include "world/BlockGrid.h"
#include "world/QuadRecord.h"

class OptimizedQuadHashTable;
struct QuadScratch;

// The quad table's removal of hidden pairs from one bucket: each live record
// in order, with the first later live record that the table's coincide
// pairs it with, both go. Only records on one square can pair, so the
// records are grouped by square and each group is walked in record order,
// which pairs exactly as comparing every later record would. The grouping
// takes the cheapest way that applies: a dense grid of squares for the usual
// bucket (faces of one axis on the block grid, facing two ways), an index of
// square points for other buckets of one axis, and every pair for a bucket
// of mixed axes.
class HiddenFaceRemoval {
public:
    HiddenFaceRemoval(const OptimizedQuadHashTable& table, const BlockGrid& grid,
                      QuadScratch& scratch);

    void removeFrom(QuadRecord* records, int32_t count);

private:
    bool removeOnGrid(QuadRecord* records, int32_t count);
    void removeIndexed(QuadRecord* records, int32_t count);
    void removePairwise(QuadRecord* records, int32_t count);
    void pairWithinSquare(QuadRecord* records, const int32_t* first, const int32_t* last);

    const OptimizedQuadHashTable& table;
    const BlockGrid grid;
    QuadScratch& scratch;
};
