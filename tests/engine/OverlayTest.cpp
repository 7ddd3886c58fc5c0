#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "support/FakeTicks.h"
#include "support/GLTestFixture.h"
#include "support/QuadrantTextureTest.h"
#include "engine/Overlay.h"
#include "engine/TamoEngineCore.h"
#include "media/BitmapFont.h"
#include "platform/GLContext.h"
#include "platform/SystemClock.h"

namespace {

using OverlayTest = QuadrantTextureTest;

TEST(HudLinesTest, ValuesAreFormattedAsSignedNumbers) {
    const auto lines = materialHudLines(FaceMaterial{100, -1, 4, 2, 3, 1});
    EXPECT_EQ(lines[0], "X ZOOM 3");
    EXPECT_EQ(lines[1], "Y ZOOM 1");
    EXPECT_EQ(lines[2], "DIR 2");
    EXPECT_EQ(lines[3], "START X -1");
    EXPECT_EQ(lines[4], "START Y 4");
}

class HudTest : public OverlayTest {
protected:
    void SetUp() override {
        OverlayTest::SetUp();
        // A font whose every cell is solid: each glyph is a filled square.
        std::vector<uint8_t> font(256 * 128 * 4, 255);
        ASSERT_TRUE(gl->textures->uploadTexture(font.data(), 256, 128, 2, 0));
        std::vector<uint8_t> red;
        for (int i = 0; i < 16; ++i)
            red.insert(red.end(), {255, 0, 0, 255});
        ASSERT_TRUE(gl->textures->uploadTexture(red.data(), 4, 4, 100, 0));
        fakeNow = 100000;
        setTickSource(fakeTicks);
    }
    void TearDown() override {
        setTickSource(nullptr);
        OverlayTest::TearDown();
    }

    bool blueAt(int32_t x, int32_t y) {
        const Pixel p = readPixel(x, y);
        return p.b == 255 && p.r == 0 && p.g == 0;
    }

    BitmapFont* font() {
        if (!fontObject)
            fontObject.reset(new BitmapFont(gl, 2));
        return fontObject.get();
    }

    std::unique_ptr<BitmapFont> fontObject;
};

TEST_F(HudTest, MaterialShowsForFourSecondsWithItsFiveLines) {
    TamoEngineCore core(gl, nullptr, font(), 100, 3, 4);
    core.material = FaceMaterial{100, -1, 4, 2, 3, 1};
    core.materialShownAt = static_cast<int32_t>(fakeNow - 3999);
    core.drawHud();
    EXPECT_NE(core.materialShownAt, 0);
    expectColour(readPixel(2, 382), Red);
    expectColour(readPixel(98, 478), Red);
    expectColour(readPixel(50, 378), (const uint8_t[3]){0, 0, 0});
    expectColour(readPixel(102, 430), (const uint8_t[3]){0, 0, 0});
    for (int32_t k = 0; k < 5; ++k)
        EXPECT_TRUE(blueAt(105 + 8, 380 + k * 18 + 8)) << "line " << k;
    // "X ZOOM 3": the space after X draws nothing, the Z after it does.
    EXPECT_FALSE(blueAt(105 + 18 + 8, 388));
    EXPECT_TRUE(blueAt(105 + 36 + 8, 388));
    EXPECT_TRUE(blueAt(105 + 7 * 18 + 8, 388));
    EXPECT_FALSE(blueAt(105 + 8 * 18 + 8, 388));
    // "START X -1" is the longest line: ten characters.
    EXPECT_TRUE(blueAt(105 + 9 * 18 + 8, 434 + 8));
    EXPECT_FALSE(blueAt(320, 453)) << "no mode caption without a mode stamp";
}

TEST_F(HudTest, MaterialStampExpiresAfterFourSeconds) {
    TamoEngineCore core(gl, nullptr, font(), 100, 3, 4);
    core.materialShownAt = static_cast<int32_t>(fakeNow - 4001);
    core.drawHud();
    EXPECT_EQ(core.materialShownAt, 0);
    expectColour(readPixel(50, 430), (const uint8_t[3]){0, 0, 0});
    EXPECT_FALSE(blueAt(113, 388));
}

TEST_F(HudTest, ModeCaptionIsCentredNearTheBottom) {
    TamoEngineCore core(gl, nullptr, font(), 100, 3, 4);
    core.toggleEditMode();  // sprite objects: 22 characters from x = 122
    core.drawHud();
    EXPECT_EQ(core.materialShownAt, 0);
    EXPECT_TRUE(blueAt(122 + 8, 444 + 8));
    EXPECT_FALSE(blueAt(118, 452));
    expectColour(readPixel(50, 430), (const uint8_t[3]){0, 0, 0});

    EXPECT_TRUE(blueAt(500 + 8, 452)) << "last of 22 characters";
    EXPECT_FALSE(blueAt(520 + 4, 452));

    gl->clear();
    core.toggleEditMode();  // map blocks: 18 characters from x = 158 to 482
    core.materialShownAt = static_cast<int32_t>(fakeNow);
    core.drawHud();
    EXPECT_TRUE(blueAt(464 + 8, 444 + 8));
    EXPECT_FALSE(blueAt(500 + 8, 452));
    EXPECT_TRUE(blueAt(113, 388)) << "both stamps: material lines drawn too";
    expectColour(readPixel(50, 430), Red);

    gl->clear();
    fakeNow += 1501;
    core.drawHud();
    EXPECT_EQ(core.modeShownAt, 0);
    EXPECT_FALSE(blueAt(464 + 8, 444 + 8));
    EXPECT_NE(core.materialShownAt, 0);
    expectColour(readPixel(50, 430), Red);
}

}  // namespace
