#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "world/LiteralSectorFile.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class SectorFileEquivalenceTest : public TestWorld {
protected:
    std::vector<uint8_t> saved(TamoSector& sector) {
        const std::string file = path("sector.bin");
        {
            FileStream stream(file.c_str(), "wb");
            EXPECT_TRUE(sector.saveSector(stream));
        }
        return readFile(file);
    }

    static FaceMaterial randomFace(std::mt19937& random) {
        FaceMaterial f;
        f.texture = static_cast<int32_t>(random() % 300) - 20;
        f.offsetU = static_cast<int32_t>(random() % 2000000) - 1000000;
        f.offsetV = -static_cast<int32_t>(random() % 70000);
        f.rotation = static_cast<uint8_t>(random() % 4);
        // Scales of either sign: negative ones mirror.
        f.scaleU =
            static_cast<int8_t>(static_cast<int32_t>(1 + random() % 127) * (random() % 2 ? 1 : -1));
        f.scaleV =
            static_cast<int8_t>(static_cast<int32_t>(1 + random() % 127) * (random() % 2 ? 1 : -1));
        return f;
    }
};

bool sameBlock(const MapBlock& a, const MapBlock& b) {
    if (a.x != b.x || a.y != b.y || a.z != b.z || a.used != b.used)
        return false;
    for (int f = 0; f < 6; ++f)
        if (a.faces[f] != b.faces[f])
            return false;
    return true;
}

// Sectors of any size holding used and removed blocks of random materials,
// with more used blocks than one write chunk, save the bytes that writing
// field by field gives.
TEST_F(SectorFileEquivalenceTest, SavedBytesMatchFieldByFieldWriting) {
    std::mt19937 random(12);
    for (int32_t size : {20, 1, 17, 24}) {
        std::unique_ptr<TamoSector> sector(
            core->createSector(Vector3(-13.5f, 1e6f, 40000.25f), size));
        const int32_t edits = size == 24 ? 9000 : 3 * size * size;
        for (int32_t n = 0; n < edits; ++n) {
            core->material = randomFace(random);
            sector->setBlock(static_cast<int32_t>(random() % size),
                             static_cast<int32_t>(random() % size),
                             static_cast<int32_t>(random() % size), random() % 4 != 0);
        }
        if (size == 24) {
            ASSERT_GT(usedBlocks(sector.get()), 4096);
        }
        EXPECT_EQ(saved(*sector), literal::sectorRecord(size, sector->origin, sector->blocks))
            << "size " << size;
    }
}

// Block records read whole, cut short at any byte or spoiled in any field,
// give what reading field by field gives: the same blocks, or failure.
TEST_F(SectorFileEquivalenceTest, ReadingMatchesFieldByFieldReadingOnSoundAndSpoiledRecords) {
    std::mt19937 random(4);
    for (int32_t round = 0; round < 150; ++round) {
        // The first record holds more blocks than one read chunk.
        const int32_t size = round == 0 ? 17 : 6;
        const int32_t count = round == 0 ? 4100 : static_cast<int32_t>(random() % 12);
        Bytes body;
        for (int32_t b = 0; b < count; ++b) {
            body.i32(static_cast<int32_t>(random() % size))
                .i32(static_cast<int32_t>(random() % size))
                .i32(static_cast<int32_t>(random() % size));
            for (int f = 0; f < 6; ++f)
                body.face(static_cast<int32_t>(random() % 200), -3, 4,
                          static_cast<uint8_t>(random() % 4), 1, 2);
        }
        std::vector<uint8_t> blocks = body.data();
        if (round % 3 == 1 && !blocks.empty())
            blocks.resize(random() % blocks.size());  // cut short
        if (round % 3 == 2 && !blocks.empty()) {
            // A spoiled byte: a cell index, rotation or scale may go out of
            // range (a scale of -1 is a mirrored one, 0 and -128 none).
            const size_t at = random() % blocks.size();
            const uint8_t spoils[] = {0xFF, 0x07, 0x80, 0x00};
            blocks[at] = spoils[random() % 4];
        }
        Bytes record;
        record.sectorHeader(size, 10.0f, 20.0f, 30.0f, count);
        std::vector<uint8_t> file = record.data();
        file.insert(file.end(), blocks.begin(), blocks.end());
        writeFile(path("record.bin"), file);

        std::vector<MapBlock> expected;
        const bool expectedRead =
            literal::readBlocks(blocks.data(), blocks.size(), size, count, &expected) &&
            // A count larger than the bytes present is refused before reading.
            static_cast<size_t>(count) * 102 <= blocks.size();
        TamoSectorData data;
        FileStream stream(path("record.bin").c_str(), "rb");
        const bool read = MapFormat::readSector(stream, &data);
        ASSERT_EQ(read, expectedRead) << "round " << round;
        if (!read)
            continue;
        ASSERT_EQ(data.blocks.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
            ASSERT_TRUE(sameBlock(data.blocks[i], expected[i])) << "block " << i;
    }
}

}  // namespace
