#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Vector3.h"
#include "world/CellChanges.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"
#include "world/WorldEdit.h"
#include "world/WorldFileStamp.h"

class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;

// One action of the undo history: the steps it made, in order. Each step
// names what it touched as the world's copies agree on it, a sector by its
// origin and size and a figure by its id, and keeps the list position it
// had only as a hint: an action undoes and redoes whatever order loads,
// others' changes or scripts gave the lists since.
struct HistoryAction {
    // Rough bookkeeping of what a sector costs beyond its records (quad
    // table, display list, index): enough to keep the cap honest for many
    // small ones.
    static constexpr size_t SectorOverheadBytes = 1024;
    static size_t spriteBytes(const SpriteObject& object);
    static size_t sectorListBytes(const std::vector<TamoSector*>& list);
    static size_t spriteListBytes(const std::vector<SpriteObject>& list);

    enum Kind {
        Cell,
        Cells,
        SectorAdd,
        Sectors,
        SpriteEdit,
        SpriteAdd,
        SpriteRemove,
        Sprites,
        File
    };
    struct Step {
        Kind kind;
        size_t slot;  // into the vector of that kind
    };
    struct SectorRef {
        Vector3 origin;
        int32_t size = 0;
        int32_t hint = -1;  // its index when recorded
    };
    struct CellStep {
        SectorRef sector;
        int32_t x, y, z;
        std::optional<MapBlock> before, after;
    };
    // Many cells: each cell's sector is an index into sectors.
    struct BulkStep {
        CellChanges cells;
        std::vector<SectorRef> sectors;
    };
    struct SectorStep {
        SectorRef sector;
        std::unique_ptr<TamoSector> held;  // the sector while undone
    };
    struct SpriteStep {
        int32_t id = 0;
        SpriteObject before, after;  // SpriteAdd: after; SpriteRemove: before
        // Where it comes back: before the figure of id following, else at place.
        int32_t place = 0;
        bool followed = false;
        int32_t following = 0;
        int32_t nextIdBefore = 0, nextIdAfter = 0;
    };
    struct World {
        // The world that is not shown: the earlier one while the load stands,
        // the loaded one while it is undone.
        std::vector<TamoSector*> sectors;
        std::vector<SpriteObject> sprites;
        int32_t nextId = 0;
        bool hasSectors = false;
        bool hasSprites = false;
    };

    uint64_t id = 0;
    // The history's state before the action, and the one its undo left.
    uint64_t stateBefore = 0, stateUndone = 0;
    std::string tag;
    size_t bytes = 0;
    std::vector<Step> steps;
    std::vector<CellStep> cells;
    std::vector<BulkStep> bulk;
    std::vector<SectorStep> sectorsAdded;
    std::vector<SpriteStep> spriteEdits;
    std::vector<World> worlds;
    std::vector<std::pair<WorldFileStamp, WorldFileStamp>> files;  // before, after

    HistoryAction() = default;
    ~HistoryAction();
    HistoryAction(const HistoryAction&) = delete;
    HistoryAction& operator=(const HistoryAction&) = delete;

    // Applies every step: forwards in order (redo) or backwards in reverse
    // (undo). Returns how the bytes held by swapped worlds changed.
    int64_t apply(TamoMap& map, TamoSpriteObjectSet& sprites, WorldFileStamp& file, bool forward);
    // Undoes (forward false) or redoes the action as edits, without applying
    // them: each step only where the world still shows what it left (or,
    // redoing, what its undo left); a sector the action added goes when it
    // holds no block, a deleted figure comes back under its id. Steps left
    // alone drop out of the action. True when no step was left alone.
    bool reverse(const TamoMap& map, const TamoSpriteObjectSet& sprites, bool forward,
                 std::vector<WorldEdit>* edits);
    // Figures of id from and above are now numbered by higher.
    void renumberSprites(int32_t from, int32_t by);

private:
    void applyCell(TamoMap& map, const CellStep& step, bool forward);
    void applyCells(TamoMap& map, const BulkStep& step, bool forward);
    void applySprite(TamoSpriteObjectSet& sprites, const Step& step, bool forward);
    // What the edits of a reversal so far leave, for its later checks.
    struct Reversing;
    bool reverseCells(const TamoMap& map, BulkStep& step, bool forward, Reversing& so,
                      std::vector<WorldEdit>* edits);
    bool reverseSprite(const TamoSpriteObjectSet& sprites, const Step& step, bool forward,
                       Reversing& so, std::vector<WorldEdit>* edits);
};
