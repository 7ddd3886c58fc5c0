#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DynArray.h"
#include "platform/Vector3.h"

class FileStream;
class TamoEngineCore;
class TamoSector;
struct TamoSectorData;

// The world of blocks: an unordered list of sectors on a regular grid. Finds
// and creates sectors for world points, casts the cursor ray, turns mouse
// and plan-view input into block edits, draws every sector each frame and
// saves and loads the block half of the world file.
class TamoMap {
public:
    // Cells along each edge of the sectors the map creates.
    static constexpr int32_t defaultSectorSize = 20;

    // Puts the eye at the start point (40000, 60000, 40000) and builds the
    // start sector there with one block in its cell (0, 0, 0).
    explicit TamoMap(TamoEngineCore* core);
    virtual ~TamoMap();
    TamoMap(const TamoMap&) = delete;
    TamoMap& operator=(const TamoMap&) = delete;

    // Index of a sector containing point; creates one on the sector grid when
    // none does. -1 only when a new sector cannot be stored.
    virtual int32_t findOrCreateSector(const Vector3& point);
    // Index of the first sector in list order whose box (bounds inclusive)
    // holds point, or -1.
    virtual int32_t findSector(const Vector3& point);
    // 3D view only: places a block in front of the face under the cursor, or
    // removes the block under it.
    virtual void editBlockAtCursor(bool place);
    // 3D view only: the face under the cursor takes the current material.
    virtual void paintFaceAtCursor();
    // 3D view only: the current material becomes that of the face under the cursor.
    virtual void pickMaterialAtCursor();
    // Plan view only: places or removes the blocks of the current level along
    // the line between two window positions, leaving out its last cell.
    virtual void editBlockLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool place);
    // Casts the cursor ray; true when it met a used block within maxDistance.
    // hit is the point met, or the ray's end when nothing was.
    virtual bool pickAtCursor(int32_t maxDistance, float step, Vector3* hit, int32_t* sectorIndex);
    // Steps from start towards end; hit becomes the first point inside a used
    // block (and sectorIndex its sector), or end when none is met, in which
    // case sectorIndex is left alone. A step that is not positive meets nothing.
    virtual void marchRay(const Vector3& start, const Vector3& end, float step, Vector3* hit,
                          int32_t* sectorIndex);
    // Draws every sector, the lowest first.
    virtual void draw();
    // Writes the map section; false when a write failed.
    virtual bool save(FileStream& stream);
    // Reads the map section. The whole rest of the file (map and sprite
    // sections, nothing after) is checked before any sector is replaced; on a
    // fault the map is unchanged, the stream is where it was, *why names the
    // fault and the result is false. On success the stream stands at the
    // sprite section.
    virtual bool load(FileStream& stream, std::string* why = nullptr);
    // Replaces every sector by sectors built from records (taken over). When
    // one cannot be built the map is unchanged, *why names the fault and the
    // result is false.
    bool replaceSectors(std::vector<TamoSectorData>&& records, std::string* why = nullptr);

    int32_t sectorCount() const { return sectors.count(); }
    // Valid for 0 <= index < sectorCount().
    TamoSector* sector(int32_t index) const { return sectors[index]; }
    int32_t getSectorSize() const { return sectorSize; }

    // The integer line walk of the plan strokes: visits (x0, y0) and every
    // cell up to, not including, (x1, y1); a line of one cell visits that
    // cell. Stops early when visit answers false.
    static void walkLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                         const std::function<bool(int32_t, int32_t)>& visit);

private:
    // The unprojected cursor point and the unit direction from the eye through it.
    void cursorRay(Vector3* start, Vector3* direction) const;
    int32_t planCellOf(int32_t windowPixel, float scroll) const;
    void destroySectors();
    void marchRayThroughAll(const Vector3& start, float len, const Vector3& n, float step,
                            Vector3* hit, int32_t* sectorIndex);

    DynArray<TamoSector*> sectors;
    int32_t sectorSize = defaultSectorSize;
    TamoEngineCore* core;
};
