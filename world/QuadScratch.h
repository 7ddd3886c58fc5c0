#pragma once
#include <cstdint>
#include <vector>

#include "world/PointIndex.h"
#include "world/RecordGroups.h"

// Working storage of the quad table's hidden-face removal and merge, kept
// from one use to the next: reusing it saves fresh pages for every bucket of
// every rebuild. Sectors are rebuilt one after another on the program's one
// thread, so the engine core hands one to all the tables it makes; a table
// made without one keeps its own.
struct QuadScratch {
    std::vector<PointEntry> points;
    std::vector<int32_t> ids;
    std::vector<int32_t> gridIndices;
    std::vector<int32_t> tails;
    std::vector<int32_t> nexts;
    RecordGroups squares;          // records by square, for hidden faces
    RecordGroups vertices;         // records by vertex, for merging
    std::vector<int32_t> rects;    // grid squares of records, for merging on the grid
    std::vector<int32_t> corners;  // quads by corner; empty (-1) between uses
    std::vector<int32_t> planes;   // table of each plane the quads lie on
};
