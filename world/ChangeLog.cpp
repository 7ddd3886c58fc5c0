#include "world/ChangeLog.h"

#include "world/TamoMap.h"
#include "world/TamoSector.h"

uint32_t ChangeLog::stateOf(const MapBlock* record) {
    if (!record)
        return CellChanges::NoRecord;
    if (last != CellChanges::NoRecord && same(changes.states[last], *record))
        return last;
    const uint64_t key = hash(*record);
    std::vector<uint32_t>& bucket = seen[key];
    for (uint32_t index : bucket)
        if (same(changes.states[index], *record))
            return last = index;
    MapBlock state = *record;
    state.x = state.y = state.z = 0;
    changes.states.push_back(state);
    last = static_cast<uint32_t>(changes.states.size() - 1);
    bucket.push_back(last);
    return last;
}

void ChangeLog::add(int32_t sector, int32_t x, int32_t y, int32_t z, uint32_t before,
                    uint32_t after) {
    if (before == after)
        return;
    if (changes.cells.size() >= limit)
        throw LimitReached();
    changes.cells.push_back({sector, static_cast<int16_t>(x), static_cast<int16_t>(y),
                             static_cast<int16_t>(z), before, after});
}

void ChangeLog::revert(TamoMap& map) {
    for (size_t i = changes.cells.size(); i-- > 0;) {
        const CellChanges::Cell& cell = changes.cells[i];
        if (cell.sector < 0 || cell.sector >= map.sectorCount())
            continue;
        const MapBlock* before =
            cell.before == CellChanges::NoRecord ? nullptr : &changes.states[cell.before];
        map.sector(cell.sector)->restoreCell(cell.x, cell.y, cell.z, before);
    }
    take();
}

namespace {

uint64_t cellKey(const CellChanges::Cell& cell) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(cell.sector)) << 30) |
           (static_cast<uint64_t>(cell.x & 1023) << 20) |
           (static_cast<uint64_t>(cell.y & 1023) << 10) | static_cast<uint64_t>(cell.z & 1023);
}

}  // namespace

void ChangeLog::mergeRepeatedCells() {
    std::vector<CellChanges::Cell>& cells = changes.cells;
    std::unordered_map<uint64_t, uint32_t> first;
    first.reserve(cells.size());
    bool repeated = false;
    for (size_t i = 0; i < cells.size(); ++i) {
        const auto placed = first.emplace(cellKey(cells[i]), static_cast<uint32_t>(i));
        if (!placed.second) {
            cells[placed.first->second].after = cells[i].after;
            cells[i].sector = -1;  // merged into the first
            repeated = true;
        }
    }
    if (!repeated)
        return;
    size_t kept = 0;
    for (const CellChanges::Cell& cell : cells)
        if (cell.sector >= 0 && cell.before != cell.after)
            cells[kept++] = cell;
    cells.resize(kept);
}

CellChanges ChangeLog::take() {
    seen.clear();
    last = CellChanges::NoRecord;
    changes.cells.shrink_to_fit();
    CellChanges taken = std::move(changes);
    changes = CellChanges();
    return taken;
}

bool ChangeLog::same(const MapBlock& a, const MapBlock& b) {
    if (a.used != b.used)
        return false;
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        if (a.faces[f] != b.faces[f])
            return false;
    return true;
}

uint64_t ChangeLog::hash(const MapBlock& block) {
    uint64_t h = block.used ? 1469598103934665603ull : 7809847782465536322ull;
    for (const FaceMaterial& m : block.faces) {
        const int64_t fields[6] = {m.texture, m.offsetU, m.offsetV, m.rotation, m.scaleU, m.scaleV};
        for (int64_t v : fields)
            h = (h ^ static_cast<uint64_t>(v)) * 1099511628211ull;
    }
    return h;
}
