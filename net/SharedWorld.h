#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "net/ChangeApplier.h"
#include "net/Protocol.h"
#include "net/ServerOrder.h"
#include "world/WorldChangeObserver.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;
class WorldHost;

// One person's world in a shared city. A change made here stays in the world
// as it was made, is observed through the history and goes to the server;
// what the server passes on comes in its order (ServerOrder), so that every
// world ends up the same. Without a connection (joining failed or lost)
// changes simply stay.
//
// Undo and redo are the history's, whose actions are this person's own:
// they go out as edits, applied when the server passes them back, and a
// cell or figure that someone else changed since is left as it is (the undo
// is then partial). A sector the action added goes again if it holds no
// block when the server gets to the undo; a figure deleted comes back with
// its id, where it stood, and so does one whose adding is redone. The world
// writes its records in the canonical order, as the server's does.
class SharedWorld : public WorldChangeObserver {
public:
    enum class UndoOutcome { Nothing, Done, Partly };

    // Observes through history; all four must outlive this.
    SharedWorld(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory& history, WorldHost& host);
    ~SharedWorld() override;
    SharedWorld(const SharedWorld&) = delete;
    SharedWorld& operator=(const SharedWorld&) = delete;

    // One's own changes that may go to the server now, in the order made. A
    // change naming a figure added here waits until the server has numbered
    // it, and the changes after it wait with it.
    std::vector<Protocol::Change> takeOwnChanges();
    // Changes in the server's order; mine: this person's own, returned.
    void applyFromServer(const std::vector<Protocol::Change>& changes, bool mine);
    // The connection is gone: one's own undos and redos not yet returned
    // are applied here, as the server would have, so nothing made is lost.
    void keepUnreturned();
    // Replaces the whole world by a world file's bytes and the next sprite id
    // (the city at a join), unrecorded; false, *why naming the fault, when
    // they are not sound. Sharing starts when it succeeds.
    bool replaceWorld(const std::vector<uint8_t>& city, int32_t nextSpriteId, std::string* why);

    // Undoes or redoes one's latest action (or latest undone one) where
    // nothing else changed it since; shared, the changes that may go now are
    // put in *send, otherwise they are applied here.
    UndoOutcome undo(std::vector<Protocol::Change>* send);
    UndoOutcome redo(std::vector<Protocol::Change>* send);
    bool canUndo() const;
    bool canRedo() const;

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
    // One's own change on its way: made here (in the world since), or an
    // undo's or redo's, applied when it returns.
    struct Own {
        Protocol::Change change;
        bool made = true;
    };

    void madeHere(Protocol::Change&& change, const std::optional<MapBlock>& cellBefore,
                  const SpriteObject* spriteBefore);
    // Whether change names a figure the server has not numbered yet.
    bool waitsForId(const Protocol::Change& change) const;
    void renumber(int32_t from, int32_t by);
    UndoOutcome issue(bool undo, std::vector<Protocol::Change>* send);

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory& history;
    ChangeApplier applier;
    ServerOrder order;
    bool sharing = false;
    // One's own changes not yet returned, in the order made; the first
    // `sent` of them went to the server.
    std::deque<Own> own;
    size_t sent = 0;
};
