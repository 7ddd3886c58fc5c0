// The end of a world file past 256 MiB: the input is a small world file (its
// sector count, sectors and sprites), streamed after enough generated
// sectors to pass 256 MiB. Read there, its sectors and sprites must be taken
// or refused exactly as when the same bytes are a file of their own, the
// generated sectors must come out as made, and a refusal must name a reason
// and leave the records alone. Each input reads 256 MiB: a slow target.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/ScratchFile.h"
#include "media/LittleEndian.h"
#include "world/GeneratedWorld.h"
#include "world/MapFormat.h"
#include "world/SpriteObject.h"

namespace {

constexpr int64_t MiB256 = int64_t{256} * 1024 * 1024;
const int32_t Generated = static_cast<int32_t>(MiB256 / testworld::GeneratedWorld::SectorBytes) + 1;

bool sameBlocks(const TamoSectorData& a, const TamoSectorData& b) {
    if (a.size != b.size || a.blocks.size() != b.blocks.size() ||
        std::memcmp(&a.origin, &b.origin, sizeof a.origin) != 0)
        return false;
    for (size_t i = 0; i < a.blocks.size(); ++i) {
        const MapBlock &p = a.blocks[i], &q = b.blocks[i];
        if (p.x != q.x || p.y != q.y || p.z != q.z || p.used != q.used ||
            !std::equal(std::begin(p.faces), std::end(p.faces), std::begin(q.faces)))
            return false;
    }
    return true;
}

bool sameSprites(const MapFormat::WorldRecords& a, const MapFormat::WorldRecords& b) {
    return std::equal(a.sprites.begin(), a.sprites.end(), b.sprites.begin(), b.sprites.end(),
                      sameSavedFields);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A few sectors of its own: more would only repeat what the sector
    // record target already does, at 256 MiB a try.
    if (size < 4)
        return 0;
    const int32_t ownSectors = littleEndian::loadI32(data);
    if (ownSectors < 0 || ownSectors > 8)
        return 0;

    MapFormat::WorldRecords alone;
    std::string whyAlone;
    const bool acceptedAlone = MapFormat::parseWorld(data, size, &alone, &whyAlone);

    testworld::GeneratedWorld large(Generated, ownSectors,
                                    std::vector<uint8_t>(data + 4, data + size));
    MapFormat::WorldRecords read;
    read.sprites.resize(1);
    read.sprites[0].name = "kept";  // stands for what an earlier read left
    std::string why;
    const bool accepted = MapFormat::readWorld(large, &read, &why);
    if (accepted != acceptedAlone)
        fuzz::finding("the end of a large file is judged otherwise than the same bytes alone");
    if (!accepted) {
        if (why.empty())
            fuzz::finding("a refused large file gives no reason");
        if (!read.sectors.empty() || read.sprites.size() != 1 || read.sprites[0].name != "kept")
            fuzz::finding("a refused large file changed the records");
        return 0;
    }
    if (read.sectors.size() != static_cast<size_t>(Generated) + alone.sectors.size())
        fuzz::finding("a large file gave the wrong number of sectors");
    for (int32_t k : {0, Generated / 2, Generated - 1})
        if (!testworld::GeneratedWorld::isGenerated(read.sectors[static_cast<size_t>(k)], k))
            fuzz::finding("a generated sector was read wrongly");
    for (size_t i = 0; i < alone.sectors.size(); ++i)
        if (!sameBlocks(read.sectors[static_cast<size_t>(Generated) + i], alone.sectors[i]))
            fuzz::finding("a sector past 256 MiB was read otherwise than alone");
    if (!sameSprites(read, alone))
        fuzz::finding("the sprites past 256 MiB were read otherwise than alone");
    return 0;
}
