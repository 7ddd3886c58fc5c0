#include "app/TexturePalette.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <memory>
#include <vector>

#include "engine/TamoEngineCore.h"
#include "media/BitmapFont.h"
#include "platform/GLContext.h"
#include "platform/TextureTable.h"
#include "platform/VirtualKeys.h"
#include "support/GLTestFixture.h"

namespace {

// Forty block textures of distinct flat colours (and two below the block
// range, which the palette leaves out), a font whose glyphs are squares.
class TexturePaletteTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        std::vector<uint8_t> font(256 * 128 * 4, 255);
        ASSERT_TRUE(gl->textures->uploadTexture(font.data(), 256, 128, 2, 0));
        for (int32_t id : {5, 139, 100, 6, 120, 101})  // out of order, some twice
            for (int32_t k = id; k < (id == 100 ? 120 : id == 120 ? 140 : id + 1); ++k)
                upload(k);
        upload(105);
        fontObject = std::make_unique<BitmapFont>(gl, 2);
        core = std::make_unique<TamoEngineCore>(gl, nullptr, fontObject.get(), 100, 3, 4);
        core->material = FaceMaterial{105, 3, -2, 1, 4, 2};
    }
    void TearDown() override {
        core.reset();
        GLTestFixture::TearDown();
    }
    static Pixel colourOf(int32_t id) {
        Pixel p;
        p.r = static_cast<uint8_t>((id * 37) % 200 + 40);
        p.g = static_cast<uint8_t>((id * 11) % 256);
        p.b = static_cast<uint8_t>(id % 2 ? 20 : 230);
        return p;
    }
    void upload(int32_t id) {
        const Pixel c = colourOf(id);
        std::vector<uint8_t> rgba;
        for (int i = 0; i < 16; ++i)
            rgba.insert(rgba.end(), {c.r, c.g, c.b, 255});
        ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), 4, 4, id, 0));
    }
    // Draws the palette on black and checks each picture's middle pixel,
    // and the frame around the current texture's picture only.
    void expectPage(const TexturePalette& palette) {
        for (const TexturePalette::Cell& cell : palette.cells()) {
            SCOPED_TRACE(cell.texture);
            const Pixel shown = readPixel((cell.picture.left + cell.picture.right) / 2,
                                          (cell.picture.top + cell.picture.bottom) / 2);
            const Pixel wanted = colourOf(cell.texture);
            EXPECT_NEAR(shown.r, wanted.r, 2);
            EXPECT_NEAR(shown.g, wanted.g, 2);
            EXPECT_NEAR(shown.b, wanted.b, 2);
            const Pixel frame = readPixel(cell.picture.left - 2, cell.picture.top + 20);
            const bool framed = frame.r == 255 && frame.g == 220 && frame.b == 0;
            EXPECT_EQ(framed, cell.texture == core->material.texture);
        }
    }
    void drawPalette(TexturePalette& palette) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        palette.draw();
    }

    std::unique_ptr<BitmapFont> fontObject;
    std::unique_ptr<TamoEngineCore> core;
};

// Every loaded block texture once, in order, on pages of 32 pictures read
// back from the screen; the page of the current texture first; the render
// state as it was; a click on a picture takes its texture and keeps the
// material's other fields; Esc and a right click close unchanged.
TEST_F(TexturePaletteTest, PagesShowEveryTextureAndAClickTakesOne) {
    TexturePalette palette(*core);
    EXPECT_FALSE(palette.isOpen());
    gl->setCulling(true);
    gl->setTexturing(false);
    const int32_t depthBefore = gl->depthFunction();
    palette.open();
    ASSERT_TRUE(palette.isOpen());
    std::vector<int32_t> expected;
    for (int32_t id = 100; id < 140; ++id)
        expected.push_back(id);
    EXPECT_EQ(palette.textures(), expected);
    EXPECT_EQ(palette.pageCount(), 2);
    EXPECT_EQ(palette.page(), 0);
    drawPalette(palette);
    expectPage(palette);
    EXPECT_TRUE(gl->culling());
    EXPECT_FALSE(gl->texturing());
    EXPECT_EQ(gl->depthFunction(), depthBefore);

    palette.key(VK_NEXT, 0);
    ASSERT_EQ(palette.page(), 1);
    palette.key(VK_NEXT, 0);
    EXPECT_EQ(palette.page(), 1);
    ASSERT_EQ(palette.cells().size(), 8u);
    EXPECT_EQ(palette.cells().front().texture, 132);
    drawPalette(palette);
    expectPage(palette);
    // The arrows turn pages as the keys do.
    const ScreenRect back = TexturePalette::previousArrow();
    palette.press(back.left + 5, back.top + 5, true);
    EXPECT_EQ(palette.page(), 0);
    palette.key(VK_RIGHT, 0);
    EXPECT_EQ(palette.page(), 1);

    const ScreenRect pick = palette.cells()[2].picture;
    palette.press(pick.left + 10, pick.bottom - 10, true);
    EXPECT_FALSE(palette.isOpen());
    EXPECT_EQ(core->material, (FaceMaterial{134, 3, -2, 1, 4, 2}));
    EXPECT_NE(core->materialShownAt, 0);

    // Opened again on the current texture's page; closing keeps the material.
    palette.open();
    EXPECT_EQ(palette.page(), 1);
    palette.key(VK_ESCAPE, 0);
    EXPECT_FALSE(palette.isOpen());
    palette.open();
    palette.press(pick.left + 10, pick.top + 10, false);
    EXPECT_FALSE(palette.isOpen());
    EXPECT_EQ(core->material.texture, 134);
}

}  // namespace
