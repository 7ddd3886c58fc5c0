#include "world/EditBatch.h"

#include "world/CellWriter.h"
#include "world/Clipboard.h"
#include "world/ShapeCells.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"
#include "world/WorldSettings.h"

EditBatch::EditBatch(TamoMap& map_, TamoSpriteObjectSet& sprites_, WorldHistory* history_)
        : map(map_), sprites(sprites_), history(history_), sectorsBefore(map_.sectorCount()),
          removedFigures(static_cast<size_t>(sprites_.count()), false) {
    map.setHistory(nullptr);
}

EditBatch::~EditBatch() {
    if (!finished)
        rollback();
}

void EditBatch::setChangeLimit(size_t changes) {
    limit = changes;
    log.setLimit(changes >= figureChanges ? changes - figureChanges : 0);
}

size_t EditBatch::bytes() const {
    return log.bytes() + added.capacity() * sizeof(SpriteObject) + removedFigures.size() / 8;
}

const MapBlock* EditBatch::blockAt(int32_t x, int32_t y, int32_t z) {
    return CellWriter(map, log).blockAt(x, y, z);
}

void EditBatch::set(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[BlockFaceCount]) {
    CellWriter(map, log).place(x, y, z, faces);
}

void EditBatch::remove(int32_t x, int32_t y, int32_t z) {
    CellWriter writer(map, log);
    if (writer.blockAt(x, y, z))
        writer.removeFound();
}

void EditBatch::fill(const CellBox& box, const FaceMaterial& material) {
    CellWriter(map, box, log, true).fill(box, material);
}

void EditBatch::hollow(const CellBox& box, const FaceMaterial& material) {
    CellWriter(map, box, log).hollow(box, material);
}

void EditBatch::clear(const CellBox& box) {
    CellWriter(map, box, log).clear(box);
    const WorldSettings& settings = map.worldSettings();
    const auto inside = [&](const SpriteObject& figure) {
        return box.containsPoint(figure.position, settings.blockWidth, settings.blockHeight);
    };
    for (size_t i = 0; i < removedFigures.size(); ++i)
        if (!removedFigures[i] && inside(sprites.object(static_cast<int32_t>(i)))) {
            countFigure();
            removedFigures[i] = true;
        }
    for (size_t i = added.size(); i-- > 0;)
        if (inside(added[i])) {
            countFigure();
            added.erase(added.begin() + static_cast<std::ptrdiff_t>(i));
        }
}

void EditBatch::replace(const CellBox& box, const FaceMaterial& from, const FaceMaterial& to) {
    CellWriter(map, box, log).replace(box, from, to);
}

void EditBatch::line(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                     const FaceMaterial& material) {
    FaceMaterial faces[BlockFaceCount];
    CellWriter::fillFaces(faces, material);
    CellWriter writer(map, log);
    ShapeCells::visitLine(x0, y0, z0, x1, y1, z1,
                          [&](int32_t x, int32_t y, int32_t z) { writer.place(x, y, z, faces); });
}

void EditBatch::shape(const ShapeCells& cells, const FaceMaterial& material) {
    FaceMaterial faces[BlockFaceCount];
    CellWriter::fillFaces(faces, material);
    CellWriter writer(map, log);
    cells.visitRows([&](int32_t xLow, int32_t xHigh, int32_t y, int32_t z) {
        for (int32_t x = xLow;; ++x) {
            writer.place(x, y, z, faces);
            if (x == xHigh)
                break;
        }
    });
}

void EditBatch::paste(const Clipboard& clipboard, int32_t x, int32_t y, int32_t z) {
    const int64_t high[3] = {int64_t{x} + clipboard.sizeX() - 1, int64_t{y} + clipboard.sizeY() - 1,
                             int64_t{z} + clipboard.sizeZ() - 1};
    if (!clipboard.holdsBox() || high[0] > INT32_MAX || high[1] > INT32_MAX || high[2] > INT32_MAX)
        return;
    // Scattered like any shape's cells: a large, sparse stamp needs no table of its box.
    CellWriter(map, log).put(clipboard.placedBlocks(), x, y, z);
    const WorldSettings& settings = map.worldSettings();
    const Vector3 corner = CellBox::cellOrigin(x, y, z, settings.blockWidth, settings.blockHeight);
    for (SpriteObject& figure : clipboard.placedSprites()) {
        figure.position = corner + figure.position;
        addFigure(figure);
    }
}

void EditBatch::addFigure(const SpriteObject& figure) {
    countFigure();
    added.push_back(figure);
}

void EditBatch::countFigure() {
    if (changes() >= limit)
        throw ChangeLog::LimitReached();
    ++figureChanges;
    log.setLimit(limit >= figureChanges ? limit - figureChanges : 0);
}

void EditBatch::restoreReporting() {
    map.setHistory(history);
    finished = true;
}

size_t EditBatch::commit() {
    log.mergeRepeatedCells();
    const size_t committed = log.cellCount();
    // The sectors made come out and go back one at a time, each reported as
    // it joins, as a fill reports them: an observer reads the last sector.
    std::vector<TamoSector*> made;
    while (map.sectorCount() > sectorsBefore)
        made.push_back(map.takeLastSector());
    restoreReporting();
    if (history)
        history->closeAction();
    for (size_t k = made.size(); k-- > 0;) {
        map.appendSector(made[k]);
        if (history)
            history->sectorAdded();
    }
    if (log.pending())
        map.reportCells(log.take());
    // From the last, so the indices still to go stay where they are.
    for (size_t i = removedFigures.size(); i-- > 0;)
        if (removedFigures[i])
            sprites.removeObject(static_cast<int32_t>(i));
    for (const SpriteObject& figure : added)
        sprites.addObject(figure);
    if (history)
        history->closeAction();
    return committed;
}

void EditBatch::rollback() {
    log.revert(map);
    while (map.sectorCount() > sectorsBefore)
        delete map.takeLastSector();
    added.clear();
    restoreReporting();
}
