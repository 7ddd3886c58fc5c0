#include "world/BoxSectors.h"

#include <algorithm>
#include <cmath>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/WorldSettings.h"

BoxSectors::BoxSectors(TamoMap& map, const CellBox& box)
        : map(map), box(box), blockWidth(map.worldSettings().blockWidth),
          blockHeight(map.worldSettings().blockHeight),
          owner(static_cast<size_t>(box.cellCount()), -1) {
    // Only the sectors near the box can hold its cells; they come ascending,
    // so the first sector in list order still claims a cell first.
    const double w = blockWidth, h = blockHeight;
    const double low[3] = {box.lowX() * w, box.lowY() * h, box.lowZ() * w};
    const double high[3] = {(box.highX() + 1.0) * w, (box.highY() + 1.0) * h,
                            (box.highZ() + 1.0) * w};
    std::vector<int32_t> near;
    map.sectorsNear(low, high, &near);
    for (int32_t i : near)
        claim(i);
}

size_t BoxSectors::slotOf(int32_t x, int32_t y, int32_t z) const {
    return static_cast<size_t>(((int64_t{y} - box.lowY()) * box.sizeZ() + (z - box.lowZ())) *
                                   box.sizeX() +
                               (x - box.lowX()));
}

// A sector's box is a product of one range per axis, so the cells whose
// centre it holds are a range along each axis: each is found from a few
// candidates around the sector's edges, each asked of the sector itself so
// the rounding is the sector's own.
void BoxSectors::claim(int32_t index) {
    const TamoSector& sector = *map.sector(index);
    const Vector3 o = sector.getOrigin();
    if (!sector.containsPoint(o))
        return;  // a box that holds not even its corner holds no centre
    const float cell[3] = {static_cast<float>(blockWidth), static_cast<float>(blockHeight),
                           static_cast<float>(blockWidth)};
    const float origin[3] = {o.x, o.y, o.z};
    const int32_t low[3] = {box.lowX(), box.lowY(), box.lowZ()};
    const int32_t high[3] = {box.highX(), box.highY(), box.highZ()};
    int32_t from[3], to[3];
    for (int axis = 0; axis < 3; ++axis) {
        if (!(cell[axis] > 0.0f))
            return;
        const float extent = static_cast<float>(sector.size) * cell[axis];
        const double first = std::floor(origin[axis] / cell[axis]) - 1.0;
        const double last = std::floor((origin[axis] + extent) / cell[axis]) + 1.0;
        const int64_t a = std::max<int64_t>(low[axis], static_cast<int64_t>(std::max(first, -3e9)));
        const int64_t b = std::min<int64_t>(high[axis], static_cast<int64_t>(std::min(last, 3e9)));
        from[axis] = INT32_MAX;
        to[axis] = INT32_MIN;
        for (int64_t c = a; c <= b; ++c) {
            const int32_t i = static_cast<int32_t>(c);
            const Vector3 centre = CellBox::cellCentre(i, i, i, blockWidth, blockHeight);
            Vector3 probe = o;
            (axis == 0   ? probe.x
             : axis == 1 ? probe.y
                         : probe.z) = axis == 0   ? centre.x
                                      : axis == 1 ? centre.y
                                                  : centre.z;
            if (sector.containsPoint(probe)) {
                from[axis] = std::min(from[axis], i);
                to[axis] = std::max(to[axis], i);
            }
        }
        if (from[axis] > to[axis])
            return;
    }
    int64_t given = 0;
    for (int32_t y = from[1]; y <= to[1]; ++y)
        for (int32_t z = from[2]; z <= to[2]; ++z) {
            int32_t* row = owner.data() + slotOf(from[0], y, z);
            for (int32_t x = 0; x <= to[0] - from[0]; ++x)
                if (row[x] < 0) {
                    row[x] = index;
                    ++given;
                }
        }
    if (static_cast<size_t>(index) >= claimed.size())
        claimed.resize(static_cast<size_t>(index) + 1, 0);
    claimed[static_cast<size_t>(index)] += given;
}

int64_t BoxSectors::cellsOf(int32_t index) const {
    return index >= 0 && static_cast<size_t>(index) < claimed.size()
               ? claimed[static_cast<size_t>(index)]
               : 0;
}

bool BoxSectors::locate(int32_t x, int32_t y, int32_t z, bool create, int32_t* sector, int32_t* cx,
                        int32_t* cy, int32_t* cz) {
    int32_t& slot = owner[slotOf(x, y, z)];
    const Vector3 centre = CellBox::cellCentre(x, y, z, blockWidth, blockHeight);
    if (slot < 0) {
        if (!create)
            return false;
        const int32_t made = map.findOrCreateSector(centre);
        if (made < 0)
            return false;
        claim(made);
        slot = made;  // also when its box would not hold the centre: the click used it
    }
    *sector = slot;
    return map.sector(slot)->cellOf(centre, *cx, *cy, *cz);
}
