#include "world/PointIndex.h"

#include <algorithm>

PointIndex::PointIndex(const BlockGrid& grid_, std::vector<int32_t>& gridScratch)
        : grid(grid_), gridIndices(gridScratch) {}

void PointIndex::assign(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids) {
    ids.resize(entries.size());
    useGrid = fitGrid(entries, ids);
    if (useGrid)
        return;
    hashed.reset(new PointHashIds(entries.size()));
    for (size_t k = 0; k < entries.size(); ++k)
        ids[k] = hashed->idOf(entries[k].point, entries[k].extra);
}

// True when every entry lies on a grid small enough to index densely; ids
// then holds each entry's grid id.
bool PointIndex::fitGrid(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids) {
    if (!grid.usable())
        return false;
    gridIndices.resize(entries.size() * 3);
    int32_t high[3] = {0, 0, 0};
    for (size_t k = 0; k < entries.size(); ++k)
        if (entries[k].extra > 1 || !grid.place(entries[k].point, &gridIndices[k * 3], high))
            return false;
    // Only the box the entries occupy: a bucket of a few faces indexes a few
    // slots, not the whole sector's grid, and its tables fill that much.
    for (int axis = 0; axis < 3; ++axis)
        low[axis] = entries.empty() ? 0 : high[axis];
    for (size_t k = 0; k < entries.size(); ++k)
        for (int axis = 0; axis < 3; ++axis)
            low[axis] = std::min(low[axis], gridIndices[k * 3 + axis]);
    for (int axis = 0; axis < 3; ++axis)
        extent[axis] = high[axis] - low[axis] + 1;
    const int64_t size = int64_t{extent[0]} * extent[1] * extent[2] * 2;
    if (!BlockGrid::worthDense(size, static_cast<int64_t>(entries.size())))
        return false;
    gridSize = static_cast<int32_t>(size);
    for (size_t k = 0; k < entries.size(); ++k)
        ids[k] = (((gridIndices[k * 3] - low[0]) * extent[1] + gridIndices[k * 3 + 1] - low[1]) *
                      extent[2] +
                  gridIndices[k * 3 + 2] - low[2]) *
                     2 +
                 static_cast<int32_t>(entries[k].extra);
    return true;
}
