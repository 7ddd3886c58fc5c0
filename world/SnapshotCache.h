#pragma once
#include <cstdint>
#include <unordered_map>

#include "world/MapFormat.h"
#include "world/WorldBytes.h"

class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;

// Snapshots of a world's saved bytes, taken again and again (the autosave):
// each sector's record is kept from one snapshot to the next and written
// again only when the sector's records stamp has changed, so a snapshot
// after a small edit costs the edited sectors, the sector list and the
// sprite section rather than the whole world. The bytes are exactly those
// MapFile::snapshotWorld gives, in the map's record order. Reads the world:
// main thread only.
class SnapshotCache {
public:
    // The world's bytes into *out; false, and *out empty, when there was no
    // memory for them.
    bool take(const TamoMap& map, const TamoSpriteObjectSet& sprites, WorldBytes* out);
    // Writes ahead of the next take the records of at most maxSectors
    // sectors that changed since they were last written and, with rest, not
    // since the last warm (a sector being edited frame after frame waits
    // until it rests). A frame's spare work: after a load, the take finds
    // most records written already. True when every record is kept.
    bool warm(const TamoMap& map, int32_t maxSectors, bool rest = true);

private:
    struct Kept {
        uint64_t stamp = 0;  // of the record; stamps start at 1
        MapFormat::RecordOrder order = MapFormat::RecordOrder::AsKept;
        WorldBytes::Part record;
        uint64_t seen = 0;  // the stamp the last warm found
    };
    // The sector's record, written again unless kept under its current stamp;
    // null without memory for it.
    WorldBytes::Part recordOf(const TamoSector& sector, MapFormat::RecordOrder order,
                              bool* written);
    // Drops what is kept for sectors no longer in the map.
    void dropGone(const TamoMap& map);

    std::unordered_map<const TamoSector*, Kept> kept;
};
