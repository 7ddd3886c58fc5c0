#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "support/GLTestFixture.h"
#include "world/LiteralBlockSearch.h"
#include "world/TestHost.h"
#include "world/TamoSector.h"

namespace {

class BlockLookupEquivalenceTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        core.reset(new MyTestHost(gl, nullptr, nullptr, 100, 3, 4));
    }
    void TearDown() override {
        core.reset();
        GLTestFixture::TearDown();
    }

    // Every cell of the sector, plus a rim of cells just outside it, answers
    // exactly as the front-to-back search does.
    void expectSameAnswers(TamoSector& sector) {
        for (int32_t x = -1; x <= sector.size; ++x)
            for (int32_t y = -1; y <= sector.size; ++y)
                for (int32_t z = -1; z <= sector.size; ++z) {
                    const int32_t expected = literal::findBlockIndex(sector.blocks, x, y, z);
                    const MapBlock* found = sector.findBlock(x, y, z);
                    const MapBlock* wanted = expected < 0 ? nullptr : &sector.blocks[expected];
                    ASSERT_EQ(found, wanted) << "cell " << x << " " << y << " " << z;
                }
    }

    std::unique_ptr<TestHost> core;
};

TEST_F(BlockLookupEquivalenceTest, RandomEditsAndPlanSortsKeepTheFirstRecordOfEachCell) {
    std::mt19937 random(17);
    for (int32_t size : {20, 7, 1}) {
        std::unique_ptr<TamoSector> sector(core->createSector({0, 0, 0}, size));
        std::uniform_int_distribution<int32_t> cell(-1, size);
        for (int32_t round = 0; round < 6; ++round) {
            for (int32_t edit = 0; edit < 300; ++edit)
                sector->setBlock(cell(random), cell(random), cell(random), random() % 3 != 0);
            if (round % 2 == 1) {
                // The plan view reorders the records by level.
                core->view3D = false;
                core->currentLevel = static_cast<int32_t>(random() % 30);
                sector->drawPlan();
                core->view3D = true;
            }
            expectSameAnswers(*sector);
        }
        // Removing and placing again reuses the record found.
        const int32_t before = sector->blocks.count();
        for (const MapBlock& b :
             std::vector<MapBlock>(sector->blocks.begin(), sector->blocks.end()))
            sector->setBlock(b.x, b.y, b.z, true);
        EXPECT_EQ(sector->blocks.count(), before);
    }
}

TEST_F(BlockLookupEquivalenceTest, FileRecordsWithRepeatedCellsFindTheEarliestRecord) {
    std::mt19937 random(5);
    TamoSectorData data;
    data.size = 5;
    data.origin = {-100.0f, 30.0f, 7.5f};
    for (int32_t i = 0; i < 400; ++i) {
        MapBlock block;
        block.x = static_cast<int32_t>(random() % 5);
        block.y = static_cast<int32_t>(random() % 5);
        block.z = static_cast<int32_t>(random() % 5);
        block.faces[0].texture = 100 + i;  // tells the records of one cell apart
        block.used = true;
        data.blocks.push_back(block);
    }
    std::unique_ptr<TamoSector> sector(core->createSectorFromData(data));
    ASSERT_NE(sector, nullptr);
    expectSameAnswers(*sector);
    // Removing through the first record leaves the later ones of that cell
    // unreachable, as with the plain search.
    for (int32_t i = 0; i < 60; ++i)
        sector->setBlock(static_cast<int32_t>(random() % 5), static_cast<int32_t>(random() % 5),
                         static_cast<int32_t>(random() % 5), false);
    expectSameAnswers(*sector);
    core->view3D = false;
    sector->drawPlan();
    expectSameAnswers(*sector);
}

}  // namespace
