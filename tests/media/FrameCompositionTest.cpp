#include <GL/gl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GLTestFixture.h"
#include "media/BitmapFont.h"
#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "media/Textures.h"
#include "platform/GLContext.h"

#ifndef TAMO_BUILD_DIR
#define TAMO_BUILD_DIR "."
#endif

namespace {

void paint(std::vector<uint8_t>& rgb, int32_t width, int32_t x, int32_t y, uint8_t r, uint8_t g,
           uint8_t b) {
    uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

void paintFrame(std::vector<uint8_t>& rgb, int32_t width, int32_t x, int32_t y, int32_t right,
                int32_t bottom, uint8_t r, uint8_t g, uint8_t b) {
    for (int32_t yy = y + 1; yy < bottom; ++yy)
        for (int32_t xx = x + 1; xx < right; ++xx)
            paint(rgb, width, xx, yy, r, g, b);
    paint(rgb, width, x, y, 239, 79, 100);
    paint(rgb, width, right, y, 79, 239, 239);
    paint(rgb, width, right, bottom, 79, 239, 239);
}

bool near(const Pixel& p, int r, int g, int b) {
    return std::abs(p.r - r) <= 2 && std::abs(p.g - g) <= 2 && std::abs(p.b - b) <= 2;
}

}  // namespace

using FrameCompositionTest = GLTestFixture;

// One frame as the main window draws it: the sky first, a world sprite as a
// billboard, then an interface sprite and a line of text in screen space.
TEST_F(FrameCompositionTest, SkySpriteBillboardAndTextEachLandWhereTheyBelong) {
    gl->enableAlphaTest();
    const std::vector<uint8_t> skyImage = solidRgb(8, 4, 60, 120, 200);
    ASSERT_TRUE(createUniformAlphaTexture(gl->textures.get(), skyImage.data(), 8, 4, 1, 1.0f));

    // A font whose cells are white squares in a transparent ring.
    std::vector<uint8_t> fontImage(256 * 128 * 3);
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 256; ++x) {
            const bool ring = x % 16 < 2 || x % 16 > 13 || y % 16 < 2 || y % 16 > 13;
            paint(fontImage, 256, x, y, ring ? 159 : 255, ring ? 0 : 255, ring ? 159 : 255);
        }
    ASSERT_TRUE(createColourKeyTexture(gl->textures.get(), fontImage.data(), 256, 128, 2));

    // World sheet: one red frame with a key-coloured hole; interface sheet:
    // a green frame and an orange one.
    std::vector<uint8_t> world = solidRgb(64, 64, 159, 0, 159);
    paintFrame(world, 64, 0, 0, 17, 33, 220, 30, 30);
    paint(world, 64, 8, 8, 159, 0, 159);
    SpriteSheet worldSheet(gl, world.data(), 64, 64, 5, 0);
    std::vector<uint8_t> ui = solidRgb(64, 32, 159, 0, 159);
    paintFrame(ui, 64, 0, 0, 11, 11, 30, 200, 30);
    paintFrame(ui, 64, 20, 0, 31, 11, 250, 150, 0);
    SpriteSheet interfaceSheet(gl, ui.data(), 64, 32, 6, 0);
    ASSERT_EQ(worldSheet.groupCount(), 1);
    ASSERT_EQ(interfaceSheet.groupCount(), 2);

    SkyDome sky(*gl, 0.95f * gl->frustum.far, 16, 20, 1);
    BitmapFont font(gl, 2);

    gl->eye = Vector3(100, 20, 100);
    gl->direction = Vector3(1, 0, 0);
    gl->applyCamera();
    gl->clear();
    sky.drawSkyDome(gl->eye, 0.0f);
    worldSheet.selectFrame(0, 0);  // 16 x 32 texels
    gl->textures->drawBillboard(worldSheet.textureId(), Vector3(130, 12, 100), 0.5f, false);
    interfaceSheet.selectFrame(1, 0);
    gl->textures->drawSprite2D(interfaceSheet.textureId(), 20, 400, 4.0f, false, false, 0.0f);
    font.drawText(320, 40, "TAMO", 255, 255, 0, true, 1.0f, false);

    saveBackBufferPng(std::string(TAMO_BUILD_DIR) + "/frame-composition.png");

    // Sky in the corners and around the billboard.
    EXPECT_TRUE(near(readPixel(5, 5), 60, 120, 200));
    EXPECT_TRUE(near(readPixel(600, 300), 60, 120, 200));
    // The billboard: 8 x 16 units standing on y 12, 30 units ahead, centred
    // left and right; its key-coloured texel lets the sky through.
    const Vector3 spriteMiddle = gl->project(Vector3(130, 16, 100));
    EXPECT_TRUE(near(readPixel(int32_t(spriteMiddle.x), int32_t(spriteMiddle.y)), 220, 30, 30));
    const Vector3 spriteFoot = gl->project(Vector3(130, 12, 100));
    EXPECT_TRUE(near(readPixel(int32_t(spriteFoot.x), int32_t(spriteFoot.y) + 3), 60, 120, 200));
    const Vector3 spriteSide = gl->project(Vector3(130, 16, 106));
    EXPECT_TRUE(near(readPixel(int32_t(spriteSide.x), int32_t(spriteSide.y)), 60, 120, 200));
    // The centre of frame texel (7, 7), texels half a unit wide: 7.5 texels
    // below the top and 7.5 from the texture's left edge (the viewer's left).
    const Vector3 hole = gl->project(Vector3(130, 28 - 7.5f * 0.5f, 96 + 7.5f * 0.5f));
    EXPECT_TRUE(near(readPixel(int32_t(hole.x), int32_t(hole.y)), 60, 120, 200));
    // The orange interface frame: 10 x 10 texels at scale 4 from (20, 400).
    EXPECT_TRUE(near(readPixel(21, 401), 250, 150, 0));
    EXPECT_TRUE(near(readPixel(58, 438), 250, 150, 0));
    EXPECT_TRUE(near(readPixel(61, 420), 60, 120, 200));
    // Yellow text centred on (320, 40): four glyphs from x = 284, y = 31.
    for (int32_t glyph = 0; glyph < 4; ++glyph)
        EXPECT_TRUE(near(readPixel(284 + glyph * 18 + 8, 31 + 8), 255, 255, 0))
            << "glyph " << glyph;
    EXPECT_TRUE(near(readPixel(284 + 17, 31 + 8), 60, 120, 200));  // the gap between glyphs
    EXPECT_TRUE(near(readPixel(320, 60), 60, 120, 200));
}
