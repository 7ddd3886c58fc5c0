#include "world/WorldHistory.h"

#include <utility>

#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldChangeObserver.h"

namespace {

// Rough bookkeeping of what a sector costs beyond its records (quad table,
// display list, index): enough to keep the cap honest for many small ones.
constexpr size_t SectorOverheadBytes = 1024;

bool sameBlock(const std::optional<MapBlock>& a, const std::optional<MapBlock>& b) {
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    if (a->used != b->used)
        return false;
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        if (a->faces[f] != b->faces[f])
            return false;
    return true;
}

size_t spriteBytes(const SpriteObject& object) {
    return sizeof(SpriteObject) + object.name.capacity();
}

size_t sectorListBytes(const std::vector<TamoSector*>& list) {
    size_t bytes = 0;
    for (const TamoSector* sector : list)
        bytes +=
            SectorOverheadBytes + static_cast<size_t>(sector->blocks.count()) * sizeof(MapBlock);
    return bytes;
}

size_t spriteListBytes(const std::vector<SpriteObject>& list) {
    size_t bytes = 0;
    for (const SpriteObject& object : list)
        bytes += spriteBytes(object);
    return bytes;
}

uint64_t cellKey(int32_t sector, int32_t x, int32_t y, int32_t z) {
    // Cells of a sector are below 1024 on each axis (the largest sector is 1000).
    return (static_cast<uint64_t>(static_cast<uint32_t>(sector)) << 30) |
           (static_cast<uint64_t>(x & 1023) << 20) | (static_cast<uint64_t>(y & 1023) << 10) |
           static_cast<uint64_t>(z & 1023);
}

}  // namespace

struct WorldHistory::Step {
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
    Kind kind;
    size_t slot;  // into the action's vector for that kind
};

struct WorldHistory::Action {
    struct CellStep {
        int32_t sector, x, y, z;
        std::optional<MapBlock> before, after;
    };
    struct SpriteStep {
        int32_t index;
        SpriteObject before, after;  // SpriteAdd: after; SpriteRemove: before
        int32_t nextIdBefore, nextIdAfter;
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
    std::string tag;
    size_t bytes = 0;
    std::vector<Step> steps;
    std::vector<CellStep> cells;
    std::vector<CellChanges> bulk;
    std::vector<SpriteStep> spriteEdits;
    std::vector<std::unique_ptr<TamoSector>> held;  // SectorAdd: the sector while undone
    std::vector<World> worlds;
    std::vector<std::pair<WorldFileStamp, WorldFileStamp>> files;  // before, after

    ~Action() {
        for (World& world : worlds)
            for (TamoSector* sector : world.sectors)
                delete sector;
    }
};

WorldHistory::WorldHistory(TamoMap& map, TamoSpriteObjectSet& sprites, size_t capBytes)
        : map(map), sprites(sprites), capBytes(capBytes) {
    map.setHistory(this);
    sprites.setHistory(this);
}

WorldHistory::~WorldHistory() {
    map.setHistory(nullptr);
    sprites.setHistory(nullptr);
}

WorldHistory::Action& WorldHistory::openAction() {
    if (open)
        return *done.back();
    dropRedoable();
    auto action = std::make_unique<Action>();
    action->id = nextActionId++;
    action->tag = openTag;
    done.push_back(std::move(action));
    open = true;
    cellSteps.clear();
    spriteSteps.clear();
    return *done.back();
}

void WorldHistory::addBytes(Action& action, size_t bytes) {
    action.bytes += bytes;
    usedBytes += bytes;
}

void WorldHistory::cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                               const std::optional<MapBlock>& before,
                               const std::optional<MapBlock>& after) {
    if (unobserved || sameBlock(before, after))
        return;
    if (observer)
        observer->cellChanged(sector, x, y, z, before, after);
    if (replaying)
        return;
    ++changes;
    Action& action = openAction();
    const uint64_t key = cellKey(sector, x, y, z);
    const auto found = cellSteps.find(key);
    if (found != cellSteps.end()) {
        action.cells[found->second].after = after;
        return;
    }
    cellSteps.emplace(key, action.cells.size());
    action.steps.push_back({Step::Cell, action.cells.size()});
    action.cells.push_back({sector, x, y, z, before, after});
    addBytes(action, sizeof(Action::CellStep) + sizeof(Step) + 32);
}

void WorldHistory::cellsChanged(CellChanges&& cells) {
    if (unobserved || cells.empty())
        return;
    // The observer hears a box edit cell by cell, as it hears single edits.
    if (observer) {
        const auto state = [&cells](uint32_t index) {
            return index == CellChanges::NoRecord ? std::optional<MapBlock>()
                                                  : std::optional<MapBlock>(cells.states[index]);
        };
        for (const CellChanges::Cell& cell : cells.cells)
            observer->cellChanged(cell.sector, cell.x, cell.y, cell.z, state(cell.before),
                                  state(cell.after));
    }
    if (replaying)
        return;
    ++changes;
    Action& action = openAction();
    action.steps.push_back({Step::Cells, action.bulk.size()});
    action.bulk.push_back(std::move(cells));
    addBytes(action, action.bulk.back().bytes() + sizeof(Step));
    cellSteps.clear();  // a later change to one of these cells is a step after them
}

void WorldHistory::sectorAdded() {
    if (observer && !unobserved)
        observer->sectorAdded();
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    action.steps.push_back({Step::SectorAdd, action.held.size()});
    action.held.emplace_back();
    addBytes(action, SectorOverheadBytes + sizeof(Step));
}

void WorldHistory::sectorsReplaced(std::vector<TamoSector*>&& previous) {
    if (observer && !unobserved)
        observer->worldReplaced();
    if (replaying || unobserved) {
        for (TamoSector* sector : previous)
            delete sector;
        return;
    }
    ++changes;
    Action& action = openAction();
    action.steps.push_back({Step::Sectors, action.worlds.size()});
    action.worlds.emplace_back();
    action.worlds.back().sectors = std::move(previous);
    action.worlds.back().hasSectors = true;
    addBytes(action, sectorListBytes(action.worlds.back().sectors));
    cellSteps.clear();
}

void WorldHistory::spriteChanged(int32_t index, const SpriteObject& before,
                                 const SpriteObject& after) {
    if (unobserved || sameSavedFields(before, after))
        return;
    if (observer)
        observer->spriteChanged(index, before, after);
    if (replaying)
        return;
    ++changes;
    Action& action = openAction();
    const auto found = spriteSteps.find(index);
    if (found != spriteSteps.end()) {
        action.spriteEdits[found->second].after = after;
        return;
    }
    spriteSteps.emplace(index, action.spriteEdits.size());
    action.steps.push_back({Step::SpriteEdit, action.spriteEdits.size()});
    action.spriteEdits.push_back({index, before, after, 0, 0});
    addBytes(action, sizeof(Action::SpriteStep) + spriteBytes(before) + spriteBytes(after));
}

void WorldHistory::spriteAdded(int32_t index, int32_t nextIdBefore) {
    if (observer && !unobserved)
        observer->spriteAdded(index, nextIdBefore);
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    spriteSteps.clear();  // indices after it moved
    action.steps.push_back({Step::SpriteAdd, action.spriteEdits.size()});
    const SpriteObject& added = sprites.object(index);
    action.spriteEdits.push_back({index, SpriteObject(), added, nextIdBefore, sprites.getNextId()});
    addBytes(action, sizeof(Action::SpriteStep) + spriteBytes(added));
}

void WorldHistory::spriteRemoved(int32_t index, const SpriteObject& removed) {
    if (observer && !unobserved)
        observer->spriteRemoved(index, removed);
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    spriteSteps.clear();
    action.steps.push_back({Step::SpriteRemove, action.spriteEdits.size()});
    const int32_t nextId = sprites.getNextId();
    action.spriteEdits.push_back({index, removed, SpriteObject(), nextId, nextId});
    addBytes(action, sizeof(Action::SpriteStep) + spriteBytes(removed));
}

void WorldHistory::spritesReplaced(std::vector<SpriteObject>&& previous, int32_t nextIdBefore) {
    if (observer && !unobserved)
        observer->worldReplaced();
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    spriteSteps.clear();
    action.steps.push_back({Step::Sprites, action.worlds.size()});
    action.worlds.emplace_back();
    Action::World& world = action.worlds.back();
    world.sprites = std::move(previous);
    world.nextId = nextIdBefore;
    world.hasSprites = true;
    addBytes(action, spriteListBytes(world.sprites));
}

void WorldHistory::setWorldFile(const WorldFileStamp& stamp) {
    ++changes;
    if (open) {
        Action& action = *done.back();
        action.steps.push_back({Step::File, action.files.size()});
        action.files.emplace_back(file, stamp);
        addBytes(action, sizeof(Step) + 2 * sizeof(WorldFileStamp) + file.name.capacity() +
                             stamp.name.capacity());
    }
    file = stamp;
}

void WorldHistory::closeAction() {
    openTag.clear();
    if (!open)
        return;
    open = false;
    if (done.back()->steps.empty()) {
        releaseAction(*done.back());
        done.pop_back();
        return;
    }
    enforceCap();
}

void WorldHistory::continueAction(const std::string& tag) {
    if (open && !done.empty() && done.back()->tag == tag && !tag.empty())
        return;
    closeAction();
    // The latest action goes on when nothing came after it: no undo, no
    // save, no other action.
    if (!tag.empty() && !done.empty() && done.back()->tag == tag && redoable.empty() &&
        done.back()->id != savedId && done.back()->id + 1 == nextActionId) {
        open = true;  // the coalescing maps still describe it
        return;
    }
    openTag = tag;
}

void WorldHistory::runUnobserved(const std::function<void()>& change) {
    const bool was = unobserved;
    unobserved = true;
    change();
    unobserved = was;
}

bool WorldHistory::canUndo() const {
    return !done.empty();
}

void WorldHistory::applyCell(Step& step, bool forward) {
    Action& action = forward ? *redoable.back() : *done.back();
    const Action::CellStep& cell = action.cells[step.slot];
    if (cell.sector < 0 || cell.sector >= map.sectorCount())
        return;
    const std::optional<MapBlock>& state = forward ? cell.after : cell.before;
    map.sector(cell.sector)->restoreCell(cell.x, cell.y, cell.z, state ? &*state : nullptr);
}

void WorldHistory::applyCells(Step& step, bool forward) {
    Action& action = forward ? *redoable.back() : *done.back();
    const CellChanges& changes = action.bulk[step.slot];
    const auto put = [&](const CellChanges::Cell& cell) {
        if (cell.sector < 0 || cell.sector >= map.sectorCount())
            return;
        const uint32_t state = forward ? cell.after : cell.before;
        map.sector(cell.sector)
            ->restoreCell(cell.x, cell.y, cell.z,
                          state == CellChanges::NoRecord ? nullptr : &changes.states[state]);
    };
    if (forward)
        for (const CellChanges::Cell& cell : changes.cells)
            put(cell);
    else
        for (size_t i = changes.cells.size(); i-- > 0;)
            put(changes.cells[i]);
}

void WorldHistory::applySprite(Step& step, bool forward) {
    Action& action = forward ? *redoable.back() : *done.back();
    const Action::SpriteStep& edit = action.spriteEdits[step.slot];
    const bool insert = (step.kind == Step::SpriteAdd) == forward;
    switch (step.kind) {
    case Step::SpriteEdit:
        if (edit.index >= 0 && edit.index < sprites.count()) {
            SpriteObject& object = sprites.object(edit.index);
            const bool selected = object.selected;
            object = forward ? edit.after : edit.before;
            object.selected = selected;
        }
        break;
    case Step::SpriteAdd:
    case Step::SpriteRemove:
        if (insert) {
            SpriteObject object = step.kind == Step::SpriteAdd ? edit.after : edit.before;
            object.selected = false;
            sprites.insertObject(edit.index, std::move(object));
        } else {
            sprites.removeObject(edit.index);
        }
        sprites.setNextId(forward ? edit.nextIdAfter : edit.nextIdBefore);
        break;
    default:
        break;
    }
}

void WorldHistory::apply(Step& step, bool forward) {
    Action& action = forward ? *redoable.back() : *done.back();
    switch (step.kind) {
    case Step::Cell:
        applyCell(step, forward);
        break;
    case Step::Cells:
        applyCells(step, forward);
        break;
    case Step::SectorAdd: {
        std::unique_ptr<TamoSector>& held = action.held[step.slot];
        if (forward) {
            if (held)
                map.appendSector(held.release());
        } else {
            held.reset(map.takeLastSector());
        }
        break;
    }
    case Step::Sectors: {
        Action::World& world = action.worlds[step.slot];
        const size_t before = sectorListBytes(world.sectors);
        map.swapSectors(world.sectors);
        const size_t after = sectorListBytes(world.sectors);
        usedBytes = usedBytes - before + after;
        action.bytes = action.bytes - before + after;
        break;
    }
    case Step::File:
        file = forward ? action.files[step.slot].second : action.files[step.slot].first;
        break;
    case Step::Sprites: {
        Action::World& world = action.worlds[step.slot];
        const size_t before = spriteListBytes(world.sprites);
        sprites.swapContents(world.sprites, world.nextId);
        const size_t after = spriteListBytes(world.sprites);
        usedBytes = usedBytes - before + after;
        action.bytes = action.bytes - before + after;
        break;
    }
    default:
        applySprite(step, forward);
        break;
    }
}

bool WorldHistory::undo() {
    closeAction();
    if (done.empty())
        return false;
    replaying = true;
    std::vector<Step>& steps = done.back()->steps;
    for (size_t i = steps.size(); i-- > 0;)
        apply(steps[i], false);
    replaying = false;
    ++changes;
    redoable.push_back(std::move(done.back()));
    done.pop_back();
    return true;
}

bool WorldHistory::redo() {
    closeAction();
    if (redoable.empty())
        return false;
    replaying = true;
    for (Step& step : redoable.back()->steps)
        apply(step, true);
    replaying = false;
    ++changes;
    done.push_back(std::move(redoable.back()));
    redoable.pop_back();
    // A redone action is never continued: nextActionId no longer follows it.
    ++nextActionId;
    return true;
}

void WorldHistory::releaseAction(Action& action) {
    usedBytes -= action.bytes;
    action.bytes = 0;
}

void WorldHistory::dropRedoable() {
    for (std::unique_ptr<Action>& action : redoable)
        releaseAction(*action);
    redoable.clear();
}

void WorldHistory::enforceCap() {
    while (usedBytes > capBytes && !done.empty() && !(open && done.size() == 1)) {
        floorId = done.front()->id;
        releaseAction(*done.front());
        done.pop_front();
    }
}

void WorldHistory::setCapBytes(size_t bytes) {
    capBytes = bytes;
    enforceCap();
}

void WorldHistory::clear() {
    closeAction();
    dropRedoable();
    for (std::unique_ptr<Action>& action : done)
        releaseAction(*action);
    done.clear();
    floorId = nextActionId++;
}

void WorldHistory::markSaved() {
    closeAction();
    savedId = currentState();
}

uint64_t WorldHistory::currentState() const {
    return done.empty() ? floorId : done.back()->id;
}

bool WorldHistory::isModified() const {
    return currentState() != savedId;
}
