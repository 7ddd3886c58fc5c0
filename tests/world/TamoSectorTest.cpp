#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/FakeTicks.h"
#include "support/FileBytes.h"
#include "support/GLTestFixture.h"
#include "media/FileStream.h"
#include "platform/GLContext.h"
#include "platform/SystemClock.h"
#include "world/MyTamoSector.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TamoSector.h"
#include "world/TestHost.h"

namespace {

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "geom_" + name;
}

void putI32(std::vector<uint8_t>& out, int32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

void putF32(std::vector<uint8_t>& out, float v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

int32_t i32At(const std::vector<uint8_t>& bytes, size_t offset) {
    int32_t v = 0;
    std::memcpy(&v, &bytes[offset], 4);
    return v;
}

float f32At(const std::vector<uint8_t>& bytes, size_t offset) {
    float v = 0;
    std::memcpy(&v, &bytes[offset], 4);
    return v;
}

// A sector record written by hand: size, origin, then blocks of one material.
std::vector<uint8_t> sectorRecord(int32_t size, Vector3 origin,
                                  const std::vector<std::array<int32_t, 3>>& cells,
                                  int32_t countField = -1) {
    std::vector<uint8_t> out;
    putI32(out, size);
    putF32(out, origin.x);
    putF32(out, origin.y);
    putF32(out, origin.z);
    putI32(out, countField >= 0 ? countField : static_cast<int32_t>(cells.size()));
    for (const auto& cell : cells) {
        for (int32_t index : cell)
            putI32(out, index);
        for (int face = 0; face < 6; ++face) {
            putI32(out, 100 + face);
            putI32(out, -face);
            putI32(out, face * 2);
            out.push_back(static_cast<uint8_t>(face % 4));
            out.push_back(1);
            out.push_back(static_cast<uint8_t>(1 + face));
        }
    }
    return out;
}

class SectorTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        fakeNow = 9000;
        setTickSource(fakeTicks);
        core.reset(new MyTestHost(gl, nullptr, nullptr, 100, 3, 4));
    }
    void TearDown() override {
        sectors.clear();
        core.reset();
        setTickSource(nullptr);
        GLTestFixture::TearDown();
    }

    TamoSector* makeSector(Vector3 origin = {0, 0, 0}) {
        sectors.emplace_back(core->createSector(origin, 20));
        return sectors.back().get();
    }

    // A plain texture of one colour under id.
    void solidTexture(int32_t id, uint8_t r, uint8_t g, uint8_t b, int32_t size = 8) {
        std::vector<uint8_t> rgba;
        for (int32_t i = 0; i < size * size; ++i)
            rgba.insert(rgba.end(), {r, g, b, 255});
        ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), size, size, id, 0));
    }

    std::unique_ptr<TestHost> core;
    std::vector<std::unique_ptr<TamoSector>> sectors;
};

TEST_F(SectorTest, RemovedRecordsAreReusedAndPlacingRepaints) {
    TamoSector* sector = makeSector();
    EXPECT_TRUE(sector->setBlock(1, 2, 3, true));
    EXPECT_TRUE(sector->setBlock(1, 2, 3, false));
    ASSERT_EQ(sector->blocks.count(), 1);
    EXPECT_FALSE(sector->blocks[0].used);
    core->material = FaceMaterial{105, 2, 3, 1, 2, 4};
    EXPECT_TRUE(sector->setBlock(1, 2, 3, true));
    EXPECT_EQ(sector->blocks.count(), 1);
    EXPECT_TRUE(sector->blocks[0].used);
    for (const FaceMaterial& face : sector->blocks[0].faces)
        EXPECT_EQ(face, core->material);

    core->material = FaceMaterial{107, 0, 0, 0, 1, 1};
    sector->setBlock(1, 2, 3, true);  // a used cell: all six faces repainted
    EXPECT_EQ(sector->blocks.count(), 1);
    for (const FaceMaterial& face : sector->blocks[0].faces)
        EXPECT_EQ(face.texture, 107);
}

TEST_F(SectorTest, EditsMarkTheSectorOnlyInsideIt) {
    TamoSector* sector = makeSector();
    sector->rebuild();
    EXPECT_FALSE(sector->needsRebuild);
    EXPECT_TRUE(sector->setBlock(5, 5, 5, false));  // empty cell
    EXPECT_TRUE(sector->needsRebuild);
    EXPECT_EQ(sector->blocks.count(), 0);

    sector->rebuild();
    EXPECT_FALSE(sector->setBlock(20, 0, 0, true));
    EXPECT_FALSE(sector->setBlock(0, -1, 0, true));
    EXPECT_FALSE(sector->needsRebuild);
    EXPECT_EQ(sector->blocks.count(), 0);
}

TEST_F(SectorTest, FarFacesBelongToTheBoxButToNoCell) {
    TamoSector* sector = makeSector({40000, 60000, 40000});
    sector->setBlock(19, 0, 0, true);
    sector->rebuild();
    const Vector3 farFace(40200, 60010, 40005);
    EXPECT_TRUE(sector->containsPoint(farFace));
    EXPECT_FALSE(sector->hasBlockAt(farFace));
    sector->setBlockAt(farFace, true);
    EXPECT_EQ(sector->blocks.count(), 1);
    EXPECT_FALSE(sector->needsRebuild);
    EXPECT_TRUE(sector->hasBlockAt({40199.9f, 60010, 40005}));
    EXPECT_TRUE(sector->containsPoint({40000, 60000, 40000}));
    EXPECT_FALSE(sector->containsPoint({39999.9f, 60010, 40005}));
    EXPECT_FALSE(sector->containsPoint({40100, 60300.5f, 40005}));

    int32_t x = 7, y = 7, z = 7;
    EXPECT_FALSE(sector->cellOf({1e30f, 60010, 40005}, x, y, z));
    EXPECT_FALSE(sector->cellOf({std::nanf(""), 60010, 40005}, x, y, z));
    EXPECT_FALSE(sector->cellOf({-1e30f, 60010, 40005}, x, y, z));
    EXPECT_TRUE(sector->cellOf({40015, 60044.9f, 40199}, x, y, z));
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 2);
    EXPECT_EQ(z, 19);
}

TEST_F(SectorTest, NearestFacePrefersTheLowestFaceOnTies) {
    TamoSector* sector = makeSector({100, 0, 200});
    sector->setBlock(2, 1, 3, true);
    MapBlock* block = nullptr;
    int32_t face = -1;
    // The exact centre: four sides at 5 units, bottom and top at 7.5.
    ASSERT_TRUE(sector->nearestFace({125, 22.5f, 235}, block, face));
    EXPECT_EQ(face, 2);
    EXPECT_EQ(block, &sector->blocks[0]);
    ASSERT_TRUE(sector->nearestFace({125, 29, 235}, block, face));
    EXPECT_EQ(face, 1);
    ASSERT_TRUE(sector->nearestFace({125, 16, 235}, block, face));
    EXPECT_EQ(face, 0);
    ASSERT_TRUE(sector->nearestFace({129.9f, 22.5f, 235}, block, face));
    EXPECT_EQ(face, 3);
    ASSERT_TRUE(sector->nearestFace({125, 22.5f, 230.5f}, block, face));
    EXPECT_EQ(face, 4);
    ASSERT_TRUE(sector->nearestFace({125, 22.5f, 239}, block, face));
    EXPECT_EQ(face, 5);

    sector->setBlock(2, 1, 3, false);
    EXPECT_FALSE(sector->nearestFace({125, 22.5f, 235}, block, face));
    EXPECT_FALSE(sector->nearestFace({135, 22.5f, 235}, block, face));
}

TEST_F(SectorTest, PaintingTheSameMaterialKeepsAPendingRebuild) {
    TamoSector* sector = makeSector();
    sector->setBlock(0, 0, 0, true);
    ASSERT_TRUE(sector->needsRebuild);
    sector->paintFaceAt({5, 14, 5});  // top, already the current material
    EXPECT_TRUE(sector->needsRebuild) << "an earlier edit still has to be compiled";

    sector->rebuild();
    sector->paintFaceAt({5, 14, 5});
    EXPECT_FALSE(sector->needsRebuild);

    core->material.rotation = 3;
    sector->paintFaceAt({5, 14, 5});
    EXPECT_TRUE(sector->needsRebuild);
    EXPECT_EQ(sector->blocks[0].faces[FaceTop].rotation, 3);
    EXPECT_EQ(sector->blocks[0].faces[FaceBottom].rotation, 0);
}

TEST_F(SectorTest, PickingCopiesTheFaceAndShowsIt) {
    TamoSector* sector = makeSector();
    core->material = FaceMaterial{104, -2, 5, 2, 3, 1};
    sector->setBlock(0, 0, 0, true);
    core->material = FaceMaterial{100, 0, 0, 0, 1, 1};
    fakeNow = 12345;
    sector->pickMaterialAt({1, 7.5f, 5});
    EXPECT_EQ(core->material, (FaceMaterial{104, -2, 5, 2, 3, 1}));
    EXPECT_EQ(core->materialShownAt, 12345);

    fakeNow = 20000;
    sector->pickMaterialAt({15, 7.5f, 5});  // empty cell: nothing happens
    EXPECT_EQ(core->materialShownAt, 12345);
}

TEST_F(SectorTest, BuildingBlocksGetTheirRoofAtTheNextRebuild) {
    TamoSector* sector = makeSector();
    core->material.texture = 104;
    sector->setBlock(0, 0, 0, true);
    core->material.texture = 100;
    sector->setBlock(1, 0, 0, true);
    MapBlock* mixed = nullptr;
    sector->setBlock(2, 0, 0, true);
    mixed = sector->findBlock(2, 0, 0);
    ASSERT_NE(mixed, nullptr);
    mixed->faces[3].texture = 101;
    mixed->faces[4].texture = 105;
    EXPECT_EQ(sector->blocks[0].faces[FaceTop].texture, 104);

    sector->rebuild();
    const MapBlock* building = sector->findBlock(0, 0, 0);
    EXPECT_EQ(building->faces[FaceBottom].texture, 110);
    EXPECT_EQ(building->faces[FaceTop].texture, 110);
    EXPECT_EQ(building->faces[FaceLeftX].texture, 104);
    EXPECT_EQ(sector->findBlock(1, 0, 0)->faces[FaceTop].texture, 100);
    mixed = sector->findBlock(2, 0, 0);
    EXPECT_EQ(mixed->faces[FaceTop].texture, 107);
    EXPECT_EQ(mixed->faces[FaceBottom].texture, 107);

    // The base sector has no roof rule.
    TestHost plainCore(gl, nullptr, nullptr, 100, 3, 4);
    std::unique_ptr<TamoSector> plain(plainCore.createSector({0, 0, 0}, 20));
    plainCore.material.texture = 104;
    plain->setBlock(0, 0, 0, true);
    plain->rebuild();
    EXPECT_EQ(plain->blocks[0].faces[FaceTop].texture, 104);
}

TEST_F(SectorTest, PlanShowsCellsUpToTheCurrentLevelTintedByTheirBottomTexture) {
    solidTexture(3, 255, 255, 255, 8);
    solidTexture(4, 128, 128, 128, 16);
    core->addTextureColour(100, 255, 0, 0);
    core->addTextureColour(101, 0, 255, 0);
    core->view3D = false;
    core->currentLevel = 1;
    TamoSector* sector = makeSector();
    auto place = [&](int32_t x, int32_t y, int32_t z, int32_t texture) {
        core->material.texture = texture;
        sector->setBlock(x, y, z, true);
    };
    place(2, 2, 0, 101);  // above the current level: not drawn
    place(0, 0, 0, 100);  // below: other-level tile
    place(1, 1, 0, 101);  // at the level: current tile
    place(3, 1, 0, 101);  // covers the block below it
    place(3, 0, 0, 100);
    place(4, 1, 0, 150);  // no colour recorded for 150
    place(5, 0, 2, 100);
    sector->setBlock(5, 0, 2, false);  // removed: not drawn
    glClearColor(0, 0, 0, 1);
    gl->clear();
    const auto levels = [&] {
        std::vector<int32_t> y;
        for (const MapBlock& block : sector->blocks)
            y.push_back(block.y);
        return y;
    };
    const std::vector<int32_t> levelsBefore = levels();
    const uint64_t stampBefore = sector->recordsStamp();
    sector->drawSector();

    auto at = [](int32_t x, int32_t z) { return readPixel(x * 16 + 8, z * 16 + 8); };
    const Pixel below = at(0, 0);
    EXPECT_NEAR(below.r, 128, 2);
    EXPECT_EQ(below.g, 0);
    const Pixel current = at(1, 0);
    EXPECT_EQ(current.r, 0);
    EXPECT_EQ(current.g, 255);
    EXPECT_EQ(at(2, 0).g, 0) << "a block above the current level is not drawn";
    EXPECT_EQ(at(3, 0).g, 255);
    EXPECT_EQ(at(3, 0).r, 0);
    const Pixel grey = at(4, 0);
    EXPECT_NEAR(grey.r, 128, 2);
    EXPECT_NEAR(grey.g, 128, 2);
    EXPECT_NEAR(grey.b, 128, 2);
    EXPECT_EQ(at(5, 2).r, 0);
    // Cells are 16 pixels: the neighbour row is background.
    EXPECT_EQ(readPixel(8, 16 + 8).r, 0);
    GLfloat colour[4] = {0, 0, 0, 0};
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[1], 1.0f);

    // Drawn in level order, the records kept theirs: drawing changes nothing saved.
    EXPECT_EQ(levels(), levelsBefore);
    EXPECT_EQ(sector->recordsStamp(), stampBefore);
}

TEST_F(SectorTest, PlanFollowsScrollAndSectorOrigin) {
    solidTexture(3, 255, 255, 255);
    core->addTextureColour(100, 0, 0, 255);
    core->view3D = false;
    core->currentLevel = 100;  // world level of cell y 0 of a sector at y 1500
    TamoSector* sector = makeSector({200, 1500, -100});
    sector->setBlock(0, 0, 0, true);
    sector->setBlock(0, 1, 1, true);  // above the level
    core->planScrollX = 300;          // sector origin x 200 is plan cell 20: 320 pixels
    core->planScrollY = -200;         // origin z -100 is cell -10: -160 pixels
    gl->clear();
    sector->drawPlan();
    EXPECT_EQ(readPixel(20 + 8, 40 + 8).b, 255);
    EXPECT_EQ(readPixel(20 + 8, 56 + 8).b, 0);
    EXPECT_EQ(readPixel(4, 40 + 8).b, 0);
}

TEST_F(SectorTest, SaveWritesUsedBlocksInRecordLayout) {
    TamoSector* sector = makeSector({40000, 60000, -200});
    core->material = FaceMaterial{103, -1, 7, 3, 2, 5};
    sector->setBlock(4, 5, 6, true);
    sector->setBlock(1, 1, 1, true);
    sector->setBlock(1, 1, 1, false);
    sector->setBlock(19, 0, 19, true);
    const std::string path = tempPath("save.bin");
    {
        FileStream out(path.c_str(), "wb");
        EXPECT_TRUE(sector->saveSector(out));
    }
    const std::vector<uint8_t> bytes = readFileBytes(path);
    ASSERT_EQ(bytes.size(), 20u + 2 * 102u);
    EXPECT_EQ(i32At(bytes, 0), 20);
    EXPECT_EQ(f32At(bytes, 4), 40000.0f);
    EXPECT_EQ(f32At(bytes, 8), 60000.0f);
    EXPECT_EQ(f32At(bytes, 12), -200.0f);
    EXPECT_EQ(i32At(bytes, 16), 2);
    EXPECT_EQ(i32At(bytes, 20), 4);
    EXPECT_EQ(i32At(bytes, 24), 5);
    EXPECT_EQ(i32At(bytes, 28), 6);
    for (int face = 0; face < 6; ++face) {
        const size_t f = 32 + static_cast<size_t>(face) * 15;
        EXPECT_EQ(i32At(bytes, f), 103);
        EXPECT_EQ(i32At(bytes, f + 4), -1);
        EXPECT_EQ(i32At(bytes, f + 8), 7);
        EXPECT_EQ(bytes[f + 12], 3);
        EXPECT_EQ(bytes[f + 13], 2);
        EXPECT_EQ(bytes[f + 14], 5);
    }
    EXPECT_EQ(i32At(bytes, 122), 19);
    EXPECT_EQ(i32At(bytes, 130), 19);

    FileStream failed((tempPath("no/such/folder") + "/x.bin").c_str(), "wb");
    EXPECT_FALSE(sector->saveSector(failed));
}

TEST_F(SectorTest, ReadingBackGivesTheSameBytes) {
    const std::vector<uint8_t> record =
        sectorRecord(20, {-200, 300, 4000}, {{0, 0, 0}, {19, 19, 19}, {3, 4, 5}});
    const std::string path = tempPath("round.bin");
    std::vector<uint8_t> withTail = record;
    withTail.insert(withTail.end(), {9, 9, 9});
    writeFileBytes(path, withTail);
    std::unique_ptr<TamoSector> loaded;
    {
        FileStream in(path.c_str(), "rb");
        loaded.reset(core->readSector(in));
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(in.position(), static_cast<int64_t>(record.size()));
    }
    EXPECT_EQ(loaded->size, 20);
    EXPECT_EQ(loaded->origin, Vector3(-200, 300, 4000));
    ASSERT_EQ(loaded->blocks.count(), 3);
    EXPECT_TRUE(loaded->blocks[1].used);
    EXPECT_EQ(loaded->blocks[2].faces[5], (FaceMaterial{105, -5, 10, 1, 1, 6}));
    EXPECT_FALSE(loaded->needsRebuild);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(loaded->displayList)));

    const std::string again = tempPath("round2.bin");
    {
        FileStream out(again.c_str(), "wb");
        EXPECT_TRUE(loaded->saveSector(out));
    }
    EXPECT_EQ(readFileBytes(again), record);
}

TEST_F(SectorTest, ShortOrAbsurdRecordsAreRefusedWithoutASector) {
    const std::vector<uint8_t> good = sectorRecord(20, {0, 0, 0}, {{1, 2, 3}, {4, 5, 6}});
    const std::string path = tempPath("bad.bin");
    auto refused = [&](const std::vector<uint8_t>& bytes) {
        writeFileBytes(path, bytes);
        FileStream in(path.c_str(), "rb");
        TamoSectorData data;
        data.size = 77;
        const bool read = MapFormat::readSector(in, &data);
        if (!read) {
            EXPECT_EQ(data.size, 77) << "a refused record must leave the output alone";
        }
        FileStream again(path.c_str(), "rb");
        std::unique_ptr<TamoSector> sector(core->readSector(again));
        EXPECT_EQ(read, sector != nullptr);
        return !read;
    };
    EXPECT_FALSE(refused(good));
    for (size_t cut = 0; cut < good.size(); ++cut)
        EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.begin() + cut)))
            << "cut at " << cut;

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(refused(sectorRecord(0, {0, 0, 0}, {})));
    EXPECT_TRUE(refused(sectorRecord(-20, {0, 0, 0}, {})));
    EXPECT_TRUE(refused(sectorRecord(TamoSector::MaxSize + 1, {0, 0, 0}, {})));
    EXPECT_FALSE(refused(sectorRecord(TamoSector::MaxSize, {0, 0, 0}, {})));
    EXPECT_TRUE(refused(sectorRecord(20, {nan, 0, 0}, {})));
    EXPECT_TRUE(refused(sectorRecord(20, {0, inf, 0}, {})));
    EXPECT_TRUE(refused(sectorRecord(20, {0, 0, 0}, {}, 0x7fffffff)));
    EXPECT_TRUE(refused(sectorRecord(20, {0, 0, 0}, {{1, 1, 1}}, 5)));
    // More blocks than the sector has cells, even with the bytes present.
    EXPECT_TRUE(refused(sectorRecord(1, {0, 0, 0}, {{0, 0, 0}, {0, 0, 0}})));
    EXPECT_TRUE(refused(sectorRecord(20, {0, 0, 0}, {{20, 0, 0}})));
    EXPECT_TRUE(refused(sectorRecord(20, {0, 0, 0}, {{0, -1, 0}})));

    std::vector<uint8_t> negativeCount = good;
    std::memset(&negativeCount[16], 0xff, 4);
    EXPECT_TRUE(refused(negativeCount));
    std::vector<uint8_t> badRotation = good;
    badRotation[20 + 12 + 12] = 4;
    EXPECT_TRUE(refused(badRotation));
    std::vector<uint8_t> zeroScale = good;
    zeroScale[20 + 12 + 15 + 13] = 0;
    EXPECT_TRUE(refused(zeroScale));
    // -1 is a mirrored scale; -128 is none (its size would not fit).
    std::vector<uint8_t> mirroredScale = good;
    mirroredScale[20 + 102 + 12 + 14] = 0xff;
    EXPECT_FALSE(refused(mirroredScale));
    std::vector<uint8_t> lowestByteScale = good;
    lowestByteScale[20 + 102 + 12 + 14] = 0x80;
    EXPECT_TRUE(refused(lowestByteScale));

    FileStream missing(tempPath("missing/none.bin").c_str(), "rb");
    EXPECT_EQ(core->readSector(missing), nullptr);
}

// A quad table that runs out of room after a number of faces.
class ShortOfMemoryTable : public OptimizedQuadHashTable {
public:
    ShortOfMemoryTable(TestHost* core, int32_t room)
            : OptimizedQuadHashTable(core->blockWidth, core->blockHeight, nullptr,
                                     Shortcuts::none()),
              room(room) {}
    bool addFace(const Vector3& p1, const Vector3& p2, int32_t orientation, int32_t texture,
                 int32_t offsetU, int32_t offsetV, int32_t rotation, int32_t scaleU,
                 int32_t scaleV) override {
        if (room <= 0)
            return false;
        --room;
        return OptimizedQuadHashTable::addFace(p1, p2, orientation, texture, offsetU, offsetV,
                                               rotation, scaleU, scaleV);
    }
    int32_t room;
};

class ShortOfMemoryCore : public TestHost {
public:
    using TestHost::TestHost;
    OptimizedQuadHashTable* createQuadTable() override { return new ShortOfMemoryTable(this, 8); }
};

TEST_F(SectorTest, AnIncompleteRebuildIsTriedAgain) {
    ShortOfMemoryCore shortCore(gl, nullptr, nullptr, 100, 3, 4);
    TamoSector sector({0, 0, 0}, 20, &shortCore);
    EXPECT_FALSE(sector.needsRebuild);
    sector.setBlock(0, 0, 0, true);
    sector.setBlock(2, 0, 0, true);
    sector.rebuild();
    EXPECT_TRUE(sector.needsRebuild) << "two of twelve faces did not fit";
    EXPECT_EQ(sector.quadTable->liveQuads().size(), 8u);

    static_cast<ShortOfMemoryTable*>(sector.quadTable.get())->room = 100;
    sector.rebuild();
    EXPECT_FALSE(sector.needsRebuild);
}

class SectorPictureTest : public SectorTest {
protected:
    void look(Vector3 eye, Vector3 direction) {
        gl->eye = eye;
        gl->direction = direction;
        gl->up = {0, 1, 0};
        gl->applyProjection();
        gl->applyCamera();
        glClearColor(0, 0, 0, 1);
        gl->clear();
        glColor4f(1, 1, 1, 1);
    }
};

TEST_F(SectorPictureTest, ABlockIsSeenFromOutsideOnly) {
    solidTexture(100, 0, 0, 255);
    TamoSector* sector = makeSector({0, 0, 0});
    sector->setBlock(0, 0, 0, true);

    look({-30, 7.5f, 5}, {1, 0, 0});
    sector->drawSector();
    Pixel centre = readPixel(320, 240);
    EXPECT_EQ(centre.b, 255);
    EXPECT_EQ(centre.r, 0);
    EXPECT_EQ(readPixel(5, 5).b, 0) << "the block covers only the middle of the view";

    look({5, 7.5f, 5}, {1, 0, 0});  // inside the block
    sector->drawSector();
    EXPECT_EQ(readPixel(320, 240).b, 0);

    look({-30, 7.5f, 5}, {1, 0, 0});
    sector->setBlock(0, 0, 0, false);
    sector->drawSector();
    EXPECT_EQ(readPixel(320, 240).b, 0) << "a removed block disappears at the next draw";
}

TEST_F(SectorPictureTest, WallsBetweenEqualBlocksAreGoneAndBetweenUnequalOnesStay) {
    solidTexture(100, 0, 0, 255);
    solidTexture(101, 0, 255, 0);
    TamoSector* sector = makeSector({0, 0, 0});
    sector->setBlock(0, 0, 0, true);
    sector->setBlock(1, 0, 0, true);
    look({3, 7.5f, 5}, {1, 0, 0});  // inside the first block, looking at the second
    sector->drawSector();
    EXPECT_EQ(readPixel(320, 240).b, 0);

    core->material.texture = 101;
    sector->setBlock(1, 0, 0, true);
    sector->drawSector();
    const Pixel wall = readPixel(320, 240);
    EXPECT_EQ(wall.g, 255) << "the other block's wall faces into this one";
    EXPECT_EQ(wall.b, 0);
}

TEST_F(SectorPictureTest, SectorsDrawAtTheirOrigin) {
    solidTexture(100, 255, 0, 0);
    TamoSector* sector = makeSector({1000, 2000, 3000});
    sector->setBlock(0, 0, 0, true);
    look({970, 2007.5f, 3005}, {1, 0, 0});
    sector->drawSector();
    EXPECT_EQ(readPixel(320, 240).r, 255);
    look({-30, 7.5f, 5}, {1, 0, 0});
    sector->drawSector();
    EXPECT_EQ(readPixel(320, 240).r, 0);
}

}  // namespace
