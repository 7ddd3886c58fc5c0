#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "world/BlockGrid.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/PointIndex.h"
#include "world/QuadRecord.h"
#include "world/QuadScratch.h"

// From a vertex (with the quad's orientation) to the records of a bucket
// that have it: every live record's vertices when built, plus the vertices
// that records gained by growing, entered as they are added. Entries of
// vertices a record no longer has stay behind; every use checks canMerge on
// the record as it is now.
class VertexIndex {
public:
    VertexIndex(const BlockGrid& grid, QuadScratch& scratch);

    void build(const QuadRecord* records, int32_t count);

    // Enters the present vertices of record r; false when one cannot be
    // entered (off the grid in use), and the index must be built afresh.
    bool add(const QuadRecord& quad, int32_t r);

    // The lowest record j, after < j < limit, that is live and that table's
    // canMerge joins to into; limit when there is none.
    int32_t firstMergeable(const OptimizedQuadHashTable& table, const QuadRecord* records,
                           const QuadRecord& into, int32_t after, int32_t limit) const {
        int32_t best = limit;
        for (const Vector3& v : into.q) {
            if (!isComparablePoint(v))
                continue;
            const int32_t id = ids->find(v, into.orientation);
            if (id < 0)
                continue;
            if (id < baseIds) {
                const int32_t* last = base.end(id);
                for (const int32_t* j = std::upper_bound(base.begin(id), last, after);
                     j != last && *j < best; ++j) {
                    if (records[*j].alive && table.canMerge(into, records[*j])) {
                        best = *j;
                        break;
                    }
                }
            }
            if (grown.empty())
                continue;
            const auto extra = grown.find(id);
            if (extra == grown.end())
                continue;
            for (int32_t j : extra->second)
                if (j > after && j < best && records[j].alive && table.canMerge(into, records[j]))
                    best = j;
        }
        return best;
    }

    // Every record entered with vertex v (and orientation), whatever it is now.
    template <typename Visit>
    void forEachWith(const Vector3& v, uint32_t orientation, Visit visit) const {
        if (!isComparablePoint(v))
            return;
        const int32_t id = ids->find(v, orientation);
        if (id < 0)
            return;
        if (id < baseIds)
            for (const int32_t* j = base.begin(id); j != base.end(id); ++j)
                visit(*j);
        const auto extra = grown.find(id);
        if (extra != grown.end())
            for (int32_t j : extra->second)
                visit(j);
    }

private:
    const BlockGrid grid;
    QuadScratch& scratch;
    std::unique_ptr<PointIndex> ids;
    RecordGroups& base;
    int32_t baseIds = 0;
    std::unordered_map<int32_t, std::vector<int32_t>> grown;
};
