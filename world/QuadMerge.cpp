#include "world/QuadMerge.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "world/GridMerge.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/QuadScratch.h"
#include "world/VertexIndex.h"

QuadMerge::QuadMerge(const OptimizedQuadHashTable& table_, const BlockGrid& grid_,
                     QuadScratch& scratch_)
        : table(table_), grid(grid_), scratch(scratch_) {}

// Any record that canMerge with i shares a vertex with it, so i's next merge
// is the lowest later record, among those indexed under i's vertices, that
// canMerge. Records after i do not change before i's turn, so an index of
// each record's vertices as they were when the pass began serves the pass.
//
// A record that absorbed nothing in a pass found no partner after it; its
// first merge in the next pass can only be with a record that grew in that
// pass. So after the first pass only the records that grew, and those that
// share a vertex with a later one that grew, need their turn; the others
// provably merge nothing. The pass count, and so the numbers drawn from the
// generator (one per pass, as the pairwise merge drew for compacting), stay
// as they were; intermediate compaction is left out, since it never changes
// which quads merge.
void QuadMerge::mergeBucket(QuadRecord* records, int32_t count) {
    if (table.mergesByCorners() && GridMerge(grid, scratch).mergeBucket(records, count))
        return;
    VertexIndex index(grid, scratch);
    std::vector<int32_t> turns;  // records that take a turn this pass, in order
    std::vector<int32_t> grew;   // records that absorbed something last pass
    std::vector<uint8_t> listed(static_cast<size_t>(count), 0);
    bool firstPass = true;
    bool merged = true;
    while (merged) {
        std::rand();
        turns.clear();
        if (firstPass) {
            index.build(records, count);
            for (int32_t i = 0; i < count; ++i)
                if (records[i].alive)
                    turns.push_back(i);
        } else {
            bool entered = true;
            for (int32_t g : grew)
                if (records[g].alive)
                    entered = entered && index.add(records[g], g);
            if (!entered)
                index.build(records, count);
            for (int32_t g : grew) {
                if (!records[g].alive)
                    continue;
                const auto list = [&](int32_t r) {
                    if (r <= g && records[r].alive && !listed[static_cast<size_t>(r)]) {
                        listed[static_cast<size_t>(r)] = 1;
                        turns.push_back(r);
                    }
                };
                list(g);
                for (const Vector3& v : records[g].q)
                    index.forEachWith(v, records[g].orientation, list);
            }
            std::sort(turns.begin(), turns.end());
            for (int32_t r : turns)
                listed[static_cast<size_t>(r)] = 0;
        }
        merged = false;
        grew.clear();
        for (int32_t i : turns) {
            QuadRecord& into = records[i];
            if (!into.alive)
                continue;
            bool absorbed = false;
            for (int32_t after = i;;) {
                const int32_t next = index.firstMergeable(table, records, into, after, count);
                if (next == count)
                    break;
                QuadRecord& other = records[next];
                into.min = componentMin(into.min, other.min);
                into.max = componentMax(into.max, other.max);
                rewriteVertices(into);
                other.alive = 0;
                absorbed = true;
                after = next;
            }
            if (absorbed) {
                grew.push_back(i);
                merged = true;
            }
        }
        firstPass = false;
    }
}

void QuadMerge::rewriteVertices(QuadRecord& quad) {
    const Vector3& mn = quad.min;
    const Vector3& mx = quad.max;
    const bool front = quad.orientation == 0;
    switch (quad.axis) {
    case 0: {
        const float y = quad.q[0].y;
        quad.q[0] = {mn.x, y, mn.z};
        quad.q[1] = front ? Vector3(mn.x, y, mx.z) : Vector3(mx.x, y, mn.z);
        quad.q[2] = {mx.x, y, mx.z};
        quad.q[3] = front ? Vector3(mx.x, y, mn.z) : Vector3(mn.x, y, mx.z);
        break;
    }
    case 1: {
        const float x = quad.q[0].x;
        quad.q[0] = {x, mn.y, mn.z};
        quad.q[1] = front ? Vector3(x, mn.y, mx.z) : Vector3(x, mx.y, mn.z);
        quad.q[2] = {x, mx.y, mx.z};
        quad.q[3] = front ? Vector3(x, mx.y, mn.z) : Vector3(x, mn.y, mx.z);
        break;
    }
    default: {
        const float z = quad.q[0].z;
        quad.q[0] = {mn.x, mn.y, z};
        quad.q[1] = front ? Vector3(mn.x, mx.y, z) : Vector3(mx.x, mn.y, z);
        quad.q[2] = {mx.x, mx.y, z};
        quad.q[3] = front ? Vector3(mx.x, mn.y, z) : Vector3(mn.x, mx.y, z);
        break;
    }
    }
}
