// World files of any size: a generator hands the reader the bytes of a file
// larger than 256 MiB one piece at a time (nothing of that size is written
// or held), and every record read is checked against the generator's own
// formula; faults placed past 256 MiB are named and change nothing. A world
// that would not fit in memory is refused before anything is built.
#include <malloc.h>

#include <algorithm>
#include <random>

#include "media/ByteSource.h"
#include "media/LittleEndian.h"
#include "world/MapFormat.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

enum class Fault { None, Truncated, BadRotation, BadCell, CountTooLarge };

// A world file of sectorCount sectors of BlocksPerSector blocks each and one
// sprite, made on demand a record at a time. Block j of sector k follows
// blockAt, so a reader's records can be checked without keeping the file.
class GeneratedWorld : public ByteSource {
public:
    static constexpr int32_t BlocksPerSector = 1000;
    static constexpr int64_t SectorBytes =
        MapFormat::SectorHeaderBytes + int64_t{BlocksPerSector} * MapFormat::BlockRecordBytes;

    GeneratedWorld(int32_t sectors, Fault fault = Fault::None, int32_t faultSector = -1,
                   int32_t faultBlock = 0)
            : sectorCount(sectors), fault(fault), faultSector(faultSector), faultBlock(faultBlock) {
        total = 4 + sectors * SectorBytes + spriteSection().size();
        if (fault == Fault::Truncated)  // ends inside the fault block's record
            total = 4 + faultSector * SectorBytes + MapFormat::SectorHeaderBytes +
                    int64_t{faultBlock} * MapFormat::BlockRecordBytes + 50;
    }

    static MapBlock blockAt(int32_t k, int32_t j) {
        MapBlock block;
        block.x = j % 20, block.y = j / 20 % 20, block.z = j / 400;
        for (int32_t f = 0; f < BlockFaceCount; ++f)
            block.faces[f] = FaceMaterial{
                100 + (k * 7 + j + f) % 50,     k % 5 - 2, j % 3, static_cast<uint8_t>((k + j) % 4),
                static_cast<int8_t>(1 + f % 3), 1};
        block.used = true;
        return block;
    }
    static Vector3 originOf(int32_t k) {
        return Vector3(40000.0f + static_cast<float>(k % 100) * 200.0f, 60000.0f,
                       40000.0f + static_cast<float>(k / 100) * 200.0f);
    }

    bool readBytes(void* buffer, int32_t count) override {
        if (count <= 0 || count > remaining())
            return false;
        auto* out = static_cast<uint8_t*>(buffer);
        while (count > 0) {
            if (at == piece.size())
                makePiece();
            const int32_t n = static_cast<int32_t>(std::min<size_t>(count, piece.size() - at));
            std::copy_n(piece.data() + at, n, out);
            at += static_cast<size_t>(n), out += n, count -= n, position += n;
        }
        return true;
    }
    int64_t remaining() const override { return total - position; }

    int64_t size() const { return total; }

private:
    static std::vector<uint8_t> spriteSection() {
        return Bytes().i32(1).sprite(9, 1.0f, 2.0f, 3.0f, "far").data();
    }

    // The next record: the sector count, a sector, or the sprite section.
    void makePiece() {
        piece.clear();
        at = 0;
        const int32_t k = nextPiece++ - 1;
        if (k < 0) {
            piece = Bytes().i32(sectorCount).data();
            return;
        }
        if (k >= sectorCount) {
            piece = spriteSection();
            return;
        }
        const Vector3 o = originOf(k);
        int32_t count = BlocksPerSector;
        if (fault == Fault::CountTooLarge && k == faultSector)
            count = 8000;  // more than the rest of the file holds
        piece = Bytes().sectorHeader(20, o.x, o.y, o.z, count).data();
        piece.resize(MapFormat::SectorHeaderBytes + BlocksPerSector * MapFormat::BlockRecordBytes);
        uint8_t* p = piece.data() + MapFormat::SectorHeaderBytes;
        for (int32_t j = 0; j < BlocksPerSector; ++j, p += MapFormat::BlockRecordBytes) {
            MapBlock block = blockAt(k, j);
            if (k == faultSector && j == faultBlock && fault == Fault::BadRotation)
                block.faces[3].rotation = 4;
            if (k == faultSector && j == faultBlock && fault == Fault::BadCell)
                block.y = 20;
            littleEndian::storeI32(p, block.x);
            littleEndian::storeI32(p + 4, block.y);
            littleEndian::storeI32(p + 8, block.z);
            uint8_t* face = p + 12;
            for (const FaceMaterial& m : block.faces) {
                littleEndian::storeI32(face, m.texture);
                littleEndian::storeI32(face + 4, m.offsetU);
                littleEndian::storeI32(face + 8, m.offsetV);
                face[12] = m.rotation;
                face[13] = static_cast<uint8_t>(m.scaleU);
                face[14] = static_cast<uint8_t>(m.scaleV);
                face += MapFormat::FaceRecordBytes;
            }
        }
    }

    int32_t sectorCount;
    Fault fault;
    int32_t faultSector;
    int32_t faultBlock;
    int64_t total = 0;
    int64_t position = 0;
    int32_t nextPiece = 0;
    std::vector<uint8_t> piece;
    size_t at = 0;
};

constexpr int64_t MiB256 = int64_t{256} * 1024 * 1024;
// Enough sectors for a file past 256 MiB.
const int32_t LargeSectorCount = static_cast<int32_t>(MiB256 / GeneratedWorld::SectorBytes) + 40;

// Records that stand for whatever an earlier read left: a failed read must
// leave them alone.
MapFormat::WorldRecords sentinel() {
    MapFormat::WorldRecords records;
    records.sprites.resize(1);
    records.sprites[0].name = "kept";
    return records;
}

TEST(LargeWorldFileTest, AFileOver256MiBIsReadWholeAndExactly) {
    GeneratedWorld world(LargeSectorCount);
    ASSERT_GT(world.size(), MiB256);
    MapFormat::WorldRecords records;
    std::string why;
    ASSERT_TRUE(MapFormat::readWorld(world, &records, &why)) << why;
    EXPECT_EQ(world.remaining(), 0);
    ASSERT_EQ(records.sectors.size(), static_cast<size_t>(LargeSectorCount));
    EXPECT_EQ(records.mapSectionBytes,
              static_cast<size_t>(4 + LargeSectorCount * GeneratedWorld::SectorBytes));
    int64_t wrong = 0;
    for (int32_t k = 0; k < LargeSectorCount; ++k) {
        const TamoSectorData& sector = records.sectors[static_cast<size_t>(k)];
        ASSERT_EQ(sector.blocks.size(), static_cast<size_t>(GeneratedWorld::BlocksPerSector));
        wrong += sector.size != 20 || !(sector.origin == GeneratedWorld::originOf(k));
        for (int32_t j = 0; j < GeneratedWorld::BlocksPerSector; ++j) {
            const MapBlock& got = sector.blocks[static_cast<size_t>(j)];
            const MapBlock want = GeneratedWorld::blockAt(k, j);
            wrong +=
                got.x != want.x || got.y != want.y || got.z != want.z || !got.used ||
                !std::equal(std::begin(got.faces), std::end(got.faces), std::begin(want.faces));
        }
    }
    EXPECT_EQ(wrong, 0) << "records that differ from the generator's";
    ASSERT_EQ(records.sprites.size(), 1u);
    EXPECT_EQ(records.sprites[0].name, "far");
}

// Each kind of fault, at a random block of one of the last sectors (all past
// 256 MiB). A file cut short is found by its sector's count, before a byte of
// the missing blocks is read.
TEST(LargeWorldFileTest, FaultsPast256MiBAreNamedAndLeaveTheRecords) {
    const struct {
        Fault fault;
        const char* why;
    } Cases[] = {{Fault::Truncated, "a sector's block count does not fit in the file"},
                 {Fault::BadRotation, "a block face has a rotation above 3"},
                 {Fault::BadCell, "a block lies outside its sector"},
                 {Fault::CountTooLarge, "a sector's block count does not fit in the file"}};
    std::mt19937 random(23);
    // Two of the four kinds a run, in turn, so that each run stays short.
    std::vector<size_t> order = {0, 1, 2, 3};
    std::shuffle(order.begin(), order.end(), random);
    for (size_t c : {order[0], order[1]}) {
        const int32_t k = LargeSectorCount - 1 - static_cast<int32_t>(random() % 5);
        const int32_t j = static_cast<int32_t>(random() % GeneratedWorld::BlocksPerSector);
        GeneratedWorld world(LargeSectorCount, Cases[c].fault, k, j);
        MapFormat::WorldRecords records = sentinel();
        std::string why;
        EXPECT_FALSE(MapFormat::readWorld(world, &records, &why)) << Cases[c].why;
        EXPECT_EQ(why, Cases[c].why);
        EXPECT_TRUE(records.sectors.empty());
        ASSERT_EQ(records.sprites.size(), 1u);
        EXPECT_EQ(records.sprites[0].name, "kept");
    }
}

class WorldMemoryTest : public TestWorld {};

// A file of nothing but empty sectors is the most a file's bytes can ask of
// memory: what the map refuses must be refused before it builds anything,
// and what an empty sector costs must stay within the estimate it is judged by.
TEST_F(WorldMemoryTest, AWorldThatDoesNotFitIsRefusedAndEmptySectorsAreCheap) {
    const int32_t sectors = 2000;
    Bytes file;
    file.i32(sectors);
    for (int32_t k = 0; k < sectors; ++k)
        file.sectorHeader(20, 40000.0f + static_cast<float>(k) * 200.0f, 60000.0f, 40000.0f, 0);
    writeFile(path("empty-sectors.map"), file.i32(0).data());
    const std::vector<uint8_t> before = savedBytes();

    core->memoryLimit = (sectors - 1) * TamoMap::EstimatedSectorBytes;
    std::string why;
    EXPECT_FALSE(MapFile::loadWorld(path("empty-sectors.map").c_str(), *map, *sprites, &why));
    EXPECT_EQ(why, "there is not enough memory for the world");
    EXPECT_EQ(savedBytes(), before);

    core->memoryLimit = -1;
    writeFile(path("empty.map"), Bytes().i32(0).i32(0).data());
    ASSERT_TRUE(MapFile::loadWorld(path("empty.map").c_str(), *map, *sprites, &why)) << why;
    malloc_trim(0);
    const size_t heapBefore = mallinfo2().uordblks;
    ASSERT_TRUE(MapFile::loadWorld(path("empty-sectors.map").c_str(), *map, *sprites, &why)) << why;
    EXPECT_EQ(map->sectorCount(), sectors);
    const size_t heapAfter = mallinfo2().uordblks;
    EXPECT_LE(static_cast<int64_t>(heapAfter) - static_cast<int64_t>(heapBefore),
              sectors * TamoMap::EstimatedSectorBytes)
        << "an empty sector costs more than the estimate";
}

}  // namespace
