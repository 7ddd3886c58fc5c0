#include "world/WorldEdit.h"

#include <algorithm>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

WorldEdit WorldEdit::cell(const Vector3& origin, int32_t size, int32_t x, int32_t y, int32_t z,
                          const std::optional<MapBlock>& block) {
    WorldEdit edit;
    edit.origin = origin;
    edit.size = size;
    const bool used = block && block->used;
    edit.type = used ? CellSet : CellClear;
    if (used)
        edit.block = *block;
    edit.block.x = x, edit.block.y = y, edit.block.z = z;
    edit.block.used = used;
    return edit;
}

int32_t WorldEdit::findSector(const TamoMap& map, const Vector3& origin, int32_t size,
                              int32_t hint) {
    const auto is = [&](int32_t i) {
        const TamoSector& sector = *map.sector(i);
        return sector.size == size && sector.origin == origin;
    };
    // The hint is where the caller last saw it: worlds hold one sector of
    // each origin and size, so it is taken without looking before it.
    if (hint >= 0 && hint < map.sectorCount() && is(hint))
        return hint;
    for (int32_t i = 0; i < map.sectorCount(); ++i)
        if (is(i))
            return i;
    return -1;
}

int32_t WorldEdit::findSprite(const TamoSpriteObjectSet& sprites, int32_t id) {
    for (int32_t i = 0; i < sprites.count(); ++i)
        if (sprites.object(i).id == id)
            return i;
    return -1;
}

int32_t WorldEdit::restorePlace(const TamoSpriteObjectSet& sprites, int32_t place, bool followed,
                                int32_t following) {
    const int32_t after = followed ? findSprite(sprites, following) : -1;
    return after >= 0 ? after : std::clamp(place, 0, sprites.count());
}

bool sameShownCell(const std::optional<MapBlock>& a, const std::optional<MapBlock>& b) {
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        if (a->faces[f] != b->faces[f])
            return false;
    return true;
}
