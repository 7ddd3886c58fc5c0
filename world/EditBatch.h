#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/CellBox.h"
#include "world/ChangeLog.h"
#include "world/MapBlock.h"
#include "world/SpriteObject.h"

class Clipboard;
class ShapeCells;
class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// Edits that become one action only when all of them went well: a city
// script, a shape drawn by hand. The cells go straight into the sectors (a
// later read sees them) while the map reports nothing; commit then hands the
// history, and through it a shared city, the sectors made and the cells
// changed as one action, as a box edit does. Rolled back (by rollback, or
// by the destructor of a batch never committed), the world is as it was:
// every cell put back, every sector made taken out. Figures wait until the
// commit. Every edit may throw ChangeLog::LimitReached (past the limit on
// changes) or std::bad_alloc; the batch stays sound for a rollback then.
class EditBatch {
public:
    // Works on map and sprites, whose history (may be null) is history; all
    // must outlive the batch, and the map must report to nothing else meanwhile.
    EditBatch(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory* history);
    ~EditBatch();
    EditBatch(const EditBatch&) = delete;
    EditBatch& operator=(const EditBatch&) = delete;

    // Cell changes and figures added or removed beyond which an edit throws.
    void setChangeLimit(size_t changes);
    // What the batch changed so far: cells (a cell changed twice counts
    // twice) and figures added or removed.
    size_t changes() const { return log.cellCount() + figureChanges; }
    // Memory held for the commit.
    size_t bytes() const;

    // The used block of a cell as it now is, or null.
    const MapBlock* blockAt(int32_t x, int32_t y, int32_t z);
    // The cell gets a block with these faces, or loses its block.
    void set(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[BlockFaceCount]);
    void remove(int32_t x, int32_t y, int32_t z);
    // The box edits: fill, hollow (walls, floor and roof), clear (blocks and
    // the figures standing in the box), replace (faces equal to from take to).
    void fill(const CellBox& box, const FaceMaterial& material);
    void hollow(const CellBox& box, const FaceMaterial& material);
    void clear(const CellBox& box);
    void replace(const CellBox& box, const FaceMaterial& from, const FaceMaterial& to);
    // The cells of a line (ShapeCells::visitLine) or of a round shape.
    void line(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
              const FaceMaterial& material);
    void shape(const ShapeCells& cells, const FaceMaterial& material);
    // The clipboard as it lies with its lowest corner at (x, y, z), as a
    // paste puts it: its blocks replace the cells they land in, its figures
    // are added.
    void paste(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z);
    // A figure added at the commit under a new id.
    void addFigure(const SpriteObject& figure);

    // Hands everything to the world and its history as one action; returns
    // the cells it changed, each once.
    size_t commit();
    size_t figuresChanged() const { return figureChanges; }
    // Puts the world back as it was before the batch.
    void rollback();

private:
    void countFigure();
    void restoreReporting();

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory* history;
    ChangeLog log;
    int32_t sectorsBefore;
    size_t limit = SIZE_MAX;
    size_t figureChanges = 0;
    std::vector<SpriteObject> added;
    std::vector<bool> removedFigures;  // by index of the figures there before the batch
    bool finished = false;
};
