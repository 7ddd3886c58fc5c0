#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "world/CellChanges.h"
#include "world/MapBlock.h"

class TamoMap;

// The cells an edit writes, as the history keeps them: each distinct cell
// state once (neighbouring cells mostly share one), and each cell written
// with its states before and after. A limit on the cells logged stops an
// edit that would change too many: the write that passes it throws.
class ChangeLog {
public:
    // Thrown by add when the logged cells would pass the limit.
    class LimitReached : public std::runtime_error {
    public:
        LimitReached() : std::runtime_error("too many cell changes") {}
    };

    // The state index of a cell's record (NoRecord for none).
    uint32_t stateOf(const MapBlock* record);
    // Logs one cell write; a write that changes nothing is not logged.
    void add(int32_t sector, int32_t x, int32_t y, int32_t z, uint32_t before, uint32_t after);
    bool pending() const { return !changes.cells.empty(); }
    size_t cellCount() const { return changes.cells.size(); }
    size_t bytes() const { return changes.bytes() + seen.size() * 48; }
    void reserve(size_t cells) { changes.cells.reserve(cells); }
    void setLimit(size_t cells) { limit = cells; }
    // Puts every logged cell back as it was before, last first, without
    // reporting it, and forgets them.
    void revert(TamoMap& map);
    // Keeps one entry per cell written more than once: its state before the
    // first write and after the last, dropped when they are the same. An
    // undo or a shared city's take-back then meets each cell once.
    void mergeRepeatedCells();
    // The changes logged so far, the log emptied.
    CellChanges take();

private:
    static bool same(const MapBlock& a, const MapBlock& b);
    static uint64_t hash(const MapBlock& block);

    CellChanges changes;
    std::unordered_map<uint64_t, std::vector<uint32_t>> seen;
    uint32_t last = CellChanges::NoRecord;
    size_t limit = SIZE_MAX;
};
