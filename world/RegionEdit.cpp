#include "world/RegionEdit.h"

#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "world/CellWriter.h"
#include "world/Clipboard.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"
#include "world/WorldSettings.h"

namespace {

RegionEdit::Result refused(std::string why) {
    RegionEdit::Result result;
    result.why = std::move(why);
    return result;
}

}  // namespace

RegionEdit::RegionEdit(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory* history)
        : map(map), sprites(sprites), history(history) {}

// Runs one edit as one action of the history: the open action closed
// before, the edit's action closed after. Should memory run out part way,
// what was written is still reported (so it can be undone) and the result
// says so.
template <class Edit>
RegionEdit::Result RegionEdit::run(const CellBox& box, Edit edit) {
    if (!box.withinLimit())
        return refused("the box holds " + std::to_string(box.cellCount()) + " cells, more than " +
                       std::to_string(CellBox::MaxCells));
    if (history)
        history->closeAction();
    Result result;
    result.box = box;
    try {
        result.done = edit(result);
    } catch (const std::bad_alloc&) {
        result.done = false;
        result.why = "there is not enough memory for the box";
    }
    try {
        report();
    } catch (const std::bad_alloc&) {
    }
    if (history)
        history->closeAction();
    return result;
}

void RegionEdit::report() {
    if (log.pending())
        map.reportCells(log.take());
}

std::vector<int32_t> RegionEdit::spritesIn(const CellBox& box) const {
    const WorldSettings& settings = map.worldSettings();
    std::vector<int32_t> inside;
    for (int32_t i = 0; i < sprites.count(); ++i)
        if (box.containsPoint(sprites.object(i).position, settings.blockWidth,
                              settings.blockHeight))
            inside.push_back(i);
    return inside;
}

int32_t RegionEdit::removeSprites(const std::vector<int32_t>& inside) {
    // From the last, so the indices still to go stay where they are.
    for (size_t k = inside.size(); k-- > 0;)
        sprites.removeObject(inside[k]);
    return static_cast<int32_t>(inside.size());
}

RegionEdit::Result RegionEdit::fill(const CellBox& box, const FaceMaterial& material) {
    return run(box, [&](Result& result) {
        result.blocks = CellWriter(map, box, log, true).fill(box, material);
        return true;
    });
}

RegionEdit::Result RegionEdit::hollow(const CellBox& box, const FaceMaterial& material) {
    return run(box, [&](Result& result) {
        result.blocks = CellWriter(map, box, log).hollow(box, material);
        return true;
    });
}

RegionEdit::Result RegionEdit::remove(const CellBox& box) {
    return run(box, [&](Result& result) {
        result.blocks = CellWriter(map, box, log).clear(box);
        report();
        result.sprites = removeSprites(spritesIn(box));
        return true;
    });
}

RegionEdit::Result RegionEdit::paint(const CellBox& box, const FaceMaterial& material) {
    return run(box, [&](Result& result) {
        result.blocks = CellWriter(map, box, log).paint(box, material);
        return true;
    });
}

bool RegionEdit::take(const CellBox& box, Clipboard* clipboard, Result& result) {
    const WorldSettings& settings = map.worldSettings();
    std::vector<MapBlock> blocks = CellWriter(map, box, log).blocksOf(box);
    const Vector3 corner = CellBox::cellOrigin(box.lowX(), box.lowY(), box.lowZ(),
                                               settings.blockWidth, settings.blockHeight);
    std::vector<SpriteObject> figures;
    for (int32_t i : spritesIn(box)) {
        SpriteObject object = sprites.object(i);
        object.position = object.position - corner;
        object.selected = false;
        figures.push_back(std::move(object));
    }
    result.blocks = static_cast<int64_t>(blocks.size());
    result.sprites = static_cast<int32_t>(figures.size());
    *clipboard = Clipboard(static_cast<int32_t>(box.sizeX()), static_cast<int32_t>(box.sizeY()),
                           static_cast<int32_t>(box.sizeZ()), settings.blockWidth,
                           settings.blockHeight, std::move(blocks), std::move(figures));
    return true;
}

RegionEdit::Result RegionEdit::copy(const CellBox& box, Clipboard* clipboard) {
    return run(box, [&](Result& result) { return take(box, clipboard, result); });
}

RegionEdit::Result RegionEdit::cut(const CellBox& box, Clipboard* clipboard) {
    return run(box, [&](Result& result) {
        Clipboard taken;
        take(box, &taken, result);
        CellWriter(map, box, log).clear(box);
        report();
        removeSprites(spritesIn(box));
        *clipboard = std::move(taken);
        return true;
    });
}

// The box a clipboard covers with its lowest corner at (x, y, z); false when
// it would leave the range of cells.
bool RegionEdit::pastedBox(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z,
                           CellBox* box) {
    const int64_t high[3] = {int64_t{x} + clipboard.sizeX() - 1, int64_t{y} + clipboard.sizeY() - 1,
                             int64_t{z} + clipboard.sizeZ() - 1};
    for (int64_t h : high)
        if (h > INT32_MAX)
            return false;
    *box = CellBox(x, y, z, static_cast<int32_t>(high[0]), static_cast<int32_t>(high[1]),
                   static_cast<int32_t>(high[2]));
    return true;
}

void RegionEdit::putDown(const Clipboard& clipboard, const CellBox& box, bool addFigures,
                         Result& result) {
    result.blocks +=
        CellWriter(map, box, log).put(clipboard.placedBlocks(), box.lowX(), box.lowY(), box.lowZ());
    report();
    if (!addFigures)
        return;
    const WorldSettings& settings = map.worldSettings();
    const Vector3 corner = CellBox::cellOrigin(box.lowX(), box.lowY(), box.lowZ(),
                                               settings.blockWidth, settings.blockHeight);
    for (SpriteObject& object : clipboard.placedSprites()) {
        object.position = corner + object.position;
        if (sprites.addObject(std::move(object)))
            ++result.sprites;
    }
}

RegionEdit::Result RegionEdit::paste(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z) {
    CellBox box;
    if (!clipboard.holdsBox())
        return refused("the clipboard is empty");
    if (!pastedBox(clipboard, x, y, z, &box))
        return refused("the box would leave the world");
    return run(box, [&](Result& result) {
        putDown(clipboard, box, true, result);
        return true;
    });
}

RegionEdit::Result RegionEdit::move(const CellBox& box, int32_t dx, int32_t dy, int32_t dz) {
    const CellBox moved = box.moved(dx, dy, dz);
    if (moved.lowX() - int64_t{box.lowX()} != dx || moved.lowY() - int64_t{box.lowY()} != dy ||
        moved.lowZ() - int64_t{box.lowZ()} != dz)
        return refused("the box would leave the world");
    return run(moved, [&](Result& result) {
        Clipboard taken;
        take(box, &taken, result);
        const std::vector<int32_t> figures = spritesIn(box);
        CellWriter(map, box, log).clear(box);
        report();
        Result placed;
        putDown(taken, moved, false, placed);
        const WorldSettings& settings = map.worldSettings();
        const Vector3 shift =
            CellBox::cellOrigin(dx, dy, dz, settings.blockWidth, settings.blockHeight);
        for (int32_t i : figures)
            sprites.moveObject(i, sprites.object(i).position + shift);
        return true;
    });
}
