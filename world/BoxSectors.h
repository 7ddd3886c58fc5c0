#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/CellBox.h"

class TamoMap;

// Which sector holds each cell of a box, worked out once for the whole box
// rather than by a search of the sector list per cell: a cell belongs to the
// first sector in the map's list whose box holds the cell's centre, as a
// click on that cell would find it. A cell no sector holds gets the sector
// a click creates for it, when asked to.
class BoxSectors {
public:
    // For boxes within CellBox::MaxCells; throws std::bad_alloc when there is
    // no room for the table.
    BoxSectors(TamoMap& map, const CellBox& box);

    // The sector holding world cell (x, y, z) of the box and the cell within
    // it; with create, a sector is made for a cell none holds. False when
    // there is none (or none could be made).
    bool locate(int32_t x, int32_t y, int32_t z, bool create, int32_t* sector, int32_t* cx,
                int32_t* cy, int32_t* cz);
    // How many cells of the box sector index holds (0 for one never met).
    int64_t cellsOf(int32_t index) const;

private:
    // Gives sector index the cells of the box whose centre it holds and that
    // no earlier sector holds.
    void claim(int32_t index);
    size_t slotOf(int32_t x, int32_t y, int32_t z) const;

    TamoMap& map;
    CellBox box;
    int32_t blockWidth;
    int32_t blockHeight;
    std::vector<int32_t> owner;    // per cell of the box, y then z then x: sector index or -1
    std::vector<int64_t> claimed;  // per sector index: the cells claim gave it
};
