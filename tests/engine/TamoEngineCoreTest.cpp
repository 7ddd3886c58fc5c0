#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>
#include <vector>

#include "support/FakeTicks.h"
#include "support/GLTestFixture.h"
#include "engine/MyTamoEngineCore.h"
#include "engine/TamoEngineCore.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"
#include "platform/SystemClock.h"
#include "world/MyOptimizedQuadHashTable.h"
#include "world/MyTamoSector.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TamoSector.h"

namespace {

class EngineCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 5000;
        setTickSource(fakeTicks);
    }
    void TearDown() override { setTickSource(nullptr); }

    TamoEngineCore core{nullptr, nullptr, nullptr, 100, 3, 4};
};

TEST_F(EngineCoreTest, StartsWithTheDocumentedState) {
    EXPECT_TRUE(core.view3D);
    EXPECT_EQ(core.editMode, 0);
    EXPECT_EQ(core.material, (FaceMaterial{100, 0, 0, 0, 1, 1}));
    EXPECT_EQ(core.currentLevel, 0);
    EXPECT_EQ(core.planScrollX, 0.0f);
    EXPECT_EQ(core.planScrollY, 0.0f);
    EXPECT_EQ(core.spriteType, 0);
    EXPECT_EQ(core.materialShownAt, 0);
    EXPECT_EQ(core.modeShownAt, 0);
    EXPECT_EQ(core.planCellSize, 16);
    EXPECT_EQ(core.blockWidth, 10);
    EXPECT_EQ(core.blockHeight, 15);
    EXPECT_EQ(core.planTileCurrent, 3);
    EXPECT_EQ(core.planTileOther, 4);
    EXPECT_EQ(core.map, nullptr);
    EXPECT_EQ(core.sprites, nullptr);
    EXPECT_EQ(core.avatar, nullptr);
}

TEST_F(EngineCoreTest, StepTextureWrapsAtBothEnds) {
    core.textureCount = 12;
    core.stepTexture(-1);
    EXPECT_EQ(core.material.texture, 111);
    EXPECT_EQ(core.materialShownAt, 5000);
    core.stepTexture(1);
    EXPECT_EQ(core.material.texture, 100);
    core.stepTexture(1);
    EXPECT_EQ(core.material.texture, 101);
    for (int i = 0; i < 12; ++i)
        core.stepTexture(-1);
    EXPECT_EQ(core.material.texture, 101);
}

TEST_F(EngineCoreTest, StepTextureWithoutLoadedTexturesKeepsTheTexture) {
    core.stepTexture(-1);
    EXPECT_EQ(core.material.texture, 100);
    core.stepTexture(1);
    EXPECT_EQ(core.material.texture, 100);
}

TEST_F(EngineCoreTest, RotationCyclesAndStampsEveryTurn) {
    core.material.rotation = 2;
    for (uint32_t turn = 1; turn <= 4; ++turn) {
        fakeNow = 6000 + turn;
        core.rotateMaterial();
        EXPECT_EQ(core.materialShownAt, static_cast<int32_t>(6000 + turn));
    }
    EXPECT_EQ(core.material.rotation, 2);
    core.rotateMaterial();
    core.rotateMaterial();
    EXPECT_EQ(core.material.rotation, 0);
}

TEST_F(EngineCoreTest, ScaleStaysAtLeastOneInItsSignedByte) {
    core.changeScale(-1, false);
    EXPECT_EQ(core.material.scaleV, 1);
    EXPECT_EQ(core.materialShownAt, 5000);
    core.material.scaleU = 127;
    core.changeScale(1, true);
    EXPECT_EQ(core.material.scaleU, 1);
    core.changeScale(1, true);
    core.changeScale(1, true);
    EXPECT_EQ(core.material.scaleU, 3);
    EXPECT_EQ(core.material.scaleV, 1);
    core.material.scaleV = 126;
    core.changeScale(1, false);
    EXPECT_EQ(core.material.scaleV, 127);
}

// A mirrored (negative) scale keeps its sign on both buttons, its size
// following the rule of plain ones, and never becomes 0 or leaves -127 to -1;
// every scale there is, both ways.
TEST_F(EngineCoreTest, MirroredScaleKeepsItsSignAndChangesItsSize) {
    for (int32_t scale = -127; scale <= 127; ++scale) {
        if (scale == 0)
            continue;
        for (const int32_t delta : {1, -1}) {
            core.material.scaleU = static_cast<int8_t>(scale);
            core.changeScale(delta, true);
            int32_t size = std::abs(scale) + delta;
            if (size > 127 || size < 1)
                size = 1;
            EXPECT_EQ(core.material.scaleU, scale < 0 ? -size : size)
                << "scale " << scale << " delta " << delta;
        }
    }
    EXPECT_EQ(core.material.scaleV, 1);
}

TEST_F(EngineCoreTest, OffsetsTakeAnySignAndTouchTheMaterial) {
    core.changeOffset(-1, true);
    core.changeOffset(-1, true);
    core.changeOffset(3, false);
    EXPECT_EQ(core.material.offsetU, -2);
    EXPECT_EQ(core.material.offsetV, 3);
    EXPECT_EQ(core.materialShownAt, 5000);
}

// A picked face of a loaded file can carry any 32-bit texture id and offset.
TEST_F(EngineCoreTest, TextureAndOffsetStepsAtTheInt32LimitsDoNotOverflow) {
    core.textureCount = 12;
    core.material.texture = INT32_MAX;
    core.stepTexture(1);
    EXPECT_EQ(core.material.texture, 100);
    core.material.texture = INT32_MIN;
    core.stepTexture(-1);
    EXPECT_EQ(core.material.texture, 111);
    core.material.offsetU = INT32_MAX;
    core.material.offsetV = INT32_MIN;
    core.changeOffset(1, true);
    core.changeOffset(-1, false);
    EXPECT_EQ(core.material.offsetU, INT32_MAX);
    EXPECT_EQ(core.material.offsetV, INT32_MIN);
    core.changeOffset(-1, true);
    core.changeOffset(1, false);
    EXPECT_EQ(core.material.offsetU, INT32_MAX - 1);
    EXPECT_EQ(core.material.offsetV, INT32_MIN + 1);
}

TEST_F(EngineCoreTest, TogglesReturnAndStampTheMode) {
    core.toggleEditMode();
    EXPECT_EQ(core.editMode, 1);
    EXPECT_EQ(core.modeShownAt, 5000);
    fakeNow = 7000;
    core.toggleEditMode();
    EXPECT_EQ(core.editMode, 0);
    EXPECT_EQ(core.modeShownAt, 7000);
    EXPECT_EQ(core.materialShownAt, 0);
    core.toggleView();
    EXPECT_FALSE(core.view3D);
    core.toggleView();
    EXPECT_TRUE(core.view3D);
    core.levelUp();
    core.levelUp();
    core.levelDown();
    EXPECT_EQ(core.currentLevel, 1);
}

TEST_F(EngineCoreTest, TextureColourLookupFindsTheFirstEntry) {
    EXPECT_TRUE(core.addTextureColour(105, 1, 2, 3));
    EXPECT_TRUE(core.addTextureColour(106, 7, 8, 9));
    EXPECT_TRUE(core.addTextureColour(105, 4, 5, 6));
    int32_t r = -1, g = -1, b = -1;
    EXPECT_TRUE(core.getTextureColour(105, r, g, b));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(g, 2);
    EXPECT_EQ(b, 3);
    EXPECT_TRUE(core.getTextureColour(106, r, g, b));
    EXPECT_EQ(b, 9);
    r = g = b = 42;
    EXPECT_FALSE(core.getTextureColour(107, r, g, b));
    EXPECT_EQ(r, 42);
    EXPECT_EQ(g, 42);
    EXPECT_EQ(b, 42);
}

TEST_F(EngineCoreTest, SpriteTypeWithoutGroupsStaysZero) {
    core.stepSpriteType(-1);
    EXPECT_EQ(core.spriteType, 0);
    core.stepSpriteType(1);
    EXPECT_EQ(core.spriteType, 0);
    EXPECT_EQ(core.materialShownAt, 0);
}

class EngineCoreGLTest : public GLTestFixture {};

// A sheet of three one-frame groups side by side.
std::vector<uint8_t> threeGroupSheet() {
    const int32_t w = 12, h = 4;
    std::vector<uint8_t> rgb(static_cast<size_t>(w * h * 3), 200);
    auto put = [&](int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &rgb[static_cast<size_t>((y * w + x) * 3)];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    };
    for (int32_t frame = 0; frame < 3; ++frame) {
        put(frame * 4, 0, 239, 79, 100);
        put(frame * 4 + 3, 0, 79, 239, 239);
        put(frame * 4 + 3, 3, 79, 239, 239);
    }
    return rgb;
}

TEST_F(EngineCoreGLTest, SpriteTypeWrapsThroughTheSheetGroups) {
    const std::vector<uint8_t> rgb = threeGroupSheet();
    SpriteSheet sheet(gl, rgb.data(), 12, 4, 5, 0);
    ASSERT_EQ(sheet.groupCount(), 3);
    TamoEngineCore core(gl, &sheet, nullptr, 100, 3, 4);
    core.stepSpriteType(-1);
    EXPECT_EQ(core.spriteType, 2);
    core.stepSpriteType(1);
    EXPECT_EQ(core.spriteType, 0);
    core.stepSpriteType(1);
    core.stepSpriteType(1);
    EXPECT_EQ(core.spriteType, 2);
    core.stepSpriteType(1);
    EXPECT_EQ(core.spriteType, 0);
}

TEST_F(EngineCoreGLTest, CentringPutsTheCameraCellMidScreen) {
    TamoEngineCore core(gl, nullptr, nullptr, 100, 3, 4);
    gl->eye = Vector3(40000, 60000, 40000);
    core.centrePlanView();
    EXPECT_EQ(core.planScrollX, 63680.0f);
    EXPECT_EQ(core.planScrollY, 63760.0f);
    EXPECT_EQ(core.currentLevel, 4000);

    gl->eye = Vector3(40005, 60029.9f, 39995);
    core.centrePlanView();
    EXPECT_EQ(core.planScrollX, 63680.0f);
    EXPECT_EQ(core.planScrollY, 63744.0f);
    EXPECT_EQ(core.currentLevel, 4001);

    // Below and left of the world origin the cells round down, not to zero.
    gl->eye = Vector3(-5, -1, -15);
    core.centrePlanView();
    EXPECT_EQ(core.planScrollX, -16.0f - 320.0f);
    EXPECT_EQ(core.planScrollY, -32.0f - 240.0f);
    EXPECT_EQ(core.currentLevel, -1);
}

// The dynamic type of an object. Kept out of typeid itself, where clang
// warns that a smart pointer's dereference, a call, will be evaluated.
template <class T>
const std::type_info& dynamicType(const T& object) {
    return typeid(object);
}

TEST_F(EngineCoreGLTest, FactoriesChooseTheConcreteWorldClasses) {
    MyTamoEngineCore mine(gl, nullptr, nullptr, 100, 3, 4);
    TamoEngineCore plain(gl, nullptr, nullptr, 100, 3, 4);

    std::unique_ptr<OptimizedQuadHashTable> myTable(mine.createQuadTable());
    std::unique_ptr<OptimizedQuadHashTable> plainTable(plain.createQuadTable());
    EXPECT_EQ(dynamicType(*myTable), typeid(MyOptimizedQuadHashTable));
    EXPECT_EQ(dynamicType(*plainTable), typeid(OptimizedQuadHashTable));

    std::unique_ptr<TamoSector> mySector(mine.createSector({0, 0, 0}, 20));
    std::unique_ptr<TamoSector> plainSector(plain.createSector({0, 0, 0}, 20));
    EXPECT_EQ(dynamicType(*mySector), typeid(MyTamoSector));
    EXPECT_EQ(dynamicType(*mySector->quadTable), typeid(MyOptimizedQuadHashTable));
    EXPECT_EQ(dynamicType(*plainSector), typeid(TamoSector));
    EXPECT_EQ(dynamicType(*plainSector->quadTable), typeid(OptimizedQuadHashTable));
    EXPECT_EQ(mySector->size, 20);
    EXPECT_NE(mySector->displayList, plainSector->displayList);

    TamoSectorData data;
    data.size = 20;
    data.blocks.resize(1);
    std::unique_ptr<TamoSector> loaded(mine.createSectorFromData(data));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(dynamicType(*loaded), typeid(MyTamoSector));
    EXPECT_EQ(dynamicType(*loaded->quadTable), typeid(MyOptimizedQuadHashTable));
    EXPECT_TRUE(loaded->blocks[0].used);
}

}  // namespace
