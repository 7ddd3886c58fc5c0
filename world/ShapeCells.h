#pragma once
#include <cstdint>
#include <functional>

#include "world/CellBox.h"

// The cells of the shapes the shape tools and the city scripts build: the
// one home of each cell rule.
//
// A round shape is an axis-aligned ellipsoid of cells, or, upright, an
// elliptic cylinder standing on the y axis. It is kept in doubled cell
// coordinates, so that centres and semi-axes on half cells stay whole
// numbers: cell (x, y, z) lies inside when the sum of ((2c - centre) / axis)^2
// over the axes is at most 1 (an axis of 0 admits only 2c = centre). Hollow,
// a cell must also lie outside the inner shape.
class ShapeCells {
public:
    // One run of cells along x: (xLow .. xHigh, y, z), both included.
    using RowVisitor = std::function<void(int32_t xLow, int32_t xHigh, int32_t y, int32_t z)>;

    // (x - cx)^2 + (z - cz)^2 <= r^2 for y0 <= y < y0 + h; hollow, only the
    // cells with (x - cx)^2 + (z - cz)^2 > (r - 1)^2. r >= 0.
    static ShapeCells cylinder(int32_t cx, int32_t y0, int32_t cz, int32_t r, int32_t h,
                               bool hollow);
    // dx^2 + dy^2 + dz^2 <= r^2; hollow, those > (r - 1)^2. r >= 0.
    static ShapeCells sphere(int32_t cx, int32_t cy, int32_t cz, int32_t r, bool hollow);
    // The cylinder standing in box: the cells whose centres lie in the
    // ellipse the box's plan is drawn round, on every level of the box;
    // hollow, those outside the ellipse one cell in from it (the tube).
    static ShapeCells cylinderInBox(const CellBox& box, bool hollow);
    // The ellipsoid in box, by the same rule in three axes; hollow, the shell.
    static ShapeCells ellipsoidInBox(const CellBox& box, bool hollow);

    bool contains(int32_t x, int32_t y, int32_t z) const;
    // The rows (y, z) the shape's bounds span: the work a visit costs
    // beyond its cells.
    int64_t rowCount() const;
    // Visits the shape's cells as runs along x, in the order y, then z, then x.
    void visitRows(const RowVisitor& visit) const;
    // The cells visitRows visits.
    int64_t cellCount() const;

    // The cells (x0 + round((x1 - x0) i / n), ...) for i = 0 to n, n the
    // largest of the three distances, halves rounded away from zero; one
    // cell when both ends are the same.
    static void visitLine(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                          const std::function<void(int32_t x, int32_t y, int32_t z)>& visit);
    static int64_t lineCellCount(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1,
                                 int32_t z1);

private:
    struct Round {
        int64_t centre[3] = {0, 0, 0};  // doubled
        int64_t axis[3] = {0, 0, 0};    // doubled semi-axes, 0 or more
        bool contains(const int64_t d2[3], bool upright) const;
    };

    bool inRound(const Round& round, int32_t x, int32_t y, int32_t z) const;
    // The cells of row (y, z) inside round, from x0 to x1 at most; false
    // when there are none.
    bool span(const Round& round, int32_t y, int32_t z, int64_t* x0, int64_t* x1) const;

    Round outer, inner;
    bool hollow = false;
    bool upright = false;  // a cylinder: y is bounded by yLow .. yHigh alone
    int64_t bounds[3][2] = {{0, -1}, {0, -1}, {0, -1}};  // cells, low and high per axis
};
