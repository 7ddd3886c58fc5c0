#include "world/WorldHistory.h"

#include <utility>

#include "world/HistoryAction.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldChangeObserver.h"

namespace {

constexpr size_t SectorOverheadBytes = HistoryAction::SectorOverheadBytes;

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
    return HistoryAction::spriteBytes(object);
}

size_t sectorListBytes(const std::vector<TamoSector*>& list) {
    return HistoryAction::sectorListBytes(list);
}

size_t spriteListBytes(const std::vector<SpriteObject>& list) {
    return HistoryAction::spriteListBytes(list);
}

uint64_t cellKey(int32_t sector, int32_t x, int32_t y, int32_t z) {
    // Cells of a sector are below 1024 on each axis (the largest sector is 1000).
    return (static_cast<uint64_t>(static_cast<uint32_t>(sector)) << 30) |
           (static_cast<uint64_t>(x & 1023) << 20) | (static_cast<uint64_t>(y & 1023) << 10) |
           static_cast<uint64_t>(z & 1023);
}

}  // namespace

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
    action->stateBefore = state;
    action->tag = openTag;
    state = action->id;
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
    action.steps.push_back({Action::Cell, action.cells.size()});
    const TamoSector& where = *map.sector(sector);
    action.cells.push_back({{where.origin, where.size, sector}, x, y, z, before, after});
    addBytes(action, sizeof(Action::CellStep) + sizeof(Action::Step) + 32);
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
    action.steps.push_back({Action::Cells, action.bulk.size()});
    action.bulk.emplace_back();
    Action::BulkStep& bulk = action.bulk.back();
    // Each cell names its sector by an index into the step's own table.
    int32_t lastIndex = -1, lastSlot = -1;
    std::unordered_map<int32_t, int32_t> slots;
    for (CellChanges::Cell& cell : cells.cells) {
        if (cell.sector != lastIndex) {
            lastIndex = cell.sector;
            const auto found = slots.find(cell.sector);
            if (found != slots.end()) {
                lastSlot = found->second;
            } else {
                const TamoSector& where = *map.sector(cell.sector);
                lastSlot = static_cast<int32_t>(bulk.sectors.size());
                slots.emplace(cell.sector, lastSlot);
                bulk.sectors.push_back({where.origin, where.size, cell.sector});
            }
        }
        cell.sector = lastSlot;
    }
    bulk.cells = std::move(cells);
    addBytes(action, bulk.cells.bytes() + bulk.sectors.capacity() * sizeof(Action::SectorRef) +
                         sizeof(Action::Step));
    cellSteps.clear();  // a later change to one of these cells is a step after them
}

void WorldHistory::sectorAdded() {
    if (observer && !unobserved)
        observer->sectorAdded();
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    action.steps.push_back({Action::SectorAdd, action.sectorsAdded.size()});
    const int32_t last = map.sectorCount() - 1;
    action.sectorsAdded.push_back({{map.sector(last)->origin, map.sector(last)->size, last}, {}});
    addBytes(action, SectorOverheadBytes + sizeof(Action::Step));
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
    action.steps.push_back({Action::Sectors, action.worlds.size()});
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
    const auto found = spriteSteps.find(after.id);
    if (found != spriteSteps.end()) {
        action.spriteEdits[found->second].after = after;
        return;
    }
    spriteSteps.emplace(after.id, action.spriteEdits.size());
    action.steps.push_back({Action::SpriteEdit, action.spriteEdits.size()});
    Action::SpriteStep step;
    step.id = after.id;
    step.before = before;
    step.after = after;
    step.place = index;
    action.spriteEdits.push_back(std::move(step));
    addBytes(action, sizeof(Action::SpriteStep) + spriteBytes(before) + spriteBytes(after));
}

void WorldHistory::spriteAdded(int32_t index, int32_t nextIdBefore) {
    if (observer && !unobserved)
        observer->spriteAdded(index, nextIdBefore);
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    action.steps.push_back({Action::SpriteAdd, action.spriteEdits.size()});
    const SpriteObject& added = sprites.object(index);
    Action::SpriteStep step;
    step.id = added.id;
    step.after = added;
    step.place = index;
    step.nextIdBefore = nextIdBefore;
    step.nextIdAfter = sprites.getNextId();
    action.spriteEdits.push_back(std::move(step));
    addBytes(action, sizeof(Action::SpriteStep) + spriteBytes(added));
}

void WorldHistory::spriteRemoved(int32_t index, const SpriteObject& removed) {
    if (observer && !unobserved)
        observer->spriteRemoved(index, removed);
    if (replaying || unobserved)
        return;
    ++changes;
    Action& action = openAction();
    spriteSteps.erase(removed.id);  // one that comes back is edited in a step after this
    action.steps.push_back({Action::SpriteRemove, action.spriteEdits.size()});
    Action::SpriteStep step;
    step.id = removed.id;
    step.before = removed;
    step.place = index;
    step.followed = index < sprites.count();
    step.following = step.followed ? sprites.object(index).id : 0;
    step.nextIdBefore = step.nextIdAfter = sprites.getNextId();
    action.spriteEdits.push_back(std::move(step));
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
    action.steps.push_back({Action::Sprites, action.worlds.size()});
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
        action.steps.push_back({Action::File, action.files.size()});
        action.files.emplace_back(file, stamp);
        addBytes(action, sizeof(Action::Step) + 2 * sizeof(WorldFileStamp) + file.name.capacity() +
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
        if (state == done.back()->id)
            state = done.back()->stateBefore;
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
        done.back()->id != savedId && state == done.back()->id &&
        done.back()->id + 1 == nextActionId) {
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

void WorldHistory::moveAction(bool undo, bool applied) {
    std::unique_ptr<Action> action;
    if (undo) {
        action = std::move(done.back());
        done.pop_back();
    } else {
        action = std::move(redoable.back());
        redoable.pop_back();
    }
    ++changes;
    if (undo) {
        // Back to the state before it only when nothing came after it.
        state = applied && state == action->id ? action->stateBefore : freshState();
        action->stateUndone = state;
        redoable.push_back(std::move(action));
        return;
    }
    state = applied && state == action->stateUndone ? action->id : freshState();
    done.push_back(std::move(action));
    // A redone action is never continued: nextActionId no longer follows it.
    ++nextActionId;
}

bool WorldHistory::undo() {
    closeAction();
    if (done.empty())
        return false;
    replaying = true;
    const int64_t grown = done.back()->apply(map, sprites, file, false);
    replaying = false;
    done.back()->bytes = static_cast<size_t>(static_cast<int64_t>(done.back()->bytes) + grown);
    usedBytes = static_cast<size_t>(static_cast<int64_t>(usedBytes) + grown);
    moveAction(true, true);
    return true;
}

bool WorldHistory::redo() {
    closeAction();
    if (redoable.empty())
        return false;
    replaying = true;
    const int64_t grown = redoable.back()->apply(map, sprites, file, true);
    replaying = false;
    redoable.back()->bytes =
        static_cast<size_t>(static_cast<int64_t>(redoable.back()->bytes) + grown);
    usedBytes = static_cast<size_t>(static_cast<int64_t>(usedBytes) + grown);
    moveAction(false, true);
    return true;
}

WorldHistory::Reversal WorldHistory::undoAsEdits(std::vector<WorldEdit>* edits) {
    closeAction();
    if (done.empty())
        return Reversal::Nothing;
    const bool all = done.back()->reverse(map, sprites, false, edits);
    moveAction(true, false);
    return all ? Reversal::Done : Reversal::Partly;
}

WorldHistory::Reversal WorldHistory::redoAsEdits(std::vector<WorldEdit>* edits) {
    closeAction();
    if (redoable.empty())
        return Reversal::Nothing;
    const bool all = redoable.back()->reverse(map, sprites, true, edits);
    moveAction(false, false);
    return all ? Reversal::Done : Reversal::Partly;
}

void WorldHistory::othersChanged() {
    ++changes;
    state = freshState();
}

void WorldHistory::renumberSprites(int32_t from, int32_t by) {
    for (std::unique_ptr<Action>& action : done)
        action->renumberSprites(from, by);
    for (std::unique_ptr<Action>& action : redoable)
        action->renumberSprites(from, by);
    std::unordered_map<int32_t, size_t> moved;
    for (const auto& [id, slot] : spriteSteps)
        moved.emplace(id >= from ? id + by : id, slot);
    spriteSteps = std::move(moved);
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
    state = freshState();
}

void WorldHistory::markSaved() {
    closeAction();
    savedId = currentState();
}

uint64_t WorldHistory::currentState() const {
    return state;
}

bool WorldHistory::isModified() const {
    return currentState() != savedId;
}
