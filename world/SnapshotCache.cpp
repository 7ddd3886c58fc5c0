#include "world/SnapshotCache.h"

#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

#include "world/ByteWriter.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// Bytes written by write through a ByteWriter, as one part; null without
// memory for them.
template <class Write>
WorldBytes::Part partOf(Write write) {
    try {
        std::vector<uint8_t> bytes;
        ByteWriter out(bytes);
        write(out);
        if (!out.finish())
            return nullptr;
        return std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

WorldBytes::Part SnapshotCache::recordOf(const TamoSector& sector, MapFormat::RecordOrder order,
                                         bool* written) {
    *written = false;
    const auto found = kept.find(&sector);
    // Stamps are unique among all sectors, so one kept for a deleted sector
    // at the same address never matches.
    if (found != kept.end() && found->second.stamp == sector.recordsStamp() &&
        found->second.order == order)
        return found->second.record;
    WorldBytes::Part record = partOf([&](ByteWriter& out) { sector.writeRecord(out, order); });
    if (!record)
        return nullptr;
    *written = true;
    try {
        Kept& entry = kept[&sector];
        entry.stamp = sector.recordsStamp();
        entry.order = order;
        entry.record = record;
    } catch (const std::bad_alloc&) {
        // Not kept: written again next time.
    }
    return record;
}

void SnapshotCache::dropGone(const TamoMap& map) {
    if (kept.size() <= static_cast<size_t>(map.sectorCount()))
        return;  // every kept sector may still be in the map
    try {
        std::unordered_set<const TamoSector*> present;
        for (int32_t i = 0; i < map.sectorCount(); ++i)
            present.insert(map.sector(i));
        for (auto it = kept.begin(); it != kept.end();)
            it = present.count(it->first) ? std::next(it) : kept.erase(it);
    } catch (const std::bad_alloc&) {
        kept.clear();
    }
}

bool SnapshotCache::take(const TamoMap& map, const TamoSpriteObjectSet& sprites, WorldBytes* out) {
    out->parts.clear();
    dropGone(map);
    try {
        out->parts.reserve(static_cast<size_t>(map.sectorCount()) + 2);
        out->parts.push_back(
            partOf([&](ByteWriter& w) { MapFormat::writeCount(w, map.sectorCount()); }));
        for (int32_t i : map.writeOrder()) {
            if (!out->parts.back())
                break;
            bool written = false;
            out->parts.push_back(recordOf(*map.sector(i), map.recordOrder(), &written));
        }
        if (out->parts.back())
            out->parts.push_back(partOf([&](ByteWriter& w) { sprites.write(w); }));
        if (out->parts.back())
            return true;
    } catch (const std::bad_alloc&) {
    }
    out->parts.clear();
    return false;
}

bool SnapshotCache::warm(const TamoMap& map, int32_t maxSectors, bool rest) {
    dropGone(map);
    bool resting = false;
    try {
        for (int32_t i = 0; i < map.sectorCount(); ++i) {
            const TamoSector& sector = *map.sector(i);
            Kept& entry = kept[&sector];
            const uint64_t stamp = sector.recordsStamp();
            if (entry.stamp == stamp && entry.order == map.recordOrder())
                continue;
            if (rest && entry.seen != stamp) {
                entry.seen = stamp;  // changed since the last look: let it rest
                resting = true;
                continue;
            }
            if (maxSectors-- <= 0)
                return false;
            bool written = false;
            if (!recordOf(sector, map.recordOrder(), &written))
                return false;
        }
    } catch (const std::bad_alloc&) {
        // Spare work: the next take writes what is missing.
        return false;
    }
    return !resting;
}
