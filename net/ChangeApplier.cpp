#include "net/ChangeApplier.h"

#include <algorithm>
#include <climits>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHost.h"

using Protocol::Change;

int32_t ChangeApplier::findSector(const Vector3& origin, int32_t size) const {
    return WorldEdit::findSector(map, origin, size);
}

int32_t ChangeApplier::findSprite(int32_t id) const {
    return WorldEdit::findSprite(sprites, id);
}

int32_t ChangeApplier::sectorFor(const Change& change) {
    const int32_t index = findSector(change.origin, change.size);
    if (index >= 0)
        return index;
    TamoSector* sector = host.createSector(change.origin, change.size);
    if (!sector)
        return -1;
    const int32_t count = map.sectorCount();
    map.appendSector(sector);
    return map.sectorCount() > count ? count : -1;
}

void ChangeApplier::restoreSprite(const Change& change) {
    if (findSprite(change.sprite.id) >= 0)
        return;  // ids stay unique
    const int32_t place =
        WorldEdit::restorePlace(sprites, change.place, change.followed, change.following);
    SpriteObject object = change.sprite;
    object.selected = false;
    sprites.insertObject(place, std::move(object));
    // An id at or past the next one (never sent by a sound program) would
    // be given again.
    if (change.sprite.id >= sprites.getNextId())
        sprites.setNextId(change.sprite.id == INT32_MAX ? INT32_MAX : change.sprite.id + 1);
}

void ChangeApplier::apply(const Change& change, int32_t* addedId) {
    switch (change.type) {
    case Change::SectorAdd:
        sectorFor(change);
        break;
    case Change::SectorRemove: {
        const int32_t index = findSector(change.origin, change.size);
        if (index < 0)
            break;
        const DynArray<MapBlock>& blocks = map.sector(index)->blocks;
        if (std::none_of(blocks.begin(), blocks.end(), [](const MapBlock& b) { return b.used; }))
            delete map.takeSector(index);
        break;
    }
    case Change::CellSet:
    case Change::CellClear: {
        const int32_t index = change.type == Change::CellSet
                                  ? sectorFor(change)
                                  : findSector(change.origin, change.size);
        if (index >= 0)
            map.sector(index)->restoreCell(change.block.x, change.block.y, change.block.z,
                                           change.type == Change::CellSet ? &change.block
                                                                          : nullptr);
        break;
    }
    case Change::SpriteAdd: {
        SpriteObject object = change.sprite;
        object.id = sprites.getNextId();
        object.selected = false;
        sprites.insertObject(sprites.count(), std::move(object));
        sprites.setNextId(sprites.getNextId() == INT32_MAX ? INT32_MAX : sprites.getNextId() + 1);
        if (addedId)
            *addedId = sprites.object(sprites.count() - 1).id;
        break;
    }
    case Change::SpriteEdit: {
        const int32_t index = findSprite(change.sprite.id);
        if (index >= 0) {
            SpriteObject& object = sprites.object(index);
            const bool selected = object.selected;
            object = change.sprite;
            object.selected = selected;
        }
        break;
    }
    case Change::SpriteRemove: {
        const int32_t index = findSprite(change.sprite.id);
        if (index >= 0)
            sprites.removeObject(index);
        break;
    }
    case Change::SpriteRestore:
        restoreSprite(change);
        break;
    }
}
