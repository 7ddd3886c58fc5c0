#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Vector3.h"
#include "world/BlockGrid.h"
#include "world/PointHashIds.h"

// A point of a quad entered in an index: the record it belongs to and a
// small extra value (the orientation, or 0) that is part of the key.
struct PointEntry {
    Vector3 point;
    uint32_t extra;
    int32_t record;
};

// True when no coordinate is not-a-number: only such points can equal
// another, so only they are entered in an index.
inline bool isComparablePoint(const Vector3& v) {
    return v.x == v.x && v.y == v.y && v.z == v.z;
}

// Dense ids for points with an extra value of 0 or 1. When every point lies
// on the block grid (as the corners of a sector's faces do) and the box of
// their grid positions is dense enough, the id is the position in that box
// (x, then y, then z: the order of ids follows the grid), computed without
// hashing;
// otherwise points are hashed. Two points get one id exactly when they
// compare equal (with equal extras).
class PointIndex {
public:
    // gridScratch: working storage, kept by the caller from one use to the next.
    PointIndex(const BlockGrid& grid, std::vector<int32_t>& gridScratch);

    // Gives each entry its id (ids[k] for entries[k]); count() ids in all.
    void assign(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids);

    // The id of a point entered after assign: the grid position, or a new
    // hashed id; -1 when the point is off the grid in use.
    int32_t enter(const Vector3& point, uint32_t extra) {
        return useGrid ? gridId(point, extra) : hashed->idOf(point, extra);
    }

    // The id of an entered point, or -1 when no entry has it.
    int32_t find(const Vector3& point, uint32_t extra) const {
        return useGrid ? gridId(point, extra) : hashed->find(point, extra);
    }

    int32_t count() const { return useGrid ? gridSize : hashed->count(); }

private:
    int32_t gridId(const Vector3& point, uint32_t extra) const {
        const int32_t gx = grid.index(point.x, 0), gy = grid.index(point.y, 1),
                      gz = grid.index(point.z, 2);
        if (gx < 0 || gy < 0 || gz < 0)
            return -1;
        const int32_t x = gx - low[0], y = gy - low[1], z = gz - low[2];
        if (x < 0 || y < 0 || z < 0 || x >= extent[0] || y >= extent[1] || z >= extent[2] ||
            extra > 1)
            return -1;
        return ((x * extent[1] + y) * extent[2] + z) * 2 + static_cast<int32_t>(extra);
    }

    bool fitGrid(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids);

    const BlockGrid grid;
    std::vector<int32_t>& gridIndices;
    bool useGrid = false;
    // The grid in use: the box of the entries' grid positions, from low.
    int32_t low[3] = {0, 0, 0};
    int32_t extent[3] = {0, 0, 0};
    int32_t gridSize = 0;
    std::unique_ptr<PointHashIds> hashed;
};
