#include "net/SharedWorld.h"

#include <utility>

#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using Protocol::Change;

SharedWorld::SharedWorld(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history,
                         WorldHost& host)
        : map(map), sprites(sprites), history(history), applier(map, sprites, host),
          order(map, sprites, history, host) {
    history.setObserver(this);
    map.setRecordOrder(MapFormat::RecordOrder::Canonical);
    order.setRenumberHook([this](int32_t from, int32_t by) { renumber(from, by); });
}

SharedWorld::~SharedWorld() {
    history.setObserver(nullptr);
    map.setRecordOrder(MapFormat::RecordOrder::AsKept);
}

void SharedWorld::madeHere(Change&& change, const std::optional<MapBlock>& cellBefore,
                           const SpriteObject* spriteBefore) {
    if (!sharing)
        return;
    change.sprite.selected = false;
    order.made(change, cellBefore, spriteBefore);
    own.push_back({std::move(change), true});
}

void SharedWorld::cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                              const std::optional<MapBlock>& before,
                              const std::optional<MapBlock>& after) {
    if (sector < 0 || sector >= map.sectorCount())
        return;
    const TamoSector& where = *map.sector(sector);
    madeHere(WorldEdit::cell(where.origin, where.size, x, y, z, after),
             shownCell(before ? &*before : nullptr), nullptr);
}

void SharedWorld::sectorAdded() {
    const TamoSector& last = *map.sector(map.sectorCount() - 1);
    Change change;
    change.type = Change::SectorAdd;
    change.origin = last.origin;
    change.size = last.size;
    madeHere(std::move(change), std::nullopt, nullptr);
}

void SharedWorld::spriteChanged(int32_t, const SpriteObject& before, const SpriteObject& after) {
    Change change;
    change.type = Change::SpriteEdit;
    change.sprite = after;
    madeHere(std::move(change), std::nullopt, &before);
}

void SharedWorld::spriteAdded(int32_t index, int32_t) {
    Change change;
    change.type = Change::SpriteAdd;
    change.sprite = sprites.object(index);
    madeHere(std::move(change), std::nullopt, nullptr);
}

void SharedWorld::spriteRemoved(int32_t, const SpriteObject& removed) {
    Change change;
    change.type = Change::SpriteRemove;
    change.sprite = removed;
    madeHere(std::move(change), std::nullopt, &removed);
}

bool SharedWorld::waitsForId(const Change& change) const {
    if (change.type != Change::SpriteEdit && change.type != Change::SpriteRemove &&
        change.type != Change::SpriteRestore)
        return false;
    const int32_t first = order.firstUnnumbered();
    return change.sprite.id >= first ||
           (change.type == Change::SpriteRestore && change.followed && change.following >= first);
}

std::vector<Change> SharedWorld::takeOwnChanges() {
    std::vector<Change> changes;
    while (sharing && sent < own.size() && !waitsForId(own[sent].change))
        changes.push_back(own[sent++].change);
    return changes;
}

void SharedWorld::renumber(int32_t from, int32_t by) {
    // Changes sent name numbered figures only.
    for (size_t i = sent; i < own.size(); ++i) {
        Change& change = own[i].change;
        if (change.sprite.id >= from)
            change.sprite.id += by;
        if (change.followed && change.following >= from)
            change.following += by;
    }
}

void SharedWorld::applyFromServer(const std::vector<Change>& changes, bool mine) {
    bool applied = false;
    history.runUnobserved([&] {
        for (const Change& change : changes) {
            if (!mine || own.empty() || sent == 0) {
                order.applyFromServer(change);
                applied = true;
                continue;
            }
            const Own returned = std::move(own.front());
            own.pop_front();
            --sent;
            if (returned.made) {
                order.returned(returned.change);
            } else {
                order.applyFromServer(change);
                applied = true;
            }
        }
        if (own.empty())
            order.takeServerOrder();
    });
    // The history counts others' changes as new states of the world, for
    // the autosave and the question before quitting.
    if (applied)
        history.othersChanged();
}

void SharedWorld::keepUnreturned() {
    if (!sharing)
        return;
    bool applied = false;
    history.runUnobserved([&] {
        for (const Own& change : own) {
            if (change.made) {
                order.returned(change.change);
            } else {
                order.applyFromServer(change.change);
                applied = true;
            }
        }
    });
    own.clear();
    sent = 0;
    sharing = false;
    if (applied)
        history.othersChanged();
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
    // A new world: nothing of the one before it can be undone.
    history.clear();
    own.clear();
    sent = 0;
    sharing = built;
    if (built)
        order.reset();
    return built;
}

SharedWorld::UndoOutcome SharedWorld::issue(bool undo, std::vector<Change>* send) {
    std::vector<WorldEdit> edits;
    const WorldHistory::Reversal outcome =
        undo ? history.undoAsEdits(&edits) : history.redoAsEdits(&edits);
    if (sharing) {
        for (WorldEdit& edit : edits)
            own.push_back({std::move(edit), false});
        std::vector<Change> now = takeOwnChanges();
        send->insert(send->end(), now.begin(), now.end());
    } else {
        history.runUnobserved([&] {
            for (const WorldEdit& edit : edits)
                applier.apply(edit);
        });
    }
    switch (outcome) {
    case WorldHistory::Reversal::Nothing:
        return UndoOutcome::Nothing;
    case WorldHistory::Reversal::Partly:
        return UndoOutcome::Partly;
    default:
        return UndoOutcome::Done;
    }
}

SharedWorld::UndoOutcome SharedWorld::undo(std::vector<Change>* send) {
    return issue(true, send);
}

SharedWorld::UndoOutcome SharedWorld::redo(std::vector<Change>* send) {
    return issue(false, send);
}

bool SharedWorld::canUndo() const {
    return history.canUndo();
}

bool SharedWorld::canRedo() const {
    return history.canRedo();
}
