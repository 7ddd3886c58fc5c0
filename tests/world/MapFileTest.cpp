#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

#include <sys/resource.h>

#include "media/FileStream.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class MapFileTest : public TestWorld {
protected:
    // A small world with two sectors, a removed block and three sprites.
    void buildSampleWorld() {
        map->findOrCreateSector(Vector3(40250, 60010, 40010));
        map->sector(1)->setBlock(2, 3, 4, true);
        core->material.texture = 105;
        core->material.rotation = 2;
        map->sector(0)->setBlock(5, 0, 5, true);
        map->sector(0)->setBlock(6, 0, 5, true);
        map->sector(0)->setBlock(6, 0, 5, false);
        core->spriteType = 1;
        sprites->addAt(Vector3(40001, 60015, 40002));
        sprites->addAt(Vector3(40003, 60015, 40004));
        sprites->object(1).selected = true;
        sprites->appendNameChar('Q');
        sprites->deselectAll();
        sprites->addAt(Vector3(-1, -2, -3));
    }

    void expectLoadFails(const std::vector<uint8_t>& file, const std::vector<uint8_t>& before,
                         const std::string& label) {
        writeFile(path("bad.map"), file);
        std::string why;
        EXPECT_FALSE(MapFile::loadWorld(path("bad.map").c_str(), *map, *sprites, &why)) << label;
        EXPECT_FALSE(why.empty()) << label;
        EXPECT_EQ(savedBytes(), before) << label;
        // The file read a chunk at a time and held whole fail alike.
        MapFormat::WorldRecords records;
        std::string whole;
        EXPECT_FALSE(MapFormat::parseWorld(file.data(), file.size(), &records, &whole)) << label;
        EXPECT_EQ(why, whole) << label;
    }
};

TEST_F(MapFileTest, EmptyWorldIsTwoZeroCounts) {
    writeFile(path("empty.map"), Bytes().i32(0).i32(0).data());
    std::string why;
    ASSERT_TRUE(MapFile::loadWorld(path("empty.map").c_str(), *map, *sprites, &why)) << why;
    EXPECT_EQ(map->sectorCount(), 0);
    EXPECT_EQ(sprites->count(), 0);
    EXPECT_EQ(savedBytes(), std::vector<uint8_t>(8, 0));
}

TEST_F(MapFileTest, StartWorldIs130BytesInFieldOrder) {
    const std::vector<uint8_t> bytes = savedBytes();
    ASSERT_EQ(bytes.size(), 130u);
    EXPECT_EQ(int32At(bytes, 0), 1);   // sectors
    EXPECT_EQ(int32At(bytes, 4), 20);  // size
    EXPECT_EQ(floatAt(bytes, 8), 40000.0f);
    EXPECT_EQ(floatAt(bytes, 12), 60000.0f);
    EXPECT_EQ(floatAt(bytes, 16), 40000.0f);
    EXPECT_EQ(int32At(bytes, 20), 1);  // blocks
    EXPECT_EQ(int32At(bytes, 24), 0);
    EXPECT_EQ(int32At(bytes, 28), 0);
    EXPECT_EQ(int32At(bytes, 32), 0);
    for (size_t face = 0; face < 6; ++face) {
        const size_t at = 36 + face * 15;
        EXPECT_EQ(int32At(bytes, at), 100) << face;
        EXPECT_EQ(int32At(bytes, at + 4), 0) << face;
        EXPECT_EQ(int32At(bytes, at + 8), 0) << face;
        EXPECT_EQ(bytes[at + 12], 0) << face;
        EXPECT_EQ(bytes[at + 13], 1) << face;
        EXPECT_EQ(bytes[at + 14], 1) << face;
    }
    EXPECT_EQ(int32At(bytes, 126), 0);  // sprites
}

TEST_F(MapFileTest, RemovedBlocksAreNotWrittenButEmptySectorsAre) {
    map->sector(0)->setBlock(0, 0, 0, false);
    map->findOrCreateSector(Vector3(-5, 5, 5));
    const std::vector<uint8_t> bytes = savedBytes();
    ASSERT_EQ(bytes.size(), 4u + 20 + 20 + 4);
    EXPECT_EQ(int32At(bytes, 0), 2);
    EXPECT_EQ(int32At(bytes, 20), 0);
    EXPECT_EQ(floatAt(bytes, 28), -200.0f);
    EXPECT_EQ(int32At(bytes, 40), 0);
}

// A section of one sprite: the count, 32 bytes of fields, the name and its zero byte.
TEST_F(MapFileTest, ASpriteSectionOfOneObjectTakes37BytesPlusTheName) {
    core->spriteType = 5;
    core->spriteTeam = 2;
    sprites->addAt(Vector3(1, 2, 3));
    sprites->object(0).angle = 12.5f;
    std::vector<uint8_t> bytes = savedBytes();
    ASSERT_EQ(bytes.size(), 126u + 37);
    EXPECT_EQ(int32At(bytes, 126), 1);     // count
    EXPECT_EQ(int32At(bytes, 130), 0);     // id
    EXPECT_EQ(floatAt(bytes, 134), 1.0f);  // x, y, z
    EXPECT_EQ(floatAt(bytes, 138), 2.0f);
    EXPECT_EQ(floatAt(bytes, 142), 3.0f);
    EXPECT_EQ(floatAt(bytes, 146), 12.5f);  // angle
    EXPECT_EQ(int32At(bytes, 150), 5);      // type
    EXPECT_EQ(int32At(bytes, 154), 2);      // team
    EXPECT_EQ(floatAt(bytes, 158), 30.0f);  // height
    EXPECT_EQ(bytes.back(), 0);

    sprites->object(0).name = "abc";
    bytes = savedBytes();
    ASSERT_EQ(bytes.size(), 126u + 40);
    const std::vector<uint8_t> tail(bytes.end() - 4, bytes.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0x61, 0x62, 0x63, 0x00}));
}

TEST_F(MapFileTest, LoadedSpritesAreUnselectedAndIdsContinueAfterTheLargest) {
    writeFile(path("ids.map"), Bytes()
                                   .i32(0)
                                   .i32(3)
                                   .sprite(4, 1, 2, 3, "four", 45.0f, 2, 1, 12.0f)
                                   .sprite(9, 4, 5, 6, "")
                                   .sprite(2, 7, 8, 9, "two")
                                   .data());
    sprites->addAt(Vector3(0, 0, 0));
    sprites->object(0).selected = true;
    std::string why;
    ASSERT_TRUE(MapFile::loadWorld(path("ids.map").c_str(), *map, *sprites, &why)) << why;
    ASSERT_EQ(sprites->count(), 3);
    EXPECT_EQ(sprites->object(0).id, 4);
    EXPECT_EQ(sprites->object(0).name, "four");
    EXPECT_EQ(sprites->object(0).angle, 45.0f);
    EXPECT_EQ(sprites->object(0).type, 2);
    EXPECT_EQ(sprites->object(0).team, 1);
    EXPECT_EQ(sprites->object(0).height, 12.0f);
    EXPECT_EQ(sprites->object(2).position, Vector3(7, 8, 9));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_FALSE(sprites->object(i).selected);
    sprites->addAt(Vector3(0, 0, 0));
    EXPECT_EQ(sprites->object(3).id, 10);
}

TEST_F(MapFileTest, TheLargestPossibleIdDoesNotWrapRound) {
    writeFile(path("top.map"), Bytes().i32(0).i32(1).sprite(INT32_MAX, 0, 0, 0, "top").data());
    std::string why;
    ASSERT_TRUE(MapFile::loadWorld(path("top.map").c_str(), *map, *sprites, &why)) << why;
    EXPECT_EQ(sprites->getNextId(), INT32_MAX);
    sprites->addAt(Vector3(1, 1, 1));
    ASSERT_EQ(sprites->count(), 2);
    EXPECT_GE(sprites->object(1).id, 0);
    EXPECT_EQ(sprites->getNextId(), INT32_MAX);
}

TEST_F(MapFileTest, RandomWorldsSurviveARoundTrip) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        sprites->clearAll();
        for (int s = 0; s < 3; ++s) {
            const Vector3 p(std::uniform_real_distribution<float>(-3000, 3000)(random),
                            std::uniform_real_distribution<float>(-3000, 3000)(random),
                            std::uniform_real_distribution<float>(-3000, 3000)(random));
            TamoSector* sector = map->sector(map->findOrCreateSector(p));
            for (int b = 0; b < 25; ++b) {
                core->material.texture = 100 + static_cast<int32_t>(random() % 12);
                core->material.offsetU = static_cast<int32_t>(random() % 7) - 3;
                core->material.offsetV = static_cast<int32_t>(random() % 5);
                core->material.rotation = static_cast<uint8_t>(random() % 4);
                core->material.scaleU = static_cast<int8_t>(1 + random() % 5);
                core->material.scaleV = static_cast<int8_t>(1 + random() % 5);
                sector->setBlock(random() % 20, random() % 20, random() % 20, random() % 4 != 0);
            }
        }
        for (int s = 0; s < 5; ++s) {
            core->spriteType = static_cast<int32_t>(random() % 4);
            sprites->addAt(Vector3(static_cast<float>(random() % 1000), 1.5f, -2.25f));
            sprites->object(sprites->count() - 1).angle = static_cast<float>(random() % 360);
            sprites->object(sprites->count() - 1).name = std::string(random() % 30, 'N');
        }
        const std::vector<uint8_t> first = savedBytes("first.map");

        // A second, different world loads the file and writes the same bytes.
        MyTestHost other(gl, nullptr, nullptr, 100, 3, 4);
        other.buildWorld(WorldHost::History::None);
        std::string why;
        ASSERT_TRUE(MapFile::loadWorld(path("first.map").c_str(), *other.map, *other.sprites, &why))
            << why;
        EXPECT_EQ(other.map->sectorCount(), map->sectorCount());
        ASSERT_TRUE(
            MapFile::saveWorld(path("second.map").c_str(), *other.map, *other.sprites, &why))
            << why;
        EXPECT_EQ(readFile(path("second.map")), first) << "round " << round;
    }
}

TEST_F(MapFileTest, MapAndSpriteLoadsInTurnReadTheWholeFile) {
    buildSampleWorld();
    const std::vector<uint8_t> sample = savedBytes("sample.map");
    MyTestHost other(gl, nullptr, nullptr, 100, 3, 4);
    other.buildWorld(WorldHost::History::None);
    {
        FileStream stream(path("sample.map").c_str(), "rb");
        std::string why;
        ASSERT_TRUE(other.map->load(stream, &why)) << why;
        ASSERT_TRUE(other.sprites->load(stream, &why)) << why;
    }
    EXPECT_EQ(other.map->sectorCount(), 2);
    EXPECT_EQ(usedBlocks(other.map->sector(0)), 2);
    EXPECT_EQ(other.map->sector(0)->blocks.count(), 2);  // only used blocks are read
    ASSERT_EQ(other.sprites->count(), 3);
    EXPECT_EQ(other.sprites->object(1).name, "Q");
    std::string why;
    ASSERT_TRUE(MapFile::saveWorld(path("again.map").c_str(), *other.map, *other.sprites, &why));
    EXPECT_EQ(readFile(path("again.map")), sample);
}

TEST_F(MapFileTest, AMissingFileLeavesTheWorld) {
    buildSampleWorld();
    const std::vector<uint8_t> before = savedBytes();
    std::string why;
    EXPECT_FALSE(MapFile::loadWorld(path("absent.map").c_str(), *map, *sprites, &why));
    EXPECT_EQ(why, std::strerror(ENOENT));
    EXPECT_EQ(savedBytes(), before);
}

TEST_F(MapFileTest, EveryTruncationIsRefusedAndLeavesTheWorld) {
    buildSampleWorld();
    const std::vector<uint8_t> full = savedBytes("full.map");
    // The world held while loading is a different one, so a partial load shows.
    map->sector(0)->setBlock(1, 1, 1, true);
    sprites->clearAll();
    sprites->addAt(Vector3(9, 9, 9));
    const std::vector<uint8_t> before = savedBytes();
    for (size_t length = 0; length < full.size(); ++length)
        expectLoadFails(std::vector<uint8_t>(full.begin(), full.begin() + length), before,
                        "truncated at " + std::to_string(length));
    // A byte too many is refused as well.
    std::vector<uint8_t> longer = full;
    longer.push_back(0);
    expectLoadFails(longer, before, "one byte after the sprite section");
}

TEST_F(MapFileTest, AbsurdCountsAndValuesAreRefused) {
    const std::vector<uint8_t> before = savedBytes();
    expectLoadFails(Bytes().i32(-1).i32(0).data(), before, "negative sector count");
    expectLoadFails(Bytes().i32(INT32_MAX).i32(0).data(), before, "huge sector count");
    expectLoadFails(Bytes().i32(1).sectorHeader(20, 0, 0, 0, INT32_MAX).i32(0).data(), before,
                    "huge block count");
    expectLoadFails(Bytes().i32(1).sectorHeader(20, 0, 0, 0, -3).i32(0).data(), before,
                    "negative block count");
    expectLoadFails(Bytes().i32(0).i32(INT32_MAX).data(), before, "huge sprite count");
    expectLoadFails(Bytes().i32(0).i32(-1).data(), before, "negative sprite count");
    expectLoadFails(Bytes().i32(1).sectorHeader(0, 0, 0, 0, 0).i32(0).data(), before,
                    "sector size 0");
    expectLoadFails(Bytes().i32(1).sectorHeader(2000000000, 0, 0, 0, 0).i32(0).data(), before,
                    "sector size that overflows its extent");
    expectLoadFails(Bytes().i32(1).sectorHeader(20, NAN, 0, 0, 0).i32(0).data(), before,
                    "origin not a number");
    expectLoadFails(Bytes().i32(1).sectorHeader(20, 0, 0, 0, 1).block(0, 20, 0).i32(0).data(),
                    before, "cell outside the sector");
    Bytes badRotation;
    badRotation.i32(1).sectorHeader(20, 0, 0, 0, 1).i32(0).i32(0).i32(0);
    for (int f = 0; f < 6; ++f)
        badRotation.face(100, 0, 0, f == 3 ? 4 : 0);
    expectLoadFails(badRotation.i32(0).data(), before, "rotation 4");
    Bytes badScale;
    badScale.i32(1).sectorHeader(20, 0, 0, 0, 1).i32(0).i32(0).i32(0);
    for (int f = 0; f < 6; ++f)
        badScale.face(100, 0, 0, 0, 1, f == 5 ? 0 : 1);
    expectLoadFails(badScale.i32(0).data(), before, "scale 0");
    Bytes unterminated;
    unterminated.i32(0).i32(1).i32(0).f32(0).f32(0).f32(0).f32(0).i32(0).i32(0).f32(30).u8('x');
    expectLoadFails(unterminated.data(), before, "name without its zero byte");
}

TEST_F(MapFileTest, RandomBytesAreRefused) {
    buildSampleWorld();
    const std::vector<uint8_t> before = savedBytes();
    std::mt19937 random(7);
    for (int trial = 0; trial < 20; ++trial) {
        std::vector<uint8_t> noise(1 + random() % 3000);
        for (uint8_t& b : noise)
            b = static_cast<uint8_t>(random());
        expectLoadFails(noise, before, "noise " + std::to_string(trial));
    }
}

TEST_F(MapFileTest, NamesOfAnyLengthInTheFileAreReadWhole) {
    const std::string longName(5000, 'W');
    writeFile(
        path("long.map"),
        Bytes().i32(0).i32(2).sprite(0, 1, 1, 1, longName).sprite(1, 2, 2, 2, "after").data());
    std::string why;
    ASSERT_TRUE(MapFile::loadWorld(path("long.map").c_str(), *map, *sprites, &why)) << why;
    ASSERT_EQ(sprites->count(), 2);
    EXPECT_EQ(sprites->object(0).name, longName);
    EXPECT_EQ(sprites->object(1).name, "after");
    EXPECT_EQ(sprites->object(1).position, Vector3(2, 2, 2));
    EXPECT_EQ(savedBytes(), readFile(path("long.map")));
}

TEST_F(MapFileTest, ASaveThatCannotBeWrittenReportsFailure) {
    std::string why;
    EXPECT_FALSE(
        MapFile::saveWorld(path("no-such-folder/world.map").c_str(), *map, *sprites, &why));
    // The system's words for the cause.
    EXPECT_EQ(why, std::strerror(ENOENT));

    writeFile(path("plain-file"), {1, 2, 3});
    EXPECT_FALSE(MapFile::saveWorld(path("plain-file/world.map").c_str(), *map, *sprites, &why));
    EXPECT_EQ(why, std::strerror(ENOTDIR));
    EXPECT_EQ(readFile(path("plain-file")), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(MapFileTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    writeFile(path("kept.map"), old);
    for (int i = 0; i < 200; ++i)
        map->sector(0)->setBlock(i % 20, (i / 20) % 20, 3, true);

    // Limit the size of any file this process writes, so the new world
    // (about 20 kB) cannot be written in full.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string why;
    const bool saved_ok = MapFile::saveWorld(path("kept.map").c_str(), *map, *sprites, &why);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(why, std::strerror(EFBIG));  // as a full disk would say ENOSPC
    EXPECT_EQ(readFile(path("kept.map")), old);
    // Nothing but the old file is left behind in the folder.
    EXPECT_EQ(std::system(("test $(ls -A '" + folder + "' | wc -l) -eq 1").c_str()), 0);
}

}  // namespace
