#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/Vector3.h"

// The sectors of a map by the cells of a coarse grid (two sectors' extent a
// cell, set a quarter cell off the sector grid, so that most sectors reach
// one or two cells along an axis), so that finding the sectors at a point or near a ray looks at those
// sectors only, not at every sector of a big city. A sector is listed in
// every cell its box reaches, bounds included; a sector whose box reaches
// more than a few cells (a large or far one read from a file) is listed
// once, among those every query returns. Queries give sector indices in
// ascending (list) order, so the first sector that holds a point stays the
// first found.
class SectorGrid {
public:
    // Empties the grid and sets its cell extent (every part above zero).
    void reset(const Vector3& cellExtent);
    // Lists sector index (above every index listed so far) with its box.
    void add(int32_t index, const double low[3], const double high[3]);
    // The sectors listed where p lies, ascending.
    void at(const Vector3& p, std::vector<int32_t>* out) const;
    // The sectors listed in the cells the box [low, high] reaches, ascending
    // and each once; false when the box reaches too many cells to be worth
    // it (or is not finite), in which case out is not filled.
    bool near(const double low[3], const double high[3], std::vector<int32_t>* out) const;

private:
    // A coordinate's cell along an axis, clamped to a range the key packs.
    int64_t cellOf(double v, int axis) const;
    static uint64_t key(int64_t x, int64_t y, int64_t z);

    double extent[3] = {1.0, 1.0, 1.0};
    std::unordered_map<uint64_t, std::vector<int32_t>> cells;
    std::vector<int32_t> everywhere;  // sectors of too many cells
};
