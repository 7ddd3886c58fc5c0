#pragma once
#include <cstdint>
#include <optional>

#include "platform/Vector3.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"

class TamoMap;
class TamoSpriteObjectSet;

// One change to the world, naming what it touches by what stays true of it
// whatever the lists' order: a sector by its origin and size, a cell by its
// sector and place in it, a figure by its id. What the undo history hands a
// shared city and what travels between its copies.
struct WorldEdit {
    enum Type : uint8_t {
        SectorAdd = 1,     // a sector of origin and size (none when one is there)
        CellSet = 2,       // the cell holds block (its faces)
        CellClear = 3,     // the cell holds no block
        SpriteAdd = 4,     // sprite added at the end, taking the world's next id
        SpriteEdit = 5,    // the sprite of sprite.id takes sprite's fields
        SpriteRemove = 6,  // the sprite of sprite.id goes
        SectorRemove = 7,  // the sector of origin and size goes, when it holds no block
        // sprite comes back with its own id (unless one has it): before the
        // sprite of id following when one followed it and is still there,
        // otherwise at place (at the end when that is past it).
        SpriteRestore = 8,
    };
    Type type = SectorAdd;
    Vector3 origin;    // sector and cell changes: the sector
    int32_t size = 0;  // its edge in cells
    MapBlock block;    // cell changes: x, y, z (and faces)
    SpriteObject sprite;
    int32_t place = 0;  // SpriteRestore: its place in the list, from 0
    bool followed = false;
    int32_t following = 0;

    // A cell change to the block's faces (used) or to no block.
    static WorldEdit cell(const Vector3& origin, int32_t size, int32_t x, int32_t y, int32_t z,
                          const std::optional<MapBlock>& block);

    // The first sector of that origin and size in list order, or -1; hint:
    // an index to try first.
    static int32_t findSector(const TamoMap& map, const Vector3& origin, int32_t size,
                              int32_t hint = -1);
    // The first sprite of that id in list order, or -1.
    static int32_t findSprite(const TamoSpriteObjectSet& sprites, int32_t id);
    // Where a sprite comes back: before the one of id following when
    // followed and it is there, otherwise at place (at most the end).
    static int32_t restorePlace(const TamoSpriteObjectSet& sprites, int32_t place, bool followed,
                                int32_t following);
};

// A cell as the world shows it: a used block, or none.
inline std::optional<MapBlock> shownCell(const MapBlock* cell) {
    if (cell && cell->used)
        return *cell;
    return std::nullopt;
}

// True when both show the same: no block, or blocks of the same faces.
bool sameShownCell(const std::optional<MapBlock>& a, const std::optional<MapBlock>& b);
