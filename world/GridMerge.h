#pragma once
#include <cstdint>

#include "world/BlockGrid.h"
#include "world/QuadRecord.h"

struct QuadScratch;

// QuadMerge's greedy merge for the usual bucket: unit faces of one axis on the
// block grid, facing one of two ways, no two of one orientation on one square
// (the faces a sector hands over). Such quads tile their planes without
// overlapping, and as they merge they stay rectangles that do not overlap; two
// of them share two corners exactly when they share a whole edge. So a quad's
// possible partners are the at most four quads that begin or end at its own
// corners, found in tables of corners per plane and orientation instead of
// through every vertex.
class GridMerge {
public:
    GridMerge(const BlockGrid& grid, QuadScratch& scratch);

    // Merges as QuadMerge does (same passes, same numbers drawn from the
    // generator); false, with nothing changed, for any other bucket.
    bool mergeBucket(QuadRecord* records, int32_t count);

private:
    // Corner kinds: the low and high end of the quad along u and v.
    enum Corner { LowLow, HighLow, LowHigh, HighHigh };

    bool placeRecords(const QuadRecord* records, int32_t count);
    bool enterCorners(int32_t count);
    int32_t partner(int32_t r, int32_t after) const;
    void absorb(QuadRecord* records, int32_t into, int32_t other);
    int32_t* rect(int32_t r) const;
    size_t slot(const int32_t* rect, int32_t u, int32_t v, Corner corner) const {
        return ((static_cast<size_t>(rect[4]) * width + static_cast<size_t>(u)) * height +
                static_cast<size_t>(v)) *
                   4 +
               corner;
    }
    void setCorners(int32_t r, int32_t value);

    const BlockGrid grid;
    QuadScratch& scratch;
    // Grid points of the box the quads occupy, along u and v.
    int32_t width = 0;
    int32_t height = 0;
};
