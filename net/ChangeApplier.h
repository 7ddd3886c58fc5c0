#pragma once
#include <cstdint>

#include "net/Protocol.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHost;

// Applies changes of the shared city to one world, the same way in every
// world that holds it (the server's and each person's), so that worlds that
// apply the same changes in the same order end up the same. A change that
// names a sprite the world does not hold changes nothing; a sector already
// there is not added twice, and one is removed only while it holds no block.
// A block set in a sector the world does not hold (one removed by an undo
// since the block was placed) brings the sector back rather than being lost.
// Nothing is reported to a history: the caller decides whether the change is
// recorded.
class ChangeApplier {
public:
    ChangeApplier(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHost& host)
            : map(map), sprites(sprites), host(host) {}

    // The id an added sprite took is put in *addedId (when given).
    void apply(const Protocol::Change& change, int32_t* addedId = nullptr);

    // The first sector of that origin and size in list order, or -1.
    int32_t findSector(const Vector3& origin, int32_t size) const;
    // The first sprite of that id in list order, or -1.
    int32_t findSprite(int32_t id) const;

private:
    // The sector of that origin and size, added at the end when there is
    // none; -1 when it cannot be made.
    int32_t sectorFor(const Protocol::Change& change);
    void restoreSprite(const Protocol::Change& change);

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHost& host;
};
