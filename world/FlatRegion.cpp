#include "world/FlatRegion.h"

#include <algorithm>
#include <string>

#include "world/CellWriter.h"
#include "world/MapBlock.h"

namespace {

// The quad table lays textures along x and z on horizontal faces, z and y
// on faces of constant x, x and y on faces of constant z.
constexpr FlatRegion::Axes FaceAxes[BlockFaceCount] = {
    {0, 2, 1, false},  // bottom
    {0, 2, 1, true},   // top
    {2, 1, 0, false},  // side x = 0
    {2, 1, 0, true},   // side x = 1
    {0, 1, 2, false},  // side z = 0
    {0, 1, 2, true},   // side z = 1
};

int32_t clampCell(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

FlatRegion::Axes FlatRegion::axesOf(int32_t face) {
    return FaceAxes[std::clamp(face, 0, BlockFaceCount - 1)];
}

CellBox FlatRegion::searchBox(const int32_t cell[3], int32_t face) {
    const Axes axes = axesOf(face);
    int32_t low[3], high[3];
    for (int32_t axis = 0; axis < 3; ++axis)
        low[axis] = high[axis] = cell[axis];
    for (const int32_t axis : {axes.a, axes.b}) {
        low[axis] = clampCell(int64_t{cell[axis]} - MaxBlocks);
        high[axis] = clampCell(int64_t{cell[axis]} + MaxBlocks);
    }
    (axes.positive ? high : low)[axes.normal] =
        clampCell(int64_t{cell[axes.normal]} + (axes.positive ? 1 : -1));
    return CellBox(low[0], low[1], low[2], high[0], high[1], high[2]);
}

bool FlatRegion::find(CellWriter& writer, const int32_t cell[3], int32_t face, std::string* why) {
    found.clear();
    faceIndex = std::clamp(face, 0, BlockFaceCount - 1);
    const Axes axes = axesOf(faceIndex);
    const MapBlock* start = writer.blockAt(cell[0], cell[1], cell[2]);
    if (!start) {
        *why = "there is no block there";
        return false;
    }
    regionTexture = start->faces[faceIndex].texture;
    const CellBox window = searchBox(cell, faceIndex);
    const int32_t windowLow[3] = {window.lowX(), window.lowY(), window.lowZ()};
    const int32_t windowHigh[3] = {window.highX(), window.highY(), window.highZ()};
    const int64_t side = 2 * int64_t{MaxBlocks} + 1;
    std::vector<bool> seen(static_cast<size_t>(side * side), false);
    auto slot = [&](const int32_t c[3]) {
        return static_cast<size_t>((int64_t{c[axes.b]} - windowLow[axes.b]) * side +
                                   (int64_t{c[axes.a]} - windowLow[axes.a]));
    };
    auto take = [&](const int32_t c[3]) {
        Face f{{c[0], c[1], c[2]}, writer.foundSector(), {0, 0, 0}};
        writer.foundCell(&f.local[0], &f.local[1], &f.local[2]);
        found.push_back(f);
        seen[slot(c)] = true;
    };
    writer.blockAt(cell[0], cell[1], cell[2]);
    take(cell);
    std::copy(cell, cell + 3, lowCell);
    std::copy(cell, cell + 3, highCell);
    // Breadth first, so the region grows evenly and a wide one is noticed
    // before much of it is visited.
    for (size_t next = 0; next < found.size(); ++next) {
        const Face here = found[next];
        for (const int32_t axis : {axes.a, axes.b})
            for (const int32_t step : {-1, 1}) {
                int32_t c[3] = {here.cell[0], here.cell[1], here.cell[2]};
                const int64_t moved = int64_t{c[axis]} + step;
                if (moved < windowLow[axis] || moved > windowHigh[axis])
                    continue;
                c[axis] = static_cast<int32_t>(moved);
                if (seen[slot(c)])
                    continue;
                // At the end of the range of cells nothing lies in front.
                int32_t front[3] = {c[0], c[1], c[2]};
                const int64_t ahead = int64_t{c[axes.normal]} + (axes.positive ? 1 : -1);
                if (ahead >= windowLow[axes.normal] && ahead <= windowHigh[axes.normal]) {
                    front[axes.normal] = static_cast<int32_t>(ahead);
                    if (writer.blockAt(front[0], front[1], front[2]))
                        continue;
                }
                const MapBlock* block = writer.blockAt(c[0], c[1], c[2]);
                if (!block || block->faces[faceIndex].texture != regionTexture)
                    continue;
                take(c);
                lowCell[axis] = std::min(lowCell[axis], c[axis]);
                highCell[axis] = std::max(highCell[axis], c[axis]);
                if (int64_t{highCell[axis]} - lowCell[axis] + 1 > MaxBlocks) {
                    *why =
                        "the region is more than " + std::to_string(MaxBlocks) + " blocks across";
                    return false;
                }
            }
    }
    return true;
}

CellBox FlatRegion::box() const {
    return CellBox(lowCell[0], lowCell[1], lowCell[2], highCell[0], highCell[1], highCell[2]);
}
