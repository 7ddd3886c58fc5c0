#include "world/RecordGroups.h"

void RecordGroups::build(const std::vector<PointEntry>& points, const std::vector<int32_t>& ids,
                         int32_t idCount) {
    start.assign(static_cast<size_t>(idCount) + 1, 0);
    for (int32_t id : ids)
        ++start[static_cast<size_t>(id) + 1];
    for (size_t k = 1; k < start.size(); ++k)
        start[k] += start[k - 1];
    entries.resize(ids.size());
    fill.assign(start.begin(), start.end() - 1);
    for (size_t k = 0; k < ids.size(); ++k)
        entries[static_cast<size_t>(fill[static_cast<size_t>(ids[k])]++)] = points[k].record;
}
