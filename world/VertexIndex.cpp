#include "world/VertexIndex.h"

VertexIndex::VertexIndex(const BlockGrid& grid_, QuadScratch& scratch_)
        : grid(grid_), scratch(scratch_), base(scratch_.vertices) {}

void VertexIndex::build(const QuadRecord* records, int32_t count) {
    std::vector<PointEntry>& points = scratch.points;
    points.clear();
    for (int32_t j = 0; j < count; ++j) {
        if (!records[j].alive)
            continue;
        for (const Vector3& v : records[j].q)
            if (isComparablePoint(v))
                points.push_back({v, records[j].orientation, j});
    }
    ids.reset(new PointIndex(grid, scratch.gridIndices));
    ids->assign(points, scratch.ids);
    base.build(points, scratch.ids, ids->count());
    baseIds = ids->count();
    grown.clear();
}

bool VertexIndex::add(const QuadRecord& quad, int32_t r) {
    for (const Vector3& v : quad.q) {
        if (!isComparablePoint(v))
            continue;
        const int32_t id = ids->enter(v, quad.orientation);
        if (id < 0)
            return false;
        grown[id].push_back(r);
    }
    return true;
}
