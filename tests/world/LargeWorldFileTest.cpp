// World files of any size: a generator hands the reader the bytes of a file
// larger than 256 MiB one piece at a time (nothing of that size is written
// or held), and every record read is checked against the generator's own
// formula; faults placed past 256 MiB are named and change nothing. A world
// that would not fit in memory is refused before anything is built.
#include <malloc.h>

#include <algorithm>
#include <random>

#include "world/GeneratedWorld.h"
#include "world/MapFormat.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

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
    for (int32_t k = 0; k < LargeSectorCount; ++k)
        wrong += !GeneratedWorld::isGenerated(records.sectors[static_cast<size_t>(k)], k);
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
    // Two of the four kinds a run, so that each run stays short; the seed
    // changes from run to run so that every kind is read in turn.
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
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
