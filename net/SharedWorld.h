#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "net/ChangeApplier.h"
#include "net/Protocol.h"
#include "world/WorldChangeObserver.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;
class WorldHost;

// One person's world in a shared city. The world changes only in the
// server's order, so that every world ends up the same: a change made here is
// observed through the history, taken back out at once and sent, and comes
// back applied in its turn with everyone else's. Without a connection
// (joining failed or lost) changes simply stay.
//
// Undo and redo work on one's own actions only: a cell or figure that someone
// else changed since is left as it is (the undo is then partial). A sector
// the action added goes again if it holds no block when the server gets to
// the undo; a figure deleted comes back with its id, where it stood. An
// action is what the history records as one (a click, a stroke, a drag),
// however many takeOwnChanges it spans. The world writes its records in the
// canonical order, as the server's does.
class SharedWorld : public WorldChangeObserver {
public:
    enum class UndoOutcome { Nothing, Done, Partly };

    // Observes through history; all four must outlive this.
    SharedWorld(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history, WorldHost& host);
    ~SharedWorld() override;
    SharedWorld(const SharedWorld&) = delete;
    SharedWorld& operator=(const SharedWorld&) = delete;

    // The changes made here since the last call, as one action. Connected,
    // they are taken back out of the world until the server returns them.
    std::vector<Protocol::Change> takeOwnChanges(bool connected);
    // Changes in the server's order; mine: this person's own, returned.
    void applyFromServer(const std::vector<Protocol::Change>& changes, bool mine);
    // The connection is gone: one's own changes sent but not returned are
    // put back into the world, so that nothing made here is lost.
    void keepUnreturned();
    // Replaces the whole world by a world file's bytes and the next sprite id
    // (the city at a join), unrecorded; false, *why naming the fault, when
    // they are not sound.
    bool replaceWorld(const std::vector<uint8_t>& city, int32_t nextSpriteId, std::string* why);

    // The changes that undo or redo one's latest action (or latest undone
    // one) where nothing else changed it since; connected, they go in *send,
    // otherwise they are applied here.
    UndoOutcome undo(bool connected, std::vector<Protocol::Change>* send);
    UndoOutcome redo(bool connected, std::vector<Protocol::Change>* send);
    bool canUndo() const { return !done.empty(); }
    bool canRedo() const { return !undone.empty(); }

    // WorldChangeObserver
    void cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                     const std::optional<MapBlock>& before,
                     const std::optional<MapBlock>& after) override;
    void sectorAdded() override;
    void spriteChanged(int32_t index, const SpriteObject& before,
                       const SpriteObject& after) override;
    void spriteAdded(int32_t index, int32_t nextIdBefore) override;
    void spriteRemoved(int32_t index, const SpriteObject& removed) override;
    void worldReplaced() override {}

private:
    // One change made here: what it was before and after, and how to take it
    // back out of the world until the server returns it.
    struct Step {
        Protocol::Change::Type type;
        Vector3 origin;
        int32_t size = 0;
        int32_t x = 0, y = 0, z = 0;
        std::optional<MapBlock> before, after;  // cells: a used block, or none
        std::optional<MapBlock> recordBefore;   // take back: the cell's record as it was
        SpriteObject spriteBefore, spriteAfter;
        int32_t index = 0;         // take back: the sector or sprite position
        int32_t nextIdBefore = 0;  // take back: a sprite added
        bool idKnown = true;       // an added sprite's id is the world's
        // A sprite removed or restored: the id of the one after it, if any.
        bool followed = false;
        int32_t following = 0;
        // A sprite removed: its undo restores it with its id (false for the
        // undo of an add, whose redo adds it anew).
        bool restores = true;
    };
    struct Action {
        std::vector<Step> steps;
    };

    static Protocol::Change changeOf(const Step& step);
    void takeBack(const Step& step);
    UndoOutcome reverse(std::vector<std::shared_ptr<Action>>& from,
                        std::vector<std::shared_ptr<Action>>& to, bool connected,
                        std::vector<Protocol::Change>* send);
    // Sends or applies an action's changes; added sprites learn their id.
    void issue(const std::shared_ptr<Action>& action, bool connected,
               std::vector<Protocol::Change>* send);

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory& history;
    ChangeApplier applier;
    std::vector<Step> pending;
    std::vector<std::shared_ptr<Action>> done, undone;
    // The action last taken while the history's action was still open, and
    // that history state: later changes of the same state join it.
    std::weak_ptr<Action> continuing;
    uint64_t continuingState = 0;
    // Sprites added by this person, in the order sent, awaiting their ids.
    std::deque<std::pair<std::shared_ptr<Action>, size_t>> awaitingIds;
    // One's own changes sent and not yet returned, in the order sent.
    std::deque<Protocol::Change> unreturned;
};
