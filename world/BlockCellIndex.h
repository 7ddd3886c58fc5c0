#pragma once
#include <cstdint>
#include <vector>

#include "platform/DynArray.h"
#include "world/MapBlock.h"

// Finds the record of a block cell in constant time: an open-addressing hash
// table of record indices keyed by the record's own cell (x, y, z). Only the
// indices are stored (the keys are read back from the records), so memory is
// a few bytes per record whatever the sector's size. Where several records
// share a cell, the one with the lowest index is found, as a front-to-back
// search of the records would find it.
class BlockCellIndex {
public:
    // Index of the first record of blocks with this cell, or -1. Records
    // appended since the last call are taken in first; fewer records than
    // were indexed rebuild the table. Reordering the records needs invalidate.
    int32_t find(const DynArray<MapBlock>& blocks, int32_t x, int32_t y, int32_t z);
    // Forget everything; the next find indexes the records afresh (after the
    // records were reordered).
    void invalidate();

private:
    static uint32_t hashCell(int32_t x, int32_t y, int32_t z);
    void rebuild(const DynArray<MapBlock>& blocks);
    void insert(const DynArray<MapBlock>& blocks, int32_t index);
    void grow(const DynArray<MapBlock>& blocks);
    int32_t lookup(const DynArray<MapBlock>& blocks, int32_t x, int32_t y, int32_t z) const;

    std::vector<int32_t> slots;  // record index, or -1 for an empty slot
    int32_t entries = 0;
    int32_t indexedCount = 0;  // records 0 to indexedCount - 1 are in the table
};
