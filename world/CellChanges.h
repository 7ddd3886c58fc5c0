#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/MapBlock.h"

// Many block cells changed in one go, as plain data: the distinct states the
// cells took or left (faces and used flag; the cell fields are unused), and
// for each changed cell its sector (an index into the map's list), its cell
// in that sector and the states before and after. Applying the cells in
// order with their after states, or in reverse order with their before
// states, replays or undoes the change.
struct CellChanges {
    // A cell with no record at all.
    static constexpr uint32_t NoRecord = 0xFFFFFFFFu;

    struct Cell {
        int32_t sector;
        int16_t x, y, z;  // sectors are at most 1000 cells on an edge
        uint32_t before;  // index into states, or NoRecord
        uint32_t after;
    };

    std::vector<MapBlock> states;
    std::vector<Cell> cells;

    bool empty() const { return cells.empty(); }
    size_t bytes() const {
        return states.capacity() * sizeof(MapBlock) + cells.capacity() * sizeof(Cell);
    }
};
