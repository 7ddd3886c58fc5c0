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
#include "world/WorldEdit.h"
#include "world/WorldFileStamp.h"

class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;
class WorldChangeObserver;
struct HistoryAction;

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
//
// Steps name sectors by origin and size and figures by id, so they undo and
// redo whatever order the lists took since. In a shared city every action
// here is this person's own; the changes of others, applied in the server's
// order past the recording, are new states of the world (othersChanged), and
// undo and redo go out as edits (undoAsEdits) where the world still shows
// what this person left.
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
    // What undoing or redoing one action would do, as edits in *edits,
    // without applying them: each step only where the cell or figure is
    // still as the action (or its undo) left it; the others drop out of the
    // action. Nothing, Done, or Partly when some step was left alone.
    enum class Reversal { Nothing, Done, Partly };
    Reversal undoAsEdits(std::vector<WorldEdit>* edits);
    Reversal redoAsEdits(std::vector<WorldEdit>* edits);
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
    // Changes made past the history (another person's, applied unobserved
    // in a shared city): a new state of the world, which the autosave and
    // the question before quitting must see too.
    void othersChanged();
    // Figures numbered from from upwards are now numbered by higher (a
    // shared city learnt that others took those ids first).
    void renumberSprites(int32_t from, int32_t by);

    // The file the world belongs to. Set while an action is open (a load),
    // it is part of that action: undo and redo bring the name back with the
    // world. Set otherwise (a save, a start), it only replaces the current one.
    const WorldFileStamp& worldFile() const { return file; }
    void setWorldFile(const WorldFileStamp& stamp);

    // Told of every change from now on (null: none); not owned.
    void setObserver(WorldChangeObserver* listener) { observer = listener; }
    // Runs change with the history neither recording nor telling the
    // observer of what it changes: changes that came from elsewhere (another
    // person's in a shared city, one's own undo as the server returns it).
    void runUnobserved(const std::function<void()>& change);

    size_t bytesUsed() const { return usedBytes; }
    size_t undoableCount() const { return done.size(); }
    size_t redoableCount() const { return redoable.size(); }
    void setCapBytes(size_t bytes);

private:
    using Action = HistoryAction;

    Action& openAction();
    // Moves the latest done (undo) or undone action to the other side and
    // names the state it leaves. applied: the world shows the whole action
    // undone (or redone), so a state named before may come back.
    void moveAction(bool undo, bool applied);
    uint64_t freshState() { return nextActionId++; }
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
    // The world's state: the id of the latest done action while the world
    // shows it, a state undo came back to, or a new id for any other.
    uint64_t nextActionId = 1;
    uint64_t state = 0;
    uint64_t savedId = 0;
    uint64_t changes = 0;
    WorldFileStamp file;
    // Within the open action: where each cell's (by sector index) and
    // figure's (by id) step is, so repeated changes update one step.
    std::unordered_map<uint64_t, size_t> cellSteps;
    std::unordered_map<int32_t, size_t> spriteSteps;
};
