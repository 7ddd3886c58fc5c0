#include "world/RegionEdit.h"

#include <cstring>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "world/BoxSectors.h"
#include "world/CellChanges.h"
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

// Collects the cells an edit writes, as the history keeps them: each
// distinct cell state once (neighbouring cells mostly share one).
class ChangeLog {
public:
    uint32_t stateOf(const MapBlock* record) {
        if (!record)
            return CellChanges::NoRecord;
        if (last != CellChanges::NoRecord && same(changes.states[last], *record))
            return last;
        const uint64_t key = hash(*record);
        std::vector<uint32_t>& bucket = seen[key];
        for (uint32_t index : bucket)
            if (same(changes.states[index], *record))
                return last = index;
        MapBlock state = *record;
        state.x = state.y = state.z = 0;
        changes.states.push_back(state);
        last = static_cast<uint32_t>(changes.states.size() - 1);
        bucket.push_back(last);
        return last;
    }
    void add(int32_t sector, int32_t x, int32_t y, int32_t z, uint32_t before, uint32_t after) {
        if (before == after)
            return;
        changes.cells.push_back({sector, static_cast<int16_t>(x), static_cast<int16_t>(y),
                                 static_cast<int16_t>(z), before, after});
    }
    bool pending() const { return !changes.cells.empty(); }
    void reserve(size_t cells) { changes.cells.reserve(cells); }
    CellChanges take() {
        seen.clear();
        last = CellChanges::NoRecord;
        changes.cells.shrink_to_fit();
        return std::move(changes);
    }

private:
    static bool same(const MapBlock& a, const MapBlock& b) {
        if (a.used != b.used)
            return false;
        for (int32_t f = 0; f < BlockFaceCount; ++f)
            if (a.faces[f] != b.faces[f])
                return false;
        return true;
    }
    static uint64_t hash(const MapBlock& block) {
        uint64_t h = block.used ? 1469598103934665603ull : 7809847782465536322ull;
        for (const FaceMaterial& m : block.faces) {
            const int64_t fields[6] = {m.texture,  m.offsetU, m.offsetV,
                                       m.rotation, m.scaleU,  m.scaleV};
            for (int64_t v : fields)
                h = (h ^ static_cast<uint64_t>(v)) * 1099511628211ull;
        }
        return h;
    }

    CellChanges changes;
    std::unordered_map<uint64_t, std::vector<uint32_t>> seen;
    uint32_t last = CellChanges::NoRecord;
};

// One phase of an edit: cells written into the sectors of a box and logged.
class CellWriter {
public:
    // With fillsWhole, every cell of the box is written once: a sector that
    // starts empty gets room for all its cells of the box at once, and the
    // log room for every cell.
    CellWriter(TamoMap& map, const CellBox& box, bool fillsWhole = false)
            : map(map), sectors(map, box), fillsWhole(fillsWhole) {
        if (fillsWhole)
            log.reserve(static_cast<size_t>(box.cellCount()));
    }
    // Cells written and not yet reported (an edit cut short) are reported
    // still, so they can be undone.
    ~CellWriter() {
        try {
            report();
        } catch (const std::bad_alloc&) {
        }
    }
    CellWriter(const CellWriter&) = delete;
    CellWriter& operator=(const CellWriter&) = delete;

    // The used block of a cell, or null.
    const MapBlock* blockAt(int32_t x, int32_t y, int32_t z) {
        if (!sectors.locate(x, y, z, false, &sector, &cx, &cy, &cz))
            return nullptr;
        const MapBlock* record = map.sector(sector)->findBlock(cx, cy, cz);
        return record && record->used ? record : nullptr;
    }
    // Gives the cell a used block with these faces, creating its sector as
    // a click would.
    bool place(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[BlockFaceCount]) {
        if (!sectors.locate(x, y, z, true, &sector, &cx, &cy, &cz))
            return false;
        MapBlock block;
        std::memcpy(block.faces, faces, sizeof block.faces);
        block.used = true;
        write(&block);
        return true;
    }
    // Removes the block of the cell last found by blockAt (its record stays).
    void removeFound() { write(nullptr); }
    void report() {
        if (log.pending())
            map.reportCells(log.take());
    }

private:
    // Puts the current cell's state; a sector that had no record when this
    // writer first came to it has none in any cell not yet written, and each
    // cell is written once, so its cells need no search.
    void write(const MapBlock* state) {
        if (static_cast<size_t>(sector) >= startedEmpty.size())
            startedEmpty.resize(static_cast<size_t>(sector) + 1, -1);
        int8_t& empty = startedEmpty[static_cast<size_t>(sector)];
        TamoSector& owner = *map.sector(sector);
        if (empty < 0) {
            empty = owner.blocks.count() == 0 ? 1 : 0;
            if (empty == 1 && fillsWhole)
                owner.blocks.reserve(static_cast<size_t>(sectors.cellsOf(sector)));
        }
        MapBlock old;
        const bool had = owner.writeCell(cx, cy, cz, state, empty == 1, &old);
        const uint32_t before = log.stateOf(had ? &old : nullptr);
        if (state) {
            log.add(sector, cx, cy, cz, before, log.stateOf(state));
        } else if (had) {
            old.used = false;
            log.add(sector, cx, cy, cz, before, log.stateOf(&old));
        }
    }

    TamoMap& map;
    BoxSectors sectors;
    ChangeLog log;
    std::vector<int8_t> startedEmpty;  // per sector index: -1 not seen yet
    bool fillsWhole;
    int32_t sector = -1, cx = 0, cy = 0, cz = 0;
};

template <class Visit>
void forEachCell(const CellBox& box, Visit visit) {
    for (int32_t y = box.lowY(); y <= box.highY(); ++y)
        for (int32_t z = box.lowZ(); z <= box.highZ(); ++z)
            for (int32_t x = box.lowX(); x <= box.highX(); ++x)
                visit(x, y, z);
}

void fillFaces(FaceMaterial faces[BlockFaceCount], const FaceMaterial& material) {
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        faces[f] = material;
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
    if (history)
        history->closeAction();
    return result;
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
        CellWriter writer(map, box, true);
        FaceMaterial faces[BlockFaceCount];
        fillFaces(faces, material);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            if (writer.place(x, y, z, faces))
                ++result.blocks;
        });
        writer.report();
        return true;
    });
}

RegionEdit::Result RegionEdit::hollow(const CellBox& box, const FaceMaterial& material) {
    return run(box, [&](Result& result) {
        CellWriter writer(map, box);
        FaceMaterial faces[BlockFaceCount];
        fillFaces(faces, material);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            const bool shell = x == box.lowX() || x == box.highX() || y == box.lowY() ||
                               y == box.highY() || z == box.lowZ() || z == box.highZ();
            if (shell ? writer.place(x, y, z, faces) : writer.blockAt(x, y, z) != nullptr) {
                if (!shell)
                    writer.removeFound();
                ++result.blocks;
            }
        });
        writer.report();
        return true;
    });
}

RegionEdit::Result RegionEdit::remove(const CellBox& box) {
    return run(box, [&](Result& result) {
        CellWriter writer(map, box);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            if (writer.blockAt(x, y, z)) {
                writer.removeFound();
                ++result.blocks;
            }
        });
        writer.report();
        result.sprites = removeSprites(spritesIn(box));
        return true;
    });
}

RegionEdit::Result RegionEdit::paint(const CellBox& box, const FaceMaterial& material) {
    return run(box, [&](Result& result) {
        CellWriter writer(map, box);
        FaceMaterial faces[BlockFaceCount];
        fillFaces(faces, material);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            if (writer.blockAt(x, y, z) && writer.place(x, y, z, faces))
                ++result.blocks;
        });
        writer.report();
        return true;
    });
}

bool RegionEdit::take(const CellBox& box, Clipboard* clipboard, Result& result) {
    const WorldSettings& settings = map.worldSettings();
    CellWriter reader(map, box);
    std::vector<MapBlock> blocks;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        if (const MapBlock* found = reader.blockAt(x, y, z)) {
            MapBlock block = *found;
            block.x = x - box.lowX();
            block.y = y - box.lowY();
            block.z = z - box.lowZ();
            blocks.push_back(block);
        }
    });
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
        CellWriter writer(map, box);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            if (writer.blockAt(x, y, z))
                writer.removeFound();
        });
        writer.report();
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
    CellWriter writer(map, box);
    for (const MapBlock& block : clipboard.placedBlocks())
        if (writer.place(box.lowX() + block.x, box.lowY() + block.y, box.lowZ() + block.z,
                         block.faces))
            ++result.blocks;
    writer.report();
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
        CellWriter writer(map, box);
        forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
            if (writer.blockAt(x, y, z))
                writer.removeFound();
        });
        writer.report();
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
