#pragma once
#include <cstdint>

#include "platform/Vector3.h"

// A box of block cells in world-wide cell coordinates: cell (x, y, z) spans
// x to x + 1 block widths along the world's x axis, y to y + 1 block heights
// and z to z + 1 block widths, counted from the world origin. Both corners
// are included, and low <= high on every axis always holds.
class CellBox {
public:
    // The largest box an operation on the world accepts.
    static constexpr int64_t MaxCells = 1000000;

    // The one cell (0, 0, 0).
    CellBox() = default;
    // The box between two cells, in either order on each axis.
    CellBox(int32_t ax, int32_t ay, int32_t az, int32_t bx, int32_t by, int32_t bz);
    static CellBox single(int32_t x, int32_t y, int32_t z) { return CellBox(x, y, z, x, y, z); }
    // The smallest box holding both boxes (press and release of a drag).
    static CellBox spanning(const CellBox& a, const CellBox& b);

    int32_t lowX() const { return low[0]; }
    int32_t lowY() const { return low[1]; }
    int32_t lowZ() const { return low[2]; }
    int32_t highX() const { return high[0]; }
    int32_t highY() const { return high[1]; }
    int32_t highZ() const { return high[2]; }
    // Cells along each axis (at least 1).
    int64_t sizeX() const { return int64_t{high[0]} - low[0] + 1; }
    int64_t sizeY() const { return int64_t{high[1]} - low[1] + 1; }
    int64_t sizeZ() const { return int64_t{high[2]} - low[2] + 1; }
    int64_t cellCount() const { return sizeX() * sizeY() * sizeZ(); }
    // Within the limit of MaxCells.
    bool withinLimit() const { return cellCount() <= MaxCells; }

    bool contains(int32_t x, int32_t y, int32_t z) const;
    // Whether a world point lies in one of the box's cells.
    bool containsPoint(const Vector3& p, int32_t blockWidth, int32_t blockHeight) const;
    // The same box shifted by whole cells (clamped to the range of int32).
    CellBox moved(int32_t dx, int32_t dy, int32_t dz) const;
    // One level more at the top; one less (never below one level).
    CellBox grownUp() const;
    CellBox shrunkDown() const;

    // The cell holding a world point (floor of the point over the block size).
    static void cellOf(const Vector3& p, int32_t blockWidth, int32_t blockHeight, int32_t* x,
                       int32_t* y, int32_t* z);
    // The corner of a cell nearest the world origin, and its centre (the
    // point a plan-view stroke edits the cell through).
    static Vector3 cellOrigin(int32_t x, int32_t y, int32_t z, int32_t blockWidth,
                              int32_t blockHeight);
    static Vector3 cellCentre(int32_t x, int32_t y, int32_t z, int32_t blockWidth,
                              int32_t blockHeight);

    bool operator==(const CellBox& o) const;
    bool operator!=(const CellBox& o) const { return !(*this == o); }

private:
    int32_t low[3] = {0, 0, 0};
    int32_t high[3] = {0, 0, 0};
};
