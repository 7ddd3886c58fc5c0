#pragma once
#include <cstdint>
#include <vector>

#include "world/PointIndex.h"

// Record indices grouped by point id, each group in ascending record order:
// the groups of all ids laid end to end (compressed rows).
struct RecordGroups {
    // Group of id k: entries[start[k]] to entries[start[k + 1] - 1].
    std::vector<int32_t> start;
    std::vector<int32_t> entries;
    std::vector<int32_t> fill;

    // ids[k] is the id of points[k], ids below idCount. Points arrive in
    // ascending record order, so each group stays sorted.
    void build(const std::vector<PointEntry>& points, const std::vector<int32_t>& ids,
               int32_t idCount);

    const int32_t* begin(int32_t id) const {
        return entries.data() + start[static_cast<size_t>(id)];
    }
    const int32_t* end(int32_t id) const {
        return entries.data() + start[static_cast<size_t>(id) + 1];
    }
};
