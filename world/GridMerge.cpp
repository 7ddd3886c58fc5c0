#include "world/GridMerge.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "world/QuadMerge.h"
#include "world/QuadScratch.h"

namespace {

// A point's coordinate along grid axis Axis (0 x, 1 y, 2 z).
template <int Axis>
float along(const Vector3& p) {
    return Axis == 0 ? p.x : (Axis == 1 ? p.y : p.z);
}

// A quad's square in grid indices (u0, v0, u1, v1, w), with u and v the grid
// axes U and V in its plane and w the axis W across it; false when it is not
// a unit square on the grid whose vertices are its four corners.
template <int U, int V, int W>
bool unitSquare(const BlockGrid& grid, const QuadRecord& quad, int32_t* r) {
    const float u0 = along<U>(quad.min), v0 = along<V>(quad.min);
    const float u1 = along<U>(quad.max), v1 = along<V>(quad.max);
    const float w = along<W>(quad.min);
    if (along<W>(quad.max) != w)
        return false;
    r[0] = grid.index(u0, U);
    r[1] = grid.index(v0, V);
    r[2] = grid.index(u1, U);
    r[3] = grid.index(v1, V);
    r[4] = grid.index(w, W);
    if (r[0] < 0 || r[1] < 0 || r[4] < 0 || r[2] != r[0] + 1 || r[3] != r[1] + 1)
        return false;
    // Every corner once among the vertices, and nothing else.
    uint32_t seen = 0;
    for (const Vector3& p : quad.q) {
        const float pu = along<U>(p), pv = along<V>(p);
        if (along<W>(p) != w || (pu != u0 && pu != u1) || (pv != v0 && pv != v1))
            return false;
        seen |= 1u << ((pu == u0 ? 0 : 1) + (pv == v0 ? 0 : 2));
    }
    return seen == 15u;
}

}  // namespace

GridMerge::GridMerge(const BlockGrid& grid_, QuadScratch& scratch_)
        : grid(grid_), scratch(scratch_) {}

int32_t* GridMerge::rect(int32_t r) const {
    return &scratch.rects[static_cast<size_t>(r) * 5];
}

bool GridMerge::mergeBucket(QuadRecord* records, int32_t count) {
    if (!placeRecords(records, count) || !enterCorners(count))
        return false;
    bool merged = true;
    while (merged) {
        std::rand();
        merged = false;
        for (int32_t i = 0; i < count; ++i) {
            if (!records[i].alive)
                continue;
            for (int32_t after = i;;) {
                const int32_t next = partner(i, after);
                if (next < 0)
                    break;
                absorb(records, i, next);
                after = next;
                merged = true;
            }
        }
    }
    // The corner tables are left empty for the next bucket.
    for (int32_t i = 0; i < count; ++i)
        if (records[i].alive)
            setCorners(i, -1);
    return true;
}

// Each record's square in grid indices relative to the box of all of them
// (u0, v0, u1, v1, and the layer: plane and orientation). False when a record
// is not a live unit square on the grid whose vertices are its four corners,
// or the box is too sparse for dense tables.
bool GridMerge::placeRecords(const QuadRecord* records, int32_t count) {
    if (count == 0 || records[0].axis > 2 || !grid.usable())
        return false;
    const uint8_t axis = records[0].axis;
    std::vector<int32_t>& rects = scratch.rects;
    rects.resize(static_cast<size_t>(count) * 5);
    int32_t low[3] = {BlockGrid::LargestIndex, BlockGrid::LargestIndex, BlockGrid::LargestIndex};
    int32_t high[3] = {0, 0, 0};
    for (int32_t i = 0; i < count; ++i) {
        const QuadRecord& quad = records[i];
        if (!quad.alive || quad.axis != axis || quad.orientation > 1)
            return false;
        int32_t* r = rect(i);
        const bool square = axis == 0   ? unitSquare<0, 2, 1>(grid, quad, r)
                            : axis == 1 ? unitSquare<2, 1, 0>(grid, quad, r)
                                        : unitSquare<0, 1, 2>(grid, quad, r);
        if (!square)
            return false;
        const int32_t at[3] = {r[0], r[1], r[4]};
        const int32_t to[3] = {r[2], r[3], r[4]};
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], at[k]);
            high[k] = std::max(high[k], to[k]);
        }
    }
    // Only the planes that hold quads get tables (a full sector's top and
    // bottom faces lie on two planes of twenty-one).
    std::vector<int32_t>& planes = scratch.planes;
    planes.assign(static_cast<size_t>(high[2] - low[2] + 1), -1);
    int32_t planeCount = 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t& plane = planes[static_cast<size_t>(rect(i)[4] - low[2])];
        if (plane < 0)
            plane = planeCount++;
    }
    width = high[0] - low[0] + 1;
    height = high[1] - low[1] + 1;
    const int64_t slots = int64_t{planeCount} * 2 * width * height * 4;
    if (!BlockGrid::worthDense(slots, count))
        return false;
    for (int32_t i = 0; i < count; ++i) {
        int32_t* r = rect(i);
        r[0] -= low[0];
        r[2] -= low[0];
        r[1] -= low[1];
        r[3] -= low[1];
        r[4] = planes[static_cast<size_t>(r[4] - low[2])] * 2 + records[i].orientation;
    }
    // Slots beyond the current size start empty; those within it were left
    // empty by the last use.
    if (scratch.corners.size() < static_cast<size_t>(slots))
        scratch.corners.resize(static_cast<size_t>(slots), -1);
    return true;
}

// False, with the tables left empty, when two records of one orientation lie
// on one square.
bool GridMerge::enterCorners(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t* r = rect(i);
        if (scratch.corners[slot(r, r[0], r[1], LowLow)] >= 0) {
            for (int32_t k = 0; k < i; ++k)
                setCorners(k, -1);
            return false;
        }
        setCorners(i, i);
    }
    return true;
}

void GridMerge::setCorners(int32_t r, int32_t value) {
    const int32_t* s = rect(r);
    int32_t* low = &scratch.corners[slot(s, s[0], s[1], LowLow)];
    const size_t across = static_cast<size_t>(s[2] - s[0]) * static_cast<size_t>(height) * 4;
    const size_t up = static_cast<size_t>(s[3] - s[1]) * 4;
    low[0] = value;
    low[across + HighLow] = value;
    low[up + LowHigh] = value;
    low[across + up + HighHigh] = value;
}

// The lowest record after `after` that shares a whole edge with r: the one
// beginning at r's high u edge, ending at its low u edge, beginning at its
// high v edge or ending at its low v edge, each as long as r's edge. -1 when
// there is none.
int32_t GridMerge::partner(int32_t r, int32_t after) const {
    const int32_t* s = rect(r);
    const std::vector<int32_t>& corners = scratch.corners;
    const int32_t candidates[4] = {
        corners[slot(s, s[2], s[1], LowLow)], corners[slot(s, s[0], s[1], HighLow)],
        corners[slot(s, s[0], s[3], LowLow)], corners[slot(s, s[0], s[1], LowHigh)]};
    int32_t best = -1;
    for (int k = 0; k < 4; ++k) {
        const int32_t c = candidates[k];
        if (c <= after || (best >= 0 && c > best))
            continue;
        const int32_t* t = rect(c);
        if (k < 2 ? t[3] == s[3] : t[2] == s[2])
            best = c;
    }
    return best;
}

void GridMerge::absorb(QuadRecord* records, int32_t into, int32_t other) {
    setCorners(into, -1);
    setCorners(other, -1);
    QuadRecord& quad = records[into];
    quad.min = componentMin(quad.min, records[other].min);
    quad.max = componentMax(quad.max, records[other].max);
    QuadMerge::rewriteVertices(quad);
    records[other].alive = 0;
    int32_t* s = rect(into);
    const int32_t* t = rect(other);
    s[0] = std::min(s[0], t[0]);
    s[1] = std::min(s[1], t[1]);
    s[2] = std::max(s[2], t[2]);
    s[3] = std::max(s[3], t[3]);
    setCorners(into, into);
}
