#pragma once
#include <cstdint>

#include "platform/SystemMemory.h"
#include "platform/Vector3.h"
#include "world/MapFormat.h"

class CursorSource;
class OptimizedQuadHashTable;
class TamoMap;
class TamoSector;
struct WorldSettings;

// The owner of the world's objects as they see it (the engine core
// implements it): the values they read, the factories that decide which
// concrete world classes are built, and where the cursor and the map are.
class WorldHost {
public:
    virtual ~WorldHost() = default;

    virtual WorldSettings& worldSettings() = 0;
    // Factories; the caller owns what they return.
    virtual OptimizedQuadHashTable* createQuadTable() = 0;
    virtual TamoSector* createSector(Vector3 origin, int32_t size) = 0;
    // A sector holding the blocks of a record read from a map file (taken over).
    virtual TamoSector* createSectorFromData(TamoSectorData data) = 0;
    // Null while there is none.
    virtual const CursorSource* cursorSource() const = 0;
    virtual TamoMap* blockMap() const = 0;
    // Bytes the world may still take (-1: unknown); a world that would not
    // fit is refused before anything of it is built.
    virtual int64_t availableMemory() const { return SystemMemory::availableBytes(); }
};
