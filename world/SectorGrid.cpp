#include "world/SectorGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells per axis on either side of zero that the key tells apart; farther
// coordinates share the edge cells, which only makes those lists longer.
constexpr int64_t Reach = int64_t{1} << 20;
// A sector reaching more cells than this is listed among "everywhere".
constexpr int64_t MostCellsOfASector = 64;
// A query reaching more cells than this is not answered from the grid.
constexpr int64_t MostCellsOfAQuery = 4096;

}  // namespace

void SectorGrid::reset(const Vector3& cellExtent) {
    extent[0] = cellExtent.x;
    extent[1] = cellExtent.y;
    extent[2] = cellExtent.z;
    cells.clear();
    everywhere.clear();
}

int64_t SectorGrid::cellOf(double v, int axis) const {
    const double cell = std::floor(v / extent[axis] + 0.25);
    if (!(cell > -static_cast<double>(Reach)))
        return -Reach;
    if (!(cell < static_cast<double>(Reach)))
        return Reach;
    return static_cast<int64_t>(cell);
}

uint64_t SectorGrid::key(int64_t x, int64_t y, int64_t z) {
    const auto part = [](int64_t c) { return static_cast<uint64_t>(c + Reach) & 0x3fffffu; };
    return part(x) | part(y) << 22 | part(z) << 44;
}

void SectorGrid::add(int32_t index, const double lo[3], const double hi[3]) {
    int64_t from[3], to[3], count = 1;
    for (int a = 0; a < 3; ++a) {
        if (std::isnan(lo[a]) || std::isnan(hi[a]) || lo[a] > hi[a])
            return;  // a box that holds no point
        from[a] = cellOf(lo[a], a);
        to[a] = cellOf(hi[a], a);
        count *= to[a] - from[a] + 1;
        if (count > MostCellsOfASector) {
            everywhere.push_back(index);
            return;
        }
    }
    for (int64_t x = from[0]; x <= to[0]; ++x)
        for (int64_t y = from[1]; y <= to[1]; ++y)
            for (int64_t z = from[2]; z <= to[2]; ++z)
                cells[key(x, y, z)].push_back(index);
}

void SectorGrid::at(const Vector3& p, std::vector<int32_t>* out) const {
    out->clear();
    const auto found = cells.find(key(cellOf(p.x, 0), cellOf(p.y, 1), cellOf(p.z, 2)));
    if (found != cells.end())
        *out = found->second;
    if (!everywhere.empty()) {
        const size_t mid = out->size();
        out->insert(out->end(), everywhere.begin(), everywhere.end());
        std::inplace_merge(out->begin(), out->begin() + static_cast<std::ptrdiff_t>(mid),
                           out->end());
    }
}

bool SectorGrid::near(const double low[3], const double high[3], std::vector<int32_t>* out) const {
    int64_t from[3], to[3], count = 1;
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(low[a]) || !std::isfinite(high[a]))
            return false;
        from[a] = cellOf(low[a], a);
        to[a] = cellOf(high[a], a);
        count *= to[a] - from[a] + 1;
        if (count > MostCellsOfAQuery)
            return false;
    }
    out->assign(everywhere.begin(), everywhere.end());
    for (int64_t x = from[0]; x <= to[0]; ++x)
        for (int64_t y = from[1]; y <= to[1]; ++y)
            for (int64_t z = from[2]; z <= to[2]; ++z) {
                const auto found = cells.find(key(x, y, z));
                if (found != cells.end())
                    out->insert(out->end(), found->second.begin(), found->second.end());
            }
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
    return true;
}
