#include "world/HistoryAction.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

TamoSector* sectorOf(const TamoMap& map, const HistoryAction::SectorRef& ref) {
    const int32_t index = WorldEdit::findSector(map, ref.origin, ref.size, ref.hint);
    return index < 0 ? nullptr : map.sector(index);
}

std::optional<MapBlock> stateOf(const CellChanges& changes, uint32_t index) {
    if (index == CellChanges::NoRecord)
        return std::nullopt;
    return changes.states[index];
}

WorldEdit spriteEdit(WorldEdit::Type type, const SpriteObject& object) {
    WorldEdit edit;
    edit.type = type;
    edit.sprite = object;
    edit.sprite.selected = false;
    return edit;
}

// Where the figure stands now, for its return after a removal.
void notePlace(const TamoSpriteObjectSet& sprites, int32_t index, HistoryAction::SpriteStep& step) {
    step.place = index;
    step.followed = index + 1 < sprites.count();
    step.following = step.followed ? sprites.object(index + 1).id : 0;
}

}  // namespace

size_t HistoryAction::spriteBytes(const SpriteObject& object) {
    return sizeof(SpriteObject) + object.name.capacity();
}

size_t HistoryAction::sectorListBytes(const std::vector<TamoSector*>& list) {
    size_t bytes = 0;
    for (const TamoSector* sector : list)
        bytes +=
            SectorOverheadBytes + static_cast<size_t>(sector->blocks.count()) * sizeof(MapBlock);
    return bytes;
}

size_t HistoryAction::spriteListBytes(const std::vector<SpriteObject>& list) {
    size_t bytes = 0;
    for (const SpriteObject& object : list)
        bytes += spriteBytes(object);
    return bytes;
}

HistoryAction::~HistoryAction() {
    for (World& world : worlds)
        for (TamoSector* sector : world.sectors)
            delete sector;
}

void HistoryAction::applyCell(TamoMap& map, const CellStep& step, bool forward) {
    TamoSector* sector = sectorOf(map, step.sector);
    const std::optional<MapBlock>& state = forward ? step.after : step.before;
    if (sector)
        sector->restoreCell(step.x, step.y, step.z, state ? &*state : nullptr);
}

void HistoryAction::applyCells(TamoMap& map, const BulkStep& step, bool forward) {
    std::vector<TamoSector*> found;
    found.reserve(step.sectors.size());
    for (const SectorRef& ref : step.sectors)
        found.push_back(sectorOf(map, ref));
    const CellChanges& changes = step.cells;
    const auto put = [&](const CellChanges::Cell& cell) {
        TamoSector* sector = found[static_cast<size_t>(cell.sector)];
        if (!sector)
            return;
        const uint32_t state = forward ? cell.after : cell.before;
        sector->restoreCell(cell.x, cell.y, cell.z,
                            state == CellChanges::NoRecord ? nullptr : &changes.states[state]);
    };
    if (forward)
        for (const CellChanges::Cell& cell : changes.cells)
            put(cell);
    else
        for (size_t i = changes.cells.size(); i-- > 0;)
            put(changes.cells[i]);
}

void HistoryAction::applySprite(TamoSpriteObjectSet& sprites, const Step& step, bool forward) {
    const SpriteStep& edit = spriteEdits[step.slot];
    const int32_t index = WorldEdit::findSprite(sprites, edit.id);
    if (step.kind == SpriteEdit) {
        if (index >= 0) {
            SpriteObject& object = sprites.object(index);
            const bool selected = object.selected;
            object = forward ? edit.after : edit.before;
            object.selected = selected;
        }
        return;
    }
    if ((step.kind == SpriteAdd) == forward) {
        SpriteObject object = step.kind == SpriteAdd ? edit.after : edit.before;
        object.selected = false;
        if (index < 0)
            sprites.insertObject(
                WorldEdit::restorePlace(sprites, edit.place, edit.followed, edit.following),
                std::move(object));
    } else if (index >= 0) {
        sprites.removeObject(index);
    }
    sprites.setNextId(forward ? edit.nextIdAfter : edit.nextIdBefore);
}

int64_t HistoryAction::apply(TamoMap& map, TamoSpriteObjectSet& sprites, WorldFileStamp& file,
                             bool forward) {
    int64_t grown = 0;
    const auto one = [&](const Step& step) {
        switch (step.kind) {
        case Cell:
            applyCell(map, cells[step.slot], forward);
            break;
        case Cells:
            applyCells(map, bulk[step.slot], forward);
            break;
        case SectorAdd: {
            SectorStep& added = sectorsAdded[step.slot];
            if (forward) {
                if (added.held)
                    map.appendSector(added.held.release());
            } else {
                const int32_t index = WorldEdit::findSector(map, added.sector.origin,
                                                            added.sector.size, added.sector.hint);
                if (index >= 0)
                    added.held.reset(map.takeSector(index));
            }
            break;
        }
        case Sectors: {
            World& world = worlds[step.slot];
            const int64_t before = static_cast<int64_t>(sectorListBytes(world.sectors));
            map.swapSectors(world.sectors);
            grown += static_cast<int64_t>(sectorListBytes(world.sectors)) - before;
            break;
        }
        case Sprites: {
            World& world = worlds[step.slot];
            const int64_t before = static_cast<int64_t>(spriteListBytes(world.sprites));
            sprites.swapContents(world.sprites, world.nextId);
            grown += static_cast<int64_t>(spriteListBytes(world.sprites)) - before;
            break;
        }
        case File:
            file = forward ? files[step.slot].second : files[step.slot].first;
            break;
        default:
            applySprite(sprites, step, forward);
            break;
        }
    };
    if (forward)
        for (const Step& step : steps)
            one(step);
    else
        for (size_t i = steps.size(); i-- > 0;)
            one(steps[i]);
    return grown;
}

// A reversal checks each step against the world as the edits before it in
// the same reversal will leave it: cells that several steps wrote (a box
// edit, then clicks), figures added and then moved in one action.
struct HistoryAction::Reversing {
    using CellKey = std::tuple<float, float, float, int32_t, int32_t, int32_t, int32_t>;
    bool cellsRepeat = false;  // some cell may be in more than one step
    std::map<CellKey, std::optional<MapBlock>> cells;
    std::unordered_map<int32_t, std::optional<SpriteObject>> figures;

    std::optional<MapBlock> cellNow(const TamoSector* sector, const SectorRef& ref, int32_t x,
                                    int32_t y, int32_t z) const {
        if (cellsRepeat) {
            const auto found = cells.find(key(ref, x, y, z));
            if (found != cells.end())
                return found->second;
        }
        return shownCell(sector ? sector->findBlock(x, y, z) : nullptr);
    }
    void cellLeft(const SectorRef& ref, int32_t x, int32_t y, int32_t z,
                  const std::optional<MapBlock>& state) {
        if (cellsRepeat)
            cells[key(ref, x, y, z)] = shownCell(state ? &*state : nullptr);
    }
    // The figure of id as the world will show it; null when it is not there.
    const SpriteObject* figureNow(const TamoSpriteObjectSet& sprites, int32_t id) const {
        const auto found = figures.find(id);
        if (found != figures.end())
            return found->second ? &*found->second : nullptr;
        const int32_t index = WorldEdit::findSprite(sprites, id);
        return index < 0 ? nullptr : &sprites.object(index);
    }
    static CellKey key(const SectorRef& ref, int32_t x, int32_t y, int32_t z) {
        return {ref.origin.x, ref.origin.y, ref.origin.z, ref.size, x, y, z};
    }
};

bool HistoryAction::reverseCells(const TamoMap& map, BulkStep& step, bool forward, Reversing& so,
                                 std::vector<WorldEdit>* edits) {
    CellChanges& changes = step.cells;
    std::vector<TamoSector*> found;
    found.reserve(step.sectors.size());
    for (const SectorRef& ref : step.sectors)
        found.push_back(sectorOf(map, ref));
    std::vector<CellChanges::Cell> kept;
    kept.reserve(changes.cells.size());
    const size_t count = changes.cells.size();
    for (size_t n = 0; n < count; ++n) {
        const CellChanges::Cell& cell = changes.cells[forward ? n : count - 1 - n];
        const TamoSector* sector = found[static_cast<size_t>(cell.sector)];
        const SectorRef& ref = step.sectors[static_cast<size_t>(cell.sector)];
        const std::optional<MapBlock> now = so.cellNow(sector, ref, cell.x, cell.y, cell.z);
        const std::optional<MapBlock> left = stateOf(changes, forward ? cell.before : cell.after);
        if (!sameShownCell(now, shownCell(left ? &*left : nullptr)))
            continue;
        const std::optional<MapBlock> target = stateOf(changes, forward ? cell.after : cell.before);
        edits->push_back(WorldEdit::cell(ref.origin, ref.size, cell.x, cell.y, cell.z, target));
        so.cellLeft(ref, cell.x, cell.y, cell.z, target);
        kept.push_back(cell);
    }
    const bool all = kept.size() == count;
    if (!forward)
        std::reverse(kept.begin(), kept.end());
    changes.cells = std::move(kept);
    return all;
}

bool HistoryAction::reverseSprite(const TamoSpriteObjectSet& sprites, const Step& step,
                                  bool forward, Reversing& so, std::vector<WorldEdit>* edits) {
    SpriteStep& edit = spriteEdits[step.slot];
    // What the step (or its undo) left, when the figure should be there.
    const bool inserts = (step.kind == SpriteAdd) == forward;
    if (step.kind != SpriteEdit && inserts) {
        WorldEdit back =
            spriteEdit(WorldEdit::SpriteRestore, step.kind == SpriteAdd ? edit.after : edit.before);
        back.place = edit.place;
        back.followed = edit.followed;
        back.following = edit.following;
        if (!so.figureNow(sprites, edit.id))
            so.figures[edit.id] = back.sprite;
        edits->push_back(std::move(back));
        return true;
    }
    const SpriteObject& left = forward ? edit.before : edit.after;
    const SpriteObject* now = so.figureNow(sprites, edit.id);
    if (!now || !sameSavedFields(*now, left))
        return false;
    if (step.kind == SpriteEdit) {
        edits->push_back(spriteEdit(WorldEdit::SpriteEdit, forward ? edit.after : edit.before));
        so.figures[edit.id] = edits->back().sprite;
    } else {
        const int32_t index = WorldEdit::findSprite(sprites, edit.id);
        if (index >= 0)
            notePlace(sprites, index, edit);
        edits->push_back(spriteEdit(WorldEdit::SpriteRemove, left));
        so.figures[edit.id] = std::nullopt;
    }
    return true;
}

bool HistoryAction::reverse(const TamoMap& map, const TamoSpriteObjectSet& sprites, bool forward,
                            std::vector<WorldEdit>* edits) {
    std::vector<Step> kept;
    bool all = true;
    const size_t count = steps.size();
    Reversing so;
    // Single cells are one step each within an action; a box edit's cells
    // may also be in other steps.
    so.cellsRepeat = bulk.size() + (cells.empty() ? 0 : 1) > 1;
    for (size_t n = 0; n < count; ++n) {
        const Step& step = steps[forward ? n : count - 1 - n];
        bool done = true;
        switch (step.kind) {
        case Cell: {
            const CellStep& cell = cells[step.slot];
            const std::optional<MapBlock> now =
                so.cellNow(sectorOf(map, cell.sector), cell.sector, cell.x, cell.y, cell.z);
            const std::optional<MapBlock>& left = forward ? cell.before : cell.after;
            done = sameShownCell(now, shownCell(left ? &*left : nullptr));
            if (done) {
                const std::optional<MapBlock>& target = forward ? cell.after : cell.before;
                edits->push_back(WorldEdit::cell(cell.sector.origin, cell.sector.size, cell.x,
                                                 cell.y, cell.z, target));
                so.cellLeft(cell.sector, cell.x, cell.y, cell.z, target);
            }
            break;
        }
        case Cells:
            all = reverseCells(map, bulk[step.slot], forward, so, edits) && all;
            break;
        case SectorAdd: {
            const SectorRef& ref = sectorsAdded[step.slot].sector;
            WorldEdit edit;
            edit.type = forward ? WorldEdit::SectorAdd : WorldEdit::SectorRemove;
            edit.origin = ref.origin;
            edit.size = ref.size;
            edits->push_back(edit);
            break;
        }
        case SpriteEdit:
        case SpriteAdd:
        case SpriteRemove:
            done = reverseSprite(sprites, step, forward, so, edits);
            break;
        default:
            done = false;  // loads and file names stay with the copy that made them
            break;
        }
        all = all && done;
        if (done)
            kept.push_back(step);
    }
    if (!forward)
        std::reverse(kept.begin(), kept.end());
    steps = std::move(kept);
    return all;
}

void HistoryAction::renumberSprites(int32_t from, int32_t by) {
    const auto shift = [from, by](int32_t& id) {
        if (id >= from)
            id += by;
    };
    for (SpriteStep& step : spriteEdits) {
        shift(step.id);
        shift(step.before.id);
        shift(step.after.id);
        if (step.followed)
            shift(step.following);
    }
}
