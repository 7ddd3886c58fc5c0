#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "world/CellChanges.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"
#include "world/WorldFileStamp.h"

class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;
class WorldChangeObserver;

// The undo history of one world. The map and the sprite set report every
// change they make (a block cell before and after, a sector added, a sprite
// object before and after, a whole world replaced by a load); the history
// groups the changes into actions and undoes and redoes whole actions,
// touching only the cells and objects that changed. It stores differences,
// not copies of the world, except the world a load replaced.
//
// An action opens with the first change after closeAction and lasts until
// the next closeAction; continueAction(tag) reopens the latest action when it
// carries the same tag (a typing run into the same selection). A new action
// drops what could be redone. The oldest actions go once the history holds
// more than its cap in bytes.
class WorldHistory {
public:
    static constexpr size_t DefaultCapBytes = size_t{64} << 20;

    // Attaches itself to map and sprites; both must outlive it.
    WorldHistory(TamoMap& map, TamoSpriteObjectSet& sprites, size_t capBytes = DefaultCapBytes);
    ~WorldHistory();
    WorldHistory(const WorldHistory&) = delete;
    WorldHistory& operator=(const WorldHistory&) = delete;

    // What the map and the sprite set report. Reports that change nothing
    // are ignored, as is everything while an undo or redo runs.
    void cellChanged(int32_t sector, int32_t x, int32_t y, int32_t z,
                     const std::optional<MapBlock>& before, const std::optional<MapBlock>& after);
    void sectorAdded();
    // Many cells changed at once (an edit of a box); kept as one compact step.
    void cellsChanged(CellChanges&& cells);
    // The sectors a load replaced (taken over).
    void sectorsReplaced(std::vector<TamoSector*>&& previous);
    void spriteChanged(int32_t index, const SpriteObject& before, const SpriteObject& after);
    void spriteAdded(int32_t index, int32_t nextIdBefore);
    void spriteRemoved(int32_t index, const SpriteObject& removed);
    void spritesReplaced(std::vector<SpriteObject>&& previous, int32_t nextIdBefore);

    // Ends the open action; the next change starts a new one.
    void closeAction();
    // Closes the open action unless it, or the latest action, carries tag;
    // the next change then joins that action or starts one with tag.
    void continueAction(const std::string& tag);

    // Whether an action is open (changes now join it).
    bool actionOpen() const { return open; }
    bool canUndo() const;
    bool canRedo() const { return !redoable.empty(); }
    // Undoes or redoes one whole action (the open one is closed first);
    // false when there is none.
    bool undo();
    bool redo();
    // Forgets every action (the world stays as it is).
    void clear();

    // The world as it is now is the saved one.
    void markSaved();
    // True when the world differs from the one last marked saved (or from
    // the start): also after changes that are no longer in the history.
    bool isModified() const;
    // A number naming the world's state: it changes with every action
    // recorded, undone or redone.
    uint64_t currentState() const;
    // Counts every change: each one reported (also within an action that
    // stays open), each undo and redo, each change of the world file. What
    // the autosave compares, as an open action keeps currentState unchanged.
    uint64_t changeCount() const { return changes; }
    // Counts a change made past the history (another person's, applied
    // unobserved in a shared city), which the autosave must see too.
    void countChange() { ++changes; }

    // The file the world belongs to. Set while an action is open (a load),
    // it is part of that action: undo and redo bring the name back with the
    // world. Set otherwise (a save, a start), it only replaces the current one.
    const WorldFileStamp& worldFile() const { return file; }
    void setWorldFile(const WorldFileStamp& stamp);

    // Told of every change from now on (null: none); not owned.
    void setObserver(WorldChangeObserver* listener) { observer = listener; }
    // Runs change with the history neither recording nor telling the
    // observer of what it changes: changes that came from elsewhere (another
    // person's in a shared city), and taking one's own back until they return.
    void runUnobserved(const std::function<void()>& change);

    size_t bytesUsed() const { return usedBytes; }
    size_t undoableCount() const { return done.size(); }
    size_t redoableCount() const { return redoable.size(); }
    void setCapBytes(size_t bytes);

private:
    struct Step;
    struct Action;

    Action& openAction();
    void apply(Step& step, bool forward);
    void applyCell(Step& step, bool forward);
    void applyCells(Step& step, bool forward);
    void applySprite(Step& step, bool forward);
    void dropRedoable();
    void enforceCap();
    void addBytes(Action& action, size_t bytes);
    void releaseAction(Action& action);

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    size_t capBytes;
    size_t usedBytes = 0;
    std::deque<std::unique_ptr<Action>> done;
    std::vector<std::unique_ptr<Action>> redoable;
    bool open = false;
    bool replaying = false;
    bool unobserved = false;
    WorldChangeObserver* observer = nullptr;
    std::string openTag;
    // The world state: the id of the latest done action, or of the last one
    // dropped from the bottom (0 at the start).
    uint64_t nextActionId = 1;
    uint64_t floorId = 0;
    uint64_t savedId = 0;
    uint64_t changes = 0;
    WorldFileStamp file;
    // Within the open action: where each cell's and object's step is, so
    // repeated changes update one step.
    std::unordered_map<uint64_t, size_t> cellSteps;
    std::unordered_map<int32_t, size_t> spriteSteps;
};
