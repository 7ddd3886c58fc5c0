#include "net/SharedWorld.h"

#include <utility>

#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using Protocol::Change;

namespace {

// A cell as the world shows it: a used block, or none.
std::optional<MapBlock> shown(const std::optional<MapBlock>& cell) {
    if (cell && cell->used)
        return cell;
    return std::nullopt;
}

bool sameCell(const std::optional<MapBlock>& a, const std::optional<MapBlock>& b) {
    if (a.has_value() != b.has_value())
        return false;
    if (!a)
        return true;
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        if (a->faces[f] != b->faces[f])
            return false;
    return true;
}

}  // namespace

SharedWorld::SharedWorld(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
                         WorldHost& host)
        : map(map), sprites(sprites), history(history), applier(map, sprites, host) {
    history.setObserver(this);
    map.setRecordOrder(MapFormat::RecordOrder::Canonical);
}

SharedWorld::~SharedWorld() {
    history.setObserver(nullptr);
    map.setRecordOrder(MapFormat::RecordOrder::AsKept);
}

void SharedWorld::cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                              const std::optional<MapBlock>& before,
                              const std::optional<MapBlock>& after) {
    if (sector < 0 || sector >= map.sectorCount())
        return;
    Step step;
    step.type = Change::CellSet;
    step.origin = map.sector(sector)->origin;
    step.size = map.sector(sector)->size;
    step.x = x, step.y = y, step.z = z;
    step.before = shown(before);
    step.after = shown(after);
    step.recordBefore = before;
    step.index = sector;
    pending.push_back(std::move(step));
}

void SharedWorld::sectorAdded() {
    const TamoSector& last = *map.sector(map.sectorCount() - 1);
    Step step;
    step.type = Change::SectorAdd;
    step.origin = last.origin;
    step.size = last.size;
    pending.push_back(std::move(step));
}

void SharedWorld::spriteChanged(int32_t index, const SpriteObject& before,
                                const SpriteObject& after) {
    Step step;
    step.type = Change::SpriteEdit;
    step.index = index;
    step.spriteBefore = before;
    step.spriteAfter = after;
    pending.push_back(std::move(step));
}

void SharedWorld::spriteAdded(int32_t index, int32_t nextIdBefore) {
    Step step;
    step.type = Change::SpriteAdd;
    step.index = index;
    step.nextIdBefore = nextIdBefore;
    step.spriteAfter = sprites.object(index);
    pending.push_back(std::move(step));
}

void SharedWorld::spriteRemoved(int32_t index, const SpriteObject& removed) {
    Step step;
    step.type = Change::SpriteRemove;
    step.index = index;
    step.spriteBefore = removed;
    step.followed = index < sprites.count();
    step.following = step.followed ? sprites.object(index).id : 0;
    pending.push_back(std::move(step));
}

Change SharedWorld::changeOf(const Step& step) {
    Change change;
    change.type = step.type;
    change.origin = step.origin;
    change.size = step.size;
    switch (step.type) {
    case Change::CellSet:
    case Change::CellClear:
        change.type = step.after ? Change::CellSet : Change::CellClear;
        if (step.after)
            change.block = *step.after;
        change.block.x = step.x, change.block.y = step.y, change.block.z = step.z;
        change.block.used = step.after.has_value();
        break;
    case Change::SpriteAdd:
    case Change::SpriteEdit:
        change.sprite = step.spriteAfter;
        change.sprite.selected = false;
        break;
    case Change::SpriteRemove:
        change.sprite.id = step.spriteBefore.id;
        break;
    case Change::SpriteRestore:
        change.sprite = step.spriteAfter;
        change.sprite.selected = false;
        change.place = step.index;
        change.followed = step.followed;
        change.following = step.following;
        break;
    default:
        break;
    }
    return change;
}

void SharedWorld::takeBack(const Step& step) {
    switch (step.type) {
    case Change::SectorAdd:
        delete map.takeLastSector();
        break;
    case Change::CellSet:
    case Change::CellClear:
        if (step.index < map.sectorCount())
            map.sector(step.index)
                ->restoreCell(step.x, step.y, step.z,
                              step.recordBefore ? &*step.recordBefore : nullptr);
        break;
    case Change::SpriteAdd:
        sprites.removeObject(step.index);
        sprites.setNextId(step.nextIdBefore);
        break;
    case Change::SpriteEdit:
        if (step.index < sprites.count()) {
            SpriteObject& object = sprites.object(step.index);
            const bool selected = object.selected;
            object = step.spriteBefore;
            object.selected = selected;
        }
        break;
    case Change::SpriteRemove:
        sprites.insertObject(step.index, step.spriteBefore);
        break;
    case Change::SectorRemove:
    case Change::SpriteRestore:
        break;  // made by undo and redo only, never observed
    }
}

std::vector<Change> SharedWorld::takeOwnChanges(bool connected) {
    if (pending.empty())
        return {};
    auto action = std::make_shared<Action>();
    action->steps = std::move(pending);
    pending.clear();
    const std::shared_ptr<Action> open = continuing.lock();
    const bool joins =
        open && !done.empty() && done.back() == open && history.currentState() == continuingState;
    continuing.reset();
    if (history.actionOpen()) {
        continuing = joins ? open : action;
        continuingState = history.currentState();
    }
    if (connected)
        history.runUnobserved([&] {
            for (size_t i = action->steps.size(); i-- > 0;)
                takeBack(action->steps[i]);
        });
    std::vector<Change> changes;
    changes.reserve(action->steps.size());
    for (size_t i = 0; i < action->steps.size(); ++i) {
        changes.push_back(changeOf(action->steps[i]));
        if (connected)
            unreturned.push_back(changes.back());
        if (connected && action->steps[i].type == Change::SpriteAdd) {
            action->steps[i].idKnown = false;
            awaitingIds.emplace_back(action, i);
        }
    }
    if (joins) {
        // Sprite steps awaiting their ids keep their places: appended after.
        const size_t base = open->steps.size();
        for (auto& waiting : awaitingIds)
            if (waiting.first == action) {
                waiting.first = open;
                waiting.second += base;
            }
        open->steps.insert(open->steps.end(), action->steps.begin(), action->steps.end());
    } else {
        done.push_back(std::move(action));
    }
    undone.clear();
    return changes;
}

void SharedWorld::applyFromServer(const std::vector<Change>& changes, bool mine) {
    for (size_t i = 0; mine && i < changes.size() && !unreturned.empty(); ++i)
        unreturned.pop_front();
    history.runUnobserved([&] {
        for (const Change& change : changes) {
            int32_t id = 0;
            applier.apply(change, &id);
            if (mine && change.type == Change::SpriteAdd && !awaitingIds.empty()) {
                Step& step = awaitingIds.front().first->steps[awaitingIds.front().second];
                step.spriteAfter.id = id;
                step.idKnown = true;
                awaitingIds.pop_front();
            }
        }
    });
    // The history's own steps name sectors and sprites by position, which
    // others' changes move: they are of no use here (undo is this class's),
    // and clearing names a new world state, so the world counts as modified.
    // Not in the middle of one's own action, which clearing would end. The
    // change is counted either way: the autosave writes only on a new count.
    if (!changes.empty() && !history.actionOpen())
        history.clear();
    if (!changes.empty())
        history.countChange();
}

void SharedWorld::keepUnreturned() {
    const std::vector<Change> changes(unreturned.begin(), unreturned.end());
    applyFromServer(changes, true);
    unreturned.clear();
}

bool SharedWorld::replaceWorld(const std::vector<uint8_t>& city, int32_t nextSpriteId,
                               std::string* why) {
    MapFormat::WorldRecords records;
    if (!MapFormat::parseWorld(city.data(), city.size(), &records, why))
        return false;
    bool built = false;
    history.runUnobserved([&] {
        built = map.replaceSectors(std::move(records.sectors), why);
        if (built) {
            sprites.replaceAll(std::move(records.sprites));
            // The server's next id: figures deleted at the end keep theirs.
            if (nextSpriteId > sprites.getNextId())
                sprites.setNextId(nextSpriteId);
        }
    });
    history.clear();
    return built;
}

void SharedWorld::issue(const std::shared_ptr<Action>& action, bool connected,
                        std::vector<Change>* send) {
    for (size_t i = 0; i < action->steps.size(); ++i) {
        Step& step = action->steps[i];
        const Change change = changeOf(step);
        if (connected) {
            send->push_back(change);
            unreturned.push_back(change);
            if (step.type == Change::SpriteAdd) {
                step.idKnown = false;
                awaitingIds.emplace_back(action, i);
            }
            continue;
        }
        history.runUnobserved([&] {
            int32_t id = 0;
            applier.apply(change, &id);
            if (step.type == Change::SpriteAdd) {
                step.spriteAfter.id = id;
                step.idKnown = true;
            }
        });
    }
}

SharedWorld::UndoOutcome SharedWorld::reverse(std::vector<std::shared_ptr<Action>>& from,
                                              std::vector<std::shared_ptr<Action>>& to,
                                              bool connected, std::vector<Change>* send) {
    if (from.empty())
        return UndoOutcome::Nothing;
    const std::shared_ptr<Action> action = from.back();
    from.pop_back();
    auto inverse = std::make_shared<Action>();
    bool partly = false;
    for (size_t i = action->steps.size(); i-- > 0;) {
        const Step& step = action->steps[i];
        Step back = step;
        switch (step.type) {
        case Change::SectorAdd:
            // Goes only if no block is left in it when the server gets there.
            back.type = Change::SectorRemove;
            break;
        case Change::SectorRemove:
            back.type = Change::SectorAdd;
            break;
        case Change::CellSet:
        case Change::CellClear: {
            const int32_t index = applier.findSector(step.origin, step.size);
            const MapBlock* now =
                index < 0 ? nullptr : map.sector(index)->findBlock(step.x, step.y, step.z);
            std::optional<MapBlock> cell;
            if (now)
                cell = *now;
            // A sector that is gone holds no block (a redo brings it back).
            if (!sameCell(shown(cell), step.after)) {
                partly = true;
                continue;
            }
            std::swap(back.before, back.after);
            break;
        }
        case Change::SpriteEdit:
        case Change::SpriteAdd:
        case Change::SpriteRestore: {
            const int32_t index = step.idKnown ? applier.findSprite(step.spriteAfter.id) : -1;
            if (index < 0 || !sameSavedFields(sprites.object(index), step.spriteAfter)) {
                partly = true;
                continue;
            }
            back.spriteBefore = step.spriteAfter;
            back.spriteAfter = step.spriteBefore;
            if (step.type != Change::SpriteEdit) {
                // Where it stands now, for an undo of this removal.
                back.type = Change::SpriteRemove;
                back.restores = step.type == Change::SpriteRestore;
                back.index = index;
                back.followed = index + 1 < sprites.count();
                back.following = back.followed ? sprites.object(index + 1).id : 0;
            }
            break;
        }
        case Change::SpriteRemove:
            back.type = step.restores ? Change::SpriteRestore : Change::SpriteAdd;
            back.spriteAfter = step.spriteBefore;
            break;
        }
        inverse->steps.push_back(std::move(back));
    }
    issue(inverse, connected, send);
    to.push_back(std::move(inverse));
    return partly ? UndoOutcome::Partly : UndoOutcome::Done;
}

SharedWorld::UndoOutcome SharedWorld::undo(bool connected, std::vector<Change>* send) {
    return reverse(done, undone, connected, send);
}

SharedWorld::UndoOutcome SharedWorld::redo(bool connected, std::vector<Change>* send) {
    return reverse(undone, done, connected, send);
}
