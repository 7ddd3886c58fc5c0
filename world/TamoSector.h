#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/DynArray.h"
#include "platform/QuadBuffer.h"
#include "platform/Vector3.h"
#include "world/BlockCellIndex.h"
#include "world/MapBlock.h"
#include "world/MapFormat.h"

class ByteWriter;
class FileStream;
class OptimizedQuadHashTable;
class WorldHost;
struct PlanView;
struct WorldSettings;

// One cube of the world, size x size x size block cells from origin. Owns its
// blocks, compiles them through its quad table into a display list, draws
// itself in the 3D view or as coloured cells in the plan view, and applies
// block edits. Fields are public for the map, the map file and tests.
//
// Edits take the material they put in and picks return the material found;
// the operations without one (setBlock, setBlockAt, paintFaceAt,
// pickMaterialAt, drawSector, drawPlan as the program has always called
// them) take the host's current choices. Drawing changes nothing saved.
class TamoSector {
public:
    // Largest sector edge accepted from a file; the editor makes sectors of 20.
    static constexpr int32_t MaxSize = MapFormat::MaxSectorSize;

    TamoSector(Vector3 origin, int32_t size, WorldHost* host);
    // A sector holding the blocks of a record read from a map file (taken
    // over, every block used).
    TamoSector(TamoSectorData data, WorldHost* host);
    virtual ~TamoSector();
    TamoSector(const TamoSector&) = delete;
    TamoSector& operator=(const TamoSector&) = delete;

    // Writes the sector record (MapFormat): the used blocks in array order.
    // False when a write failed.
    virtual bool saveSector(FileStream& stream) const;
    // The sector record, its blocks in the order given.
    void writeRecord(ByteWriter& out, MapFormat::RecordOrder order) const;
    // Inclusive on both ends of every axis.
    virtual bool containsPoint(const Vector3& p) const;
    virtual bool hasBlockAt(const Vector3& p) const;
    virtual void setBlockAt(const Vector3& p, bool place);
    void setBlockAt(const Vector3& p, bool place, const FaceMaterial& material);
    // Places (with material, or the current one, on all six faces) or removes
    // the block of a cell. False when the cell is outside the sector or a new
    // record could not be stored (nothing changes then).
    virtual bool setBlock(int32_t x, int32_t y, int32_t z, bool place);
    bool setBlock(int32_t x, int32_t y, int32_t z, bool place, const FaceMaterial& material);
    // Puts a cell back as the history recorded it: state's used flag and
    // faces (its record appended when the cell has none), or, for a null
    // state, no block (the record stays, unused). Cells outside are ignored.
    void restoreCell(int32_t x, int32_t y, int32_t z, const MapBlock* state);
    // restoreCell for edits of many cells: also gives the cell's record as
    // it was (false: there was none). knownEmpty skips the search when the
    // caller knows the cell has no record.
    bool writeCell(int32_t x, int32_t y, int32_t z, const MapBlock* state, bool knownEmpty,
                   MapBlock* before);
    // The face of the block at p nearest to p takes material (or the current
    // one); the sector rebuilds only when that changed the face.
    virtual void paintFaceAt(const Vector3& p);
    void paintFaceAt(const Vector3& p, const FaceMaterial& material);
    // The material of that face; none when no used block holds p.
    std::optional<FaceMaterial> materialAt(const Vector3& p) const;
    // The host takes materialAt(p) as the current material.
    virtual void pickMaterialAt(const Vector3& p);
    virtual Vector3 getOrigin() const;
    // The position of an offset from the origin along one axis, in cells of
    // cellSize; its floor is the cell. Rounded as every cell lookup rounds it.
    static float cellCoordinate(float offset, float cellSize) { return offset / cellSize; }
    // The cell holding p; false when p is in no cell (the far faces of the box
    // belong to no cell).
    virtual bool cellOf(const Vector3& p, int32_t& x, int32_t& y, int32_t& z) const;
    // The record of a cell, used or removed; null when there is none.
    virtual MapBlock* findBlock(int32_t x, int32_t y, int32_t z);
    const MapBlock* findBlock(int32_t x, int32_t y, int32_t z) const;
    // The used block holding p and its face whose centre is nearest to p
    // (lowest face number on ties).
    virtual bool nearestFace(const Vector3& p, MapBlock*& block, int32_t& face);
    // The plan of plan's level in the plan view, the display list in 3D.
    virtual void drawSector();
    void drawSector(bool view3D, const PlanView& plan);
    virtual void rebuild();
    // Clears the quad table and hands it the faces of the used blocks; false
    // when some did not fit. The first half of rebuild, before compiling.
    bool fillQuadTable();
    virtual void drawPlan();
    void drawPlan(const PlanView& plan);
    virtual void drawPlanCell(int32_t blockIndex, float level, float screenX, float screenY);

    // Smallest and largest cell indices over every record, used or removed
    // (a superset of where used blocks are); false when there is no record.
    // Whatever order the records are in.
    bool recordCellBounds(int32_t low[3], int32_t high[3]) const;
    // The box in world units that holds everything the sector's display
    // list draws: the cells of all its records. False when it has none.
    bool drawnBounds(Vector3* low, Vector3* high) const;

    // Names the state of what saveSector writes (the records, their order,
    // size and origin): it changes whenever that changes, and no two states
    // of any two sectors share one, so a cache of saved bytes may keep a
    // sector's record for as long as its stamp stays.
    uint64_t recordsStamp() const { return stamp; }

    // Changed only by the sector's own operations, which all end in
    // recordsChanged: a write from outside would leave the stamp stale.
    DynArray<MapBlock> blocks;
    int32_t size = 0;
    int32_t displayList = 0;
    Vector3 origin;
    std::unique_ptr<OptimizedQuadHashTable> quadTable;
    bool needsRebuild = true;
    // Quads in the display list (or the quad buffer) as last compiled.
    int32_t compiledQuads = 0;
    // The quads when the context keeps them in a vertex buffer rather than
    // in the display list.
    QuadBuffer quadBuffer;
    // The owner's values: block sizes, GL context, plan tiles (not owned).
    WorldSettings* settings = nullptr;

protected:
    // Cell corners of a face and the orientation passed to the quad table.
    struct FaceCorners {
        Vector3 p1;
        Vector3 p2;
        int32_t orientation;
    };
    static const FaceCorners FaceTable[BlockFaceCount];

    // The one place a change to the records is marked: a new stamp and a
    // rebuild.
    void recordsChanged();
    Vector3 faceCentre(const MapBlock& block, int32_t face) const;
    void compileDisplayList();
    bool planMayShow(float screenX, float screenY);
    bool planCellRect(const MapBlock& block, float screenX, float screenY, int32_t* px,
                      int32_t* py) const;
    // Draws the used blocks among the count records listed as plan cells.
    void drawPlanCells(const int32_t* records, int32_t count, float level, float screenX,
                       float screenY);

private:
    // The used block holding p and the number of its face nearest to p.
    const MapBlock* nearestFaceOf(const Vector3& p, int32_t* face) const;
    // Every record's index by level, lowest first (equal levels in record
    // order); null when there was no memory for it.
    const std::vector<int32_t>* recordsByLevel();
    bool mapUsedCells(std::vector<int32_t>& cells) const;
    bool addVisibleFaces(const std::vector<int32_t>& cells);
    // A block's place in the grid of mapUsedCells.
    int32_t paddedCell(const MapBlock& block) const;
    bool addEveryFace();
    // Appends a record and widens the cell bounds by it.
    bool appendRecord(const MapBlock& block);
    void widenBounds(const MapBlock& block) const;

    // Record lookup by cell, kept in step with the block array as lookups
    // come (so lookups that change nothing else may update it).
    mutable BlockCellIndex cellIndex;
    WorldHost* host;
    uint64_t stamp;
    // The order the plan draws records in, kept beside them so that drawing
    // leaves their order (the saved one) alone. It covers the first
    // levelOrder.size() records; those appended later join at the next plan.
    std::vector<int32_t> levelOrder;
    // Cell bounds of boundedCount records; they cover every record when that
    // is the number of records (records never leave a sector).
    mutable int32_t boundedCount = 0;
    mutable int32_t boundLow[3] = {0, 0, 0};
    mutable int32_t boundHigh[3] = {0, 0, 0};
};
