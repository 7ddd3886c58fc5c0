#include "world/BlockCellIndex.h"

namespace {

constexpr size_t SmallestTable = 16;

}  // namespace

uint32_t BlockCellIndex::hashCell(int32_t x, int32_t y, int32_t z) {
    uint32_t h = static_cast<uint32_t>(x) * 0x9E3779B1u;
    h ^= static_cast<uint32_t>(y) * 0x85EBCA77u;
    h ^= static_cast<uint32_t>(z) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 13;
    return h;
}

void BlockCellIndex::invalidate() {
    std::vector<int32_t>().swap(slots);
    entries = 0;
    indexedCount = 0;
}

int32_t BlockCellIndex::lookup(const DynArray<MapBlock>& blocks, int32_t x, int32_t y,
                               int32_t z) const {
    if (slots.empty())
        return -1;
    const size_t mask = slots.size() - 1;
    for (size_t at = hashCell(x, y, z) & mask;; at = (at + 1) & mask) {
        const int32_t index = slots[at];
        if (index < 0)
            return -1;
        const MapBlock& block = blocks[index];
        if (block.x == x && block.y == y && block.z == z)
            return index;
    }
}

void BlockCellIndex::grow(const DynArray<MapBlock>& blocks) {
    size_t size = SmallestTable;
    while (size < static_cast<size_t>(entries + 1) * 2)
        size *= 2;
    if (size <= slots.size())
        return;
    std::vector<int32_t> old(size, -1);
    old.swap(slots);
    const size_t mask = slots.size() - 1;
    for (int32_t index : old) {
        if (index < 0)
            continue;
        const MapBlock& block = blocks[index];
        size_t at = hashCell(block.x, block.y, block.z) & mask;
        while (slots[at] >= 0)
            at = (at + 1) & mask;
        slots[at] = index;
    }
}

void BlockCellIndex::insert(const DynArray<MapBlock>& blocks, int32_t index) {
    const MapBlock& block = blocks[index];
    // A later record of a cell that already has one is never found first.
    if (lookup(blocks, block.x, block.y, block.z) >= 0)
        return;
    grow(blocks);
    const size_t mask = slots.size() - 1;
    size_t at = hashCell(block.x, block.y, block.z) & mask;
    while (slots[at] >= 0)
        at = (at + 1) & mask;
    slots[at] = index;
    ++entries;
}

void BlockCellIndex::rebuild(const DynArray<MapBlock>& blocks) {
    invalidate();
    for (int32_t i = 0; i < blocks.count(); ++i)
        insert(blocks, i);
    indexedCount = blocks.count();
}

int32_t BlockCellIndex::find(const DynArray<MapBlock>& blocks, int32_t x, int32_t y, int32_t z) {
    if (blocks.count() < indexedCount) {
        rebuild(blocks);
    } else {
        for (; indexedCount < blocks.count(); ++indexedCount)
            insert(blocks, indexedCount);
    }
    return lookup(blocks, x, y, z);
}
