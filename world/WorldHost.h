#pragma once
#include <cstdint>

#include "platform/SystemMemory.h"
#include "platform/Vector3.h"
#include "world/MapFormat.h"

class CursorSource;
class OptimizedQuadHashTable;
class TamoMap;
class TamoSector;
class TamoSpriteObjectSet;
class WorldHistory;
struct EditChoices;
struct FaceMaterial;
struct WorldSettings;

// The owner of one world (the engine core is the program's): it builds the
// world's objects, in the one place a world is made (buildWorld), owns and
// deletes them, and is what they ask for the values they read, the factories
// that decide which concrete world classes are built, and the cursor.
class WorldHost {
public:
    // Whether a world keeps the undo history of its changes.
    enum class History { Kept, None };

    WorldHost() = default;
    // Deletes the world (destroyWorld).
    virtual ~WorldHost();
    WorldHost(const WorldHost&) = delete;
    WorldHost& operator=(const WorldHost&) = delete;

    // Makes the world, after any world built before is deleted: the sprite
    // objects, the map (its start sector with one block of the current
    // material) and, when kept, the history, attached to both. Called once
    // the host is whole: the map builds its sectors through the factories.
    void buildWorld(History kept);
    // Deletes the history (which reports to the others), the sprite objects
    // and the map; the fields below are null then.
    void destroyWorld();

    virtual WorldSettings& worldSettings() = 0;
    // The person's current choices, which the operations called without
    // them use (placing with the current material, drawing the current view).
    virtual const EditChoices& editChoices() const = 0;
    // Such an operation picked a face's material up: the host makes it the
    // current one, as it sees fit.
    virtual void materialPicked(const FaceMaterial& material) = 0;
    // Factories; the caller owns what they return.
    virtual OptimizedQuadHashTable* createQuadTable() = 0;
    virtual TamoSector* createSector(Vector3 origin, int32_t size) = 0;
    // A sector holding the blocks of a record read from a map file (taken over).
    virtual TamoSector* createSectorFromData(TamoSectorData data) = 0;
    // Null while there is none.
    virtual const CursorSource* cursorSource() const = 0;
    TamoMap* blockMap() const { return map; }
    // Bytes the world may still take (-1: unknown); a world that would not
    // fit is refused before anything of it is built.
    virtual int64_t availableMemory() const { return SystemMemory::availableBytes(); }

    // The world's objects, owned; null before buildWorld.
    TamoSpriteObjectSet* sprites = nullptr;
    TamoMap* map = nullptr;
    WorldHistory* history = nullptr;
};
