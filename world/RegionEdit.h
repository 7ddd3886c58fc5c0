#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "world/CellBox.h"
#include "world/ChangeLog.h"
#include "world/FaceMaterial.h"

class Clipboard;
class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// Edits of a whole box of cells at once: fill, hollow, remove, paint, copy,
// cut, paste and move, on the map's blocks and the sprite figures standing
// in the box (a figure is in the box when its position lies in one of the
// box's cells). Knows nothing of keys or the mouse.
//
// Each edit is one undoable action of the history (when one is given): the
// action open before is closed, the edit's changes are reported, and the
// action is closed again. The cells go to the sectors in bulk (each touched
// sector rebuilds once, at the next draw) and to the history as one compact
// step per phase. Cells are visited in the order y, then z, then x; a cell
// belongs to the first sector in the map's list that holds its centre, and a
// block placed in a cell no sector holds creates the sector a click would.
// Boxes of more than CellBox::MaxCells cells are refused: nothing changes.
class RegionEdit {
public:
    struct Result {
        // False: refused and nothing changed, or memory ran out part way and
        // what was done stays as one undoable action; why says which.
        bool done = false;
        std::string why;
        int64_t blocks = 0;   // blocks placed, removed, painted, copied, pasted or moved
        int32_t sprites = 0;  // figures removed, copied, pasted or moved
        CellBox box;          // the box the edit covers (paste and move: where the content is now)
    };

    // Works on map and sprites, reporting through history (may be null); all
    // must outlive it.
    RegionEdit(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory* history);

    // Every cell gets a block of material on all six faces, replacing what was there.
    Result fill(const CellBox& box, const FaceMaterial& material);
    // The cells on the box's faces get blocks of material; the inside is emptied.
    Result hollow(const CellBox& box, const FaceMaterial& material);
    // Every block in the box and every figure standing in it goes.
    Result remove(const CellBox& box);
    // Every face of every block in the box takes material (building sides
    // get their roofs at the next rebuild, as when one face is painted).
    Result paint(const CellBox& box, const FaceMaterial& material);
    // The blocks (faces exactly) and figures of the box into *clipboard,
    // replacing what it held. The world does not change.
    Result copy(const CellBox& box, Clipboard* clipboard);
    // copy, then remove, as one action.
    Result cut(const CellBox& box, Clipboard* clipboard);
    // The clipboard as it lies with its lowest corner at cell (x, y, z): its
    // blocks replace the cells they land in, its empty cells leave what is
    // there, its figures are added with new ids. Result box: the pasted box.
    Result paste(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z);
    // The box's content (blocks and figures) moves by (dx, dy, dz) cells:
    // taken out, then put down as a paste would. Result box: the moved box.
    Result move(const CellBox& box, int32_t dx, int32_t dy, int32_t dz);

private:
    template <class Edit>
    Result run(const CellBox& box, Edit edit);
    // Hands the cells logged so far to the map's history as one step.
    void report();
    std::vector<int32_t> spritesIn(const CellBox& box) const;
    int32_t removeSprites(const std::vector<int32_t>& inside);
    // The blocks and figures of box into *clipboard; the world does not change.
    bool take(const CellBox& box, Clipboard* clipboard, Result& result);
    static bool pastedBox(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z,
                          CellBox* box);
    // The clipboard's blocks (and figures, with addFigures) into box.
    void putDown(const Clipboard& clipboard, const CellBox& box, bool addFigures, Result& result);

    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory* history;
    ChangeLog log;
};
