#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/DynArray.h"
#include "platform/Vector3.h"
#include "world/DrawCounts.h"
#include "world/FaceMaterial.h"
#include "world/MapFormat.h"
#include "world/Ray.h"
#include "world/SectorGrid.h"

class ByteWriter;
class FileStream;
class SkyDome;
class TamoSector;
class WorldHistory;
class WorldHost;
struct CellChanges;
struct PlanView;
struct TamoSectorData;
struct WorldSettings;

// The world of blocks: an unordered list of sectors on a regular grid. Finds
// and creates sectors for world points, casts rays, turns mouse and plan-view
// input into block edits, draws every sector each frame and saves and loads
// the block half of the world file.
//
// Edits come in two layers: operations on a ray or a hit (pick, editBlockAt,
// paintFaceAt, materialAt, setBlockAt), which know nothing of the mouse,
// and the cursor operations, which cast the cursor ray (from the host's
// cursor source through the GL context) and hand its hit to the former.
// Edits take the material they put in and picks return the one found; the
// forms without it, and the cursor operations, take the host's current
// choices (material, view). Drawing changes nothing that is saved.
//
// Every change to a block cell, every sector added and every replacement of
// all sectors is reported to the history, when one is attached.
class TamoMap {
public:
    // What a sector costs beside its blocks when built (its objects, its
    // quad table and an empty display list, with the allocator's overhead),
    // rounded up: the measure of whether a world read from a file fits.
    static constexpr int64_t EstimatedSectorBytes = 2048;
    // Cells along each edge of the sectors the map creates.
    static constexpr int32_t DefaultSectorSize = 20;
    // How far the cursor operations look, and their ray steps.
    static constexpr int32_t CursorRayLength = 1000;
    static constexpr float BlockEditStep = 1.0f;
    static constexpr float FaceEditStep = 0.1f;

    // Builds the start sector at the start point (40000, 60000, 40000) with
    // one block of the current material in its cell (0, 0, 0). The camera is
    // its owner's to put there.
    explicit TamoMap(WorldHost* host);
    // The start point for blocks of these sizes; its cell is the start block's.
    static Vector3 startPoint(int32_t blockWidth, int32_t blockHeight);
    virtual ~TamoMap();
    TamoMap(const TamoMap&) = delete;
    TamoMap& operator=(const TamoMap&) = delete;

    // Index of a sector containing point; creates one on the sector grid when
    // none does. -1 only when a new sector cannot be stored.
    virtual int32_t findOrCreateSector(const Vector3& point);
    // Index of the first sector in list order whose box (bounds inclusive)
    // holds point, or -1.
    virtual int32_t findSector(const Vector3& point) const;
    // The indices, ascending, of a superset of the sectors whose boxes meet
    // the box [low, high] of world units: those the sector grid lists there,
    // or every sector when the grid cannot answer.
    void sectorsNear(const double low[3], const double high[3], std::vector<int32_t>* out) const;
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
    // The same stroke in plan, placing material, in either view.
    void editBlockLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool place,
                       const FaceMaterial& material, const PlanView& plan);
    // The world cell (x, z) a plan-view stroke edits at a window position
    // (its level is the plan's level; without a plan, the current plan's).
    void planCellAt(int32_t windowX, int32_t windowY, int32_t* x, int32_t* z) const;
    void planCellAt(int32_t windowX, int32_t windowY, const PlanView& plan, int32_t* x,
                    int32_t* z) const;
    // Casts the cursor ray; true when it met a used block within maxDistance.
    // hit is the point met, or the ray's end when nothing was.
    virtual bool pickAtCursor(int32_t maxDistance, float step, Vector3* hit,
                              int32_t* sectorIndex) const;
    // Steps from start towards end; hit becomes the first point inside a used
    // block (and sectorIndex its sector), or end when none is met, in which
    // case sectorIndex is left alone. A step that is not positive meets nothing.
    // With block sizes above zero, a step too small for the distance to add
    // up to the end leaves the points without end; they are all considered
    // and the march still ends.
    virtual void marchRay(const Vector3& start, const Vector3& end, float step, Vector3* hit,
                          int32_t* sectorIndex) const;
    // Draws the sectors in the current view, the lowest first (equal heights
    // in list order); in the 3D view only those that may show in the view
    // volume, when the settings ask for culling. Every sector marked for it
    // rebuilds first, drawn or not.
    virtual void draw();
    void draw(bool view3D, const PlanView& plan);
    // The sky (centred on the eye) and the map, as a frame shows them: the
    // sky first in the plan view; in the 3D view last, behind the sectors,
    // which gives the same picture without texturing the sky they hide.
    void drawWithSky(const SkyDome& sky);
    void drawWithSky(const SkyDome& sky, bool view3D, const PlanView& plan);
    // What the last draw drew.
    const DrawCounts& lastDrawCounts() const { return drawCounts; }
    // Writes the map section; false when a write failed.
    virtual bool save(FileStream& stream) const;
    void write(ByteWriter& out) const;
    void write(ByteWriter& out, MapFormat::RecordOrder order) const;
    // The order every write of this world uses (AsKept unless a shared city
    // asks for the canonical one).
    void setRecordOrder(MapFormat::RecordOrder order) { writtenOrder = order; }
    MapFormat::RecordOrder recordOrder() const { return writtenOrder; }
    // The sectors' indices in the order a write puts them.
    std::vector<int32_t> writeOrder() const;
    std::vector<int32_t> writeOrder(MapFormat::RecordOrder order) const;
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

    // The ray from the cursor: from its unprojected window position, away
    // from the eye. False without a GL context or a cursor source.
    bool cursorRay(Ray* ray) const;
    // Marches ray for maxDistance; true when it met a used block. hit->point
    // is the point met, or the ray's end; hit->sector is left alone when
    // nothing was met.
    bool pick(const Ray& ray, int32_t maxDistance, float step, BlockHit* hit) const;
    // At a hit of ray: removes the block hit, or places one of material in
    // the empty cell in front of the face hit, one unit back along the ray,
    // creating that cell's sector when needed.
    void editBlockAt(const BlockHit& hit, const Ray& ray, bool place, const FaceMaterial& material);
    // The point a placement at a hit of ray puts its block through: one unit
    // back along the ray, in the empty cell in front of the face hit.
    static Vector3 placementPoint(const BlockHit& hit, const Ray& ray) {
        return hit.point - ray.direction;
    }
    // The cursor's placement point (3D view): false when the cursor ray
    // meets no block.
    bool placementPointAtCursor(Vector3* point) const;
    // The face of the block hit nearest to the hit point takes material (or
    // the current one); materialAt gives its material (none without a used
    // block there), which pickMaterialAt makes the current one.
    void paintFaceAt(const BlockHit& hit);
    void paintFaceAt(const BlockHit& hit, const FaceMaterial& material);
    std::optional<FaceMaterial> materialAt(const BlockHit& hit) const;
    void pickMaterialAt(const BlockHit& hit);
    // Places (with material, or the current one) or removes the block of the
    // cell holding point, creating the cell's sector when needed. False when
    // the point is in no cell of the sector that holds it or a new sector
    // cannot be stored.
    bool setBlockAt(const Vector3& point, bool place);
    bool setBlockAt(const Vector3& point, bool place, const FaceMaterial& material);

    // The history told of every change (null: none); not owned.
    void setHistory(WorldHistory* recorder) { history = recorder; }
    // Tells the history of cells an edit of many cells wrote straight into
    // the sectors.
    void reportCells(CellChanges&& changes);
    // For the history's undo and redo; these are not reported. The sector
    // appended is taken over; the one taken is the caller's.
    void appendSector(TamoSector* sector);
    TamoSector* takeLastSector();
    // Takes one sector out of the list (the others keep their order); null
    // for an index outside it. Not reported either.
    TamoSector* takeSector(int32_t index);
    // Exchanges the whole list of sectors with list.
    void swapSectors(std::vector<TamoSector*>& list);

    int32_t sectorCount() const { return sectors.count(); }
    // Valid for 0 <= index < sectorCount().
    TamoSector* sector(int32_t index) const { return sectors[index]; }
    int32_t getSectorSize() const { return sectorSize; }
    const WorldSettings& worldSettings() const { return *settings; }

    // The integer line walk of the plan strokes: visits (x0, y0) and every
    // cell up to, not including, (x1, y1); a line of one cell visits that
    // cell. Stops early when visit answers false.
    static void walkLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                         const std::function<bool(int32_t, int32_t)>& visit);

private:
    // Places or removes a block of sector i's cell and reports the change.
    bool setCell(int32_t i, int32_t x, int32_t y, int32_t z, bool place,
                 const FaceMaterial& material);
    int32_t planCellOf(int32_t windowPixel, float scroll) const;
    void destroySectors();
    void marchRayThroughAll(const Vector3& start, float len, const Vector3& n, float step,
                            Vector3* hit, int32_t* sectorIndex) const;

    // The sectors' indices by origin height, then index; checked each draw.
    const std::vector<int32_t>& sectorsByLevel();
    // The grid of the sectors, built again when it is out of date; null for
    // block sizes that give no grid (every sector is then asked).
    const SectorGrid* sectorGrid() const;
    // Lists sector index in the grid when the grid is up to date.
    void gridAdd(int32_t index);
    void listInGrid(int32_t index) const;

    DynArray<TamoSector*> sectors;
    std::vector<int32_t> levelOrder;
    // The sectors by grid cell, kept in step as sectors join at the end and
    // built again after any other change of the list or of the block sizes.
    mutable SectorGrid grid;
    mutable bool gridCurrent = false;
    mutable int32_t gridBlockWidth = 0, gridBlockHeight = 0;
    mutable std::vector<int32_t> gridFound;
    DrawCounts drawCounts;
    int32_t sectorSize = DefaultSectorSize;
    WorldHost* host;
    WorldSettings* settings;  // the host's
    WorldHistory* history = nullptr;
    MapFormat::RecordOrder writtenOrder = MapFormat::RecordOrder::AsKept;
};
