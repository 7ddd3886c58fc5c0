#include "world/StampFile.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "media/FileStream.h"
#include "world/ByteWriter.h"
#include "world/CellBox.h"
#include "world/Clipboard.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"

namespace {

bool fail(std::string* why, const std::string& reason) {
    if (why)
        *why = reason;
    return false;
}

int32_t floorDiv(int32_t value, int32_t divisor) {
    int32_t quotient = value / divisor;
    if (value % divisor != 0 && (value < 0) != (divisor < 0))
        --quotient;
    return quotient;
}

void startCell(int32_t blockWidth, int32_t blockHeight, int32_t cell[3]) {
    CellBox::cellOf(TamoMap::startPoint(blockWidth, blockHeight), blockWidth, blockHeight, &cell[0],
                    &cell[1], &cell[2]);
}

// A block of a loaded file at its world cell; seq keeps the file's order.
struct PlacedRecord {
    int32_t cell[3];
    size_t seq;
    const MapBlock* block;
};

}  // namespace

namespace StampFile {

bool saveFile(const char* path, const Clipboard& clipboard, std::string* why) {
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    write(clipboard, out);
    if (!out.finish())
        return fail(why, "there is not enough memory for the stamp");
    return MapFile::saveBytes(path, bytes, why);
}

bool loadFile(const char* path, int32_t blockWidth, int32_t blockHeight, Clipboard* clipboard,
              std::string* why) {
    FileStream stream(path, "rb");
    if (stream.openFailed())
        return fail(why, "the file cannot be opened");
    return load(stream, blockWidth, blockHeight, clipboard, why);
}

bool save(const Clipboard& clipboard, FileStream& stream) {
    ByteWriter out(stream);
    write(clipboard, out);
    return out.finish();
}

void write(const Clipboard& clipboard, ByteWriter& out) {
    const int32_t w = clipboard.cellWidth();
    const int32_t h = clipboard.cellHeight();
    const int32_t edge = TamoMap::DefaultSectorSize;
    int32_t start[3];
    startCell(w, h, start);
    // Sectors of the editor's grid, in the order their first block comes.
    struct Sector {
        int32_t key[3];
        DynArray<MapBlock> blocks;
    };
    std::vector<Sector> sectors;
    std::map<std::tuple<int32_t, int32_t, int32_t>, size_t> sectorOf;
    for (MapBlock block : clipboard.placedBlocks()) {
        const int32_t cell[3] = {start[0] + block.x, start[1] + block.y, start[2] + block.z};
        const int32_t key[3] = {floorDiv(cell[0], edge), floorDiv(cell[1], edge),
                                floorDiv(cell[2], edge)};
        const auto found =
            sectorOf.emplace(std::make_tuple(key[0], key[1], key[2]), sectors.size());
        if (found.second)
            sectors.push_back({{key[0], key[1], key[2]}, {}});
        Sector& sector = sectors[found.first->second];
        block.x = cell[0] - key[0] * edge;
        block.y = cell[1] - key[1] * edge;
        block.z = cell[2] - key[2] * edge;
        sector.blocks.append(block);
    }
    MapFormat::writeCount(out, static_cast<int32_t>(sectors.size()));
    for (const Sector& sector : sectors) {
        const Vector3 origin = CellBox::cellOrigin(sector.key[0] * edge, sector.key[1] * edge,
                                                   sector.key[2] * edge, w, h);
        MapFormat::writeSector(out, edge, origin, sector.blocks);
    }
    const std::vector<SpriteObject> figures = clipboard.placedSprites();
    const Vector3 corner = CellBox::cellOrigin(start[0], start[1], start[2], w, h);
    MapFormat::writeCount(out, static_cast<int32_t>(figures.size()));
    int32_t id = 0;
    for (SpriteObject object : figures) {
        object.id = id++;  // numbered afresh, as a world holding only them would
        object.position = corner + object.position;
        MapFormat::writeSprite(out, object);
    }
}

bool load(FileStream& stream, int32_t blockWidth, int32_t blockHeight, Clipboard* clipboard,
          std::string* why) {
    if (blockWidth <= 0 || blockHeight <= 0)
        return fail(why, "the block sizes hold no cells");
    MapFormat::WorldRecords records;
    if (!MapFormat::readWorld(stream, &records, why))
        return false;
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    int32_t low[3], high[3];
    startCell(blockWidth, blockHeight, low);
    std::copy(low, low + 3, high);
    bool any = false;
    const auto widen = [&](const int32_t cell[3]) {
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], cell[axis]);
            high[axis] = any ? std::max(high[axis], cell[axis]) : cell[axis];
        }
        any = true;
    };
    std::vector<PlacedRecord> placed;
    for (const TamoSectorData& sector : records.sectors)
        for (const MapBlock& block : sector.blocks) {
            // The cell of the block's centre: sectors of a file may lie off the grid.
            const Vector3 centre =
                sector.origin + Vector3((static_cast<float>(block.x) + 0.5f) * w,
                                        (static_cast<float>(block.y) + 0.5f) * h,
                                        (static_cast<float>(block.z) + 0.5f) * w);
            PlacedRecord record{{0, 0, 0}, placed.size(), &block};
            CellBox::cellOf(centre, blockWidth, blockHeight, &record.cell[0], &record.cell[1],
                            &record.cell[2]);
            widen(record.cell);
            placed.push_back(record);
        }
    std::vector<int32_t> spriteCells(records.sprites.size() * 3);
    for (size_t i = 0; i < records.sprites.size(); ++i) {
        int32_t* cell = &spriteCells[i * 3];
        CellBox::cellOf(records.sprites[i].position, blockWidth, blockHeight, &cell[0], &cell[1],
                        &cell[2]);
        widen(cell);
    }
    if (!any)
        return fail(why, "the file holds no blocks and no figures");
    const CellBox box(low[0], low[1], low[2], high[0], high[1], high[2]);
    if (!box.withinLimit())
        return fail(why, "the file's blocks span more than " + std::to_string(CellBox::MaxCells) +
                             " cells");
    // In paste order; where blocks share a cell the one a click would find
    // (first sector, first record) stays.
    std::sort(placed.begin(), placed.end(), [](const PlacedRecord& a, const PlacedRecord& b) {
        return std::tie(a.cell[1], a.cell[2], a.cell[0], a.seq) <
               std::tie(b.cell[1], b.cell[2], b.cell[0], b.seq);
    });
    std::vector<MapBlock> blocks;
    blocks.reserve(placed.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        const PlacedRecord& record = placed[i];
        if (i > 0 && std::equal(record.cell, record.cell + 3, placed[i - 1].cell))
            continue;
        MapBlock block = *record.block;
        block.x = record.cell[0] - low[0];
        block.y = record.cell[1] - low[1];
        block.z = record.cell[2] - low[2];
        block.used = true;
        blocks.push_back(block);
    }
    const Vector3 corner = CellBox::cellOrigin(low[0], low[1], low[2], blockWidth, blockHeight);
    for (SpriteObject& object : records.sprites)
        object.position = object.position - corner;
    *clipboard = Clipboard(static_cast<int32_t>(box.sizeX()), static_cast<int32_t>(box.sizeY()),
                           static_cast<int32_t>(box.sizeZ()), blockWidth, blockHeight,
                           std::move(blocks), std::move(records.sprites));
    return true;
}

}  // namespace StampFile
