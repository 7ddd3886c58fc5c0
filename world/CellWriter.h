#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "world/CellBox.h"
#include "world/MapBlock.h"

class BoxSectors;
class ChangeLog;
class TamoMap;

// One phase of an edit: cells written straight into the sectors and logged.
// A cell belongs to the first sector in the map's list that holds its
// centre; a block placed in a cell no sector holds creates the sector a
// click would. Each cell is written at most once per writer. The box loops
// visit cells in the order y, then z, then x, and return the blocks they
// placed, removed or changed.
class CellWriter {
public:
    // For the cells of box, located through a table of the box. With
    // fillsWhole, every cell of the box is written once: a sector that starts
    // empty gets room for all its cells of the box at once, and the log room
    // for every cell.
    CellWriter(TamoMap& map, const CellBox& box, ChangeLog& log, bool fillsWhole = false);
    // For scattered cells (a line, a shape's rows, one cell), each located
    // through the map's sector grid.
    CellWriter(TamoMap& map, ChangeLog& log);
    ~CellWriter();
    CellWriter(const CellWriter&) = delete;
    CellWriter& operator=(const CellWriter&) = delete;

    // The used block of a cell, or null.
    const MapBlock* blockAt(int32_t x, int32_t y, int32_t z);
    // Where the cell last found by blockAt lies: its sector's index and the
    // cell within that sector.
    int32_t foundSector() const { return sector; }
    void foundCell(int32_t* x, int32_t* y, int32_t* z) const { *x = cx, *y = cy, *z = cz; }
    // Gives the cell a used block with these faces, creating its sector as
    // a click would.
    bool place(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[BlockFaceCount]);
    // Removes the block of the cell last found by blockAt (its record stays).
    void removeFound();

    // Every cell of box gets a block of material on all six faces.
    int64_t fill(const CellBox& box, const FaceMaterial& material);
    // The cells on the box's faces get blocks of material; the inside is emptied.
    int64_t hollow(const CellBox& box, const FaceMaterial& material);
    // Every block of box goes.
    int64_t clear(const CellBox& box);
    // Every face of every block of box takes material.
    int64_t paint(const CellBox& box, const FaceMaterial& material);
    // Every face of box whose material equals from takes to.
    int64_t replace(const CellBox& box, const FaceMaterial& from, const FaceMaterial& to);

    // The used blocks of box, their cells relative to its lowest corner.
    std::vector<MapBlock> blocksOf(const CellBox& box);
    // The blocks (cells relative to x, y, z, each once) placed.
    int64_t put(const std::vector<MapBlock>& blocks, int32_t x, int32_t y, int32_t z);

    static void fillFaces(FaceMaterial faces[BlockFaceCount], const FaceMaterial& material);

private:
    bool locate(int32_t x, int32_t y, int32_t z, bool create);
    void write(const MapBlock* state);

    TamoMap& map;
    std::unique_ptr<BoxSectors> sectors;  // null: located through the grid
    ChangeLog& log;
    std::vector<int8_t> startedEmpty;  // in a box, per sector index: -1 not seen yet
    bool fillsWhole = false;
    int32_t sector = -1, cx = 0, cy = 0, cz = 0;
};
