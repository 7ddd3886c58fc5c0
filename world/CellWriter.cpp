#include "world/CellWriter.h"

#include <cstring>

#include "world/BoxSectors.h"
#include "world/ChangeLog.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/WorldSettings.h"

namespace {

template <class Visit>
void forEachCell(const CellBox& box, Visit visit) {
    for (int32_t y = box.lowY(); y <= box.highY(); ++y)
        for (int32_t z = box.lowZ(); z <= box.highZ(); ++z)
            for (int32_t x = box.lowX(); x <= box.highX(); ++x)
                visit(x, y, z);
}

}  // namespace

CellWriter::CellWriter(TamoMap& map, const CellBox& box, ChangeLog& log, bool fillsWhole)
        : map(map), sectors(std::make_unique<BoxSectors>(map, box)), log(log),
          fillsWhole(fillsWhole) {
    if (fillsWhole)
        log.reserve(log.cellCount() + static_cast<size_t>(box.cellCount()));
}

CellWriter::CellWriter(TamoMap& map, ChangeLog& log) : map(map), log(log) {}

CellWriter::~CellWriter() = default;

void CellWriter::fillFaces(FaceMaterial faces[BlockFaceCount], const FaceMaterial& material) {
    for (int32_t f = 0; f < BlockFaceCount; ++f)
        faces[f] = material;
}

bool CellWriter::locate(int32_t x, int32_t y, int32_t z, bool create) {
    if (sectors)
        return sectors->locate(x, y, z, create, &sector, &cx, &cy, &cz);
    const WorldSettings& settings = map.worldSettings();
    const Vector3 centre = CellBox::cellCentre(x, y, z, settings.blockWidth, settings.blockHeight);
    sector = create ? map.findOrCreateSector(centre) : map.findSector(centre);
    return sector >= 0 && map.sector(sector)->cellOf(centre, cx, cy, cz);
}

const MapBlock* CellWriter::blockAt(int32_t x, int32_t y, int32_t z) {
    if (!locate(x, y, z, false))
        return nullptr;
    const MapBlock* record = map.sector(sector)->findBlock(cx, cy, cz);
    return record && record->used ? record : nullptr;
}

bool CellWriter::place(int32_t x, int32_t y, int32_t z, const FaceMaterial faces[BlockFaceCount]) {
    if (!locate(x, y, z, true))
        return false;
    MapBlock block;
    std::memcpy(block.faces, faces, sizeof block.faces);
    block.used = true;
    write(&block);
    return true;
}

void CellWriter::removeFound() {
    write(nullptr);
}

// Puts the current cell's state. In a box, a sector that had no record when
// this writer first came to it has none in any cell not yet written, and
// each cell is written once, so its cells need no search.
void CellWriter::write(const MapBlock* state) {
    TamoSector& owner = *map.sector(sector);
    bool knownEmpty = false;
    if (sectors) {
        if (static_cast<size_t>(sector) >= startedEmpty.size())
            startedEmpty.resize(static_cast<size_t>(sector) + 1, -1);
        int8_t& empty = startedEmpty[static_cast<size_t>(sector)];
        if (empty < 0) {
            empty = owner.blocks.count() == 0 ? 1 : 0;
            if (empty == 1 && fillsWhole)
                owner.blocks.reserve(static_cast<size_t>(sectors->cellsOf(sector)));
        }
        knownEmpty = empty == 1;
    }
    MapBlock old;
    const bool had = owner.writeCell(cx, cy, cz, state, knownEmpty, &old);
    const uint32_t before = log.stateOf(had ? &old : nullptr);
    if (state) {
        log.add(sector, cx, cy, cz, before, log.stateOf(state));
    } else if (had) {
        old.used = false;
        log.add(sector, cx, cy, cz, before, log.stateOf(&old));
    }
}

int64_t CellWriter::fill(const CellBox& box, const FaceMaterial& material) {
    FaceMaterial faces[BlockFaceCount];
    fillFaces(faces, material);
    int64_t blocks = 0;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        if (place(x, y, z, faces))
            ++blocks;
    });
    return blocks;
}

int64_t CellWriter::hollow(const CellBox& box, const FaceMaterial& material) {
    FaceMaterial faces[BlockFaceCount];
    fillFaces(faces, material);
    int64_t blocks = 0;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        const bool shell = x == box.lowX() || x == box.highX() || y == box.lowY() ||
                           y == box.highY() || z == box.lowZ() || z == box.highZ();
        if (shell ? place(x, y, z, faces) : blockAt(x, y, z) != nullptr) {
            if (!shell)
                removeFound();
            ++blocks;
        }
    });
    return blocks;
}

int64_t CellWriter::clear(const CellBox& box) {
    int64_t blocks = 0;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        if (blockAt(x, y, z)) {
            removeFound();
            ++blocks;
        }
    });
    return blocks;
}

int64_t CellWriter::paint(const CellBox& box, const FaceMaterial& material) {
    FaceMaterial faces[BlockFaceCount];
    fillFaces(faces, material);
    int64_t blocks = 0;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        if (blockAt(x, y, z) && place(x, y, z, faces))
            ++blocks;
    });
    return blocks;
}

int64_t CellWriter::replace(const CellBox& box, const FaceMaterial& from, const FaceMaterial& to) {
    int64_t blocks = 0;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        const MapBlock* found = blockAt(x, y, z);
        if (!found)
            return;
        FaceMaterial faces[BlockFaceCount];
        bool changed = false;
        for (int32_t f = 0; f < BlockFaceCount; ++f) {
            faces[f] = found->faces[f] == from ? to : found->faces[f];
            changed = changed || faces[f] != found->faces[f];
        }
        if (changed && place(x, y, z, faces))
            ++blocks;
    });
    return blocks;
}

std::vector<MapBlock> CellWriter::blocksOf(const CellBox& box) {
    std::vector<MapBlock> blocks;
    forEachCell(box, [&](int32_t x, int32_t y, int32_t z) {
        if (const MapBlock* found = blockAt(x, y, z)) {
            MapBlock block = *found;
            block.x = x - box.lowX();
            block.y = y - box.lowY();
            block.z = z - box.lowZ();
            blocks.push_back(block);
        }
    });
    return blocks;
}

int64_t CellWriter::put(const std::vector<MapBlock>& blocks, int32_t x, int32_t y, int32_t z) {
    int64_t placed = 0;
    for (const MapBlock& block : blocks)
        if (place(x + block.x, y + block.y, z + block.z, block.faces))
            ++placed;
    return placed;
}
