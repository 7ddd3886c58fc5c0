#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/DynArray.h"
#include "platform/Vector2.h"
#include "platform/Vector3.h"
#include "world/SpriteObject.h"

class ByteWriter;
class FileStream;
class WorldHistory;
class WorldHost;
struct WorldSettings;

// Every sprite object of the world, and the editing of them: placing at the
// cursor, selecting near it, dragging, turning, naming and deleting. Drawn as
// camera-facing billboards in the 3D view, selected ones with a label. The
// operations that work in the 3D view only ask the host which view it is.
// Every change to an object is reported to the history, when one is attached.
class TamoSpriteObjectSet {
public:
    // Typed names stop growing at this many characters.
    static constexpr size_t MaxTypedNameLength = 199;
    // Objects nearer than this to the cursor hit point are selected.
    static constexpr int32_t DefaultPickRadius = 8;
    // World units per sprite-sheet texel of a drawn figure.
    static constexpr float BillboardScale = 0.5f;

    // The picture of one object for one frame.
    struct FrameChoice {
        int32_t frame;
        bool mirrored;
    };

    explicit TamoSpriteObjectSet(WorldHost* host);
    virtual ~TamoSpriteObjectSet();
    TamoSpriteObjectSet(const TamoSpriteObjectSet&) = delete;
    TamoSpriteObjectSet& operator=(const TamoSpriteObjectSet&) = delete;

    // Cursor operations: nothing in the plan view or when the cursor ray meets
    // no block.
    virtual void moveSelectedToCursor();
    virtual void turnSelectedToCursor();
    virtual void deleteSelected();
    virtual void deselectAll();
    virtual void addAtCursor();
    virtual void eraseLastNameChar();
    virtual void appendNameChar(char ch);
    virtual void clearAll();
    // Billboards of the objects (in the 3D view only those that may show in
    // the view volume, when the settings ask for culling) and the labels of
    // the selected ones.
    virtual void drawSprites();
    // Billboards the last drawSprites drew.
    int32_t lastDrawnCount() const { return drawnCount; }
    // Writes the sprite section; false when a write failed.
    virtual bool save(FileStream& stream) const;
    void write(ByteWriter& out) const;
    // Reads the sprite section (and checks that nothing follows it). On any
    // fault the set stays as it was, *why names the fault and the result is
    // false.
    virtual bool load(FileStream& stream, std::string* why = nullptr);

    // The same edits at a known hit point (the cursor operations call these
    // with the cursor ray's hit), in either view. A new object gets type and
    // team, or the current ones.
    void moveSelectedTo(const Vector3& hit);
    void turnSelectedTowards(const Vector3& hit);
    void addAt(const Vector3& hit);
    void addAt(const Vector3& hit, int32_t type, int32_t team);
    // Removes one object; the others keep their order. False for an index
    // outside 0 to count() - 1.
    bool removeObject(int32_t index);
    // Appends a copy of object (unselected) under a new id, as addAt would;
    // false when it cannot be stored.
    bool addObject(SpriteObject object);
    // Puts one object at position (an index outside 0 to count() - 1 does nothing).
    void moveObject(int32_t index, const Vector3& position);

    // Replaces every object (all loaded unselected); nextId becomes the largest
    // id plus one, or 0 for none.
    void replaceAll(std::vector<SpriteObject>&& loaded);

    // The history told of every change (null: none); not owned.
    void setHistory(WorldHistory* recorder) { history = recorder; }
    // For the history's undo and redo (not reported): puts an object at
    // index (0 to count()), sets the next id, exchanges every object and the
    // next id with the given ones.
    void insertObject(int32_t index, SpriteObject object);
    void setNextId(int32_t id) { nextId = id; }
    void swapContents(std::vector<SpriteObject>& list, int32_t& otherNextId);

    int32_t count() const { return objects.count(); }
    bool anySelected() const;
    // Valid for 0 <= index < count().
    const SpriteObject& object(int32_t index) const { return objects[index]; }
    SpriteObject& object(int32_t index) { return objects[index]; }
    int32_t getNextId() const { return nextId; }

    // Signed turn in degrees, -180 to 180, from the view direction (x, z) to
    // the object's heading.
    static float relativeAngle(const Vector2& view, float angle);
    // Frame and mirroring for a relative angle and an animation step (0 or 1).
    static FrameChoice chooseFrame(float relativeAngle, int32_t step);
    // The animation step at a tick: alternates every 250 ms; always 0 for
    // groups of exactly three frames.
    static int32_t animationStep(uint32_t tick, int32_t frameCount);

private:
    bool cursorHit(Vector3* hit) const;
    bool selectIfNear(SpriteObject& object, const Vector3& hit) const;
    void drawLabel(const SpriteObject& object) const;
    // Runs change on object index and reports what it changed.
    template <class Change>
    void edit(int32_t index, Change change);

    DynArray<SpriteObject> objects;
    int32_t drawnCount = 0;
    int32_t nextId = 0;
    int32_t pickRadius = DefaultPickRadius;
    WorldHost* host;
    WorldSettings* settings;  // the host's: GL context, sheet, font
    WorldHistory* history = nullptr;
};
