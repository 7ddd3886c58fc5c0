#include <GL/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "support/GLTestFixture.h"
#include "media/SpriteSheet.h"
#include "platform/GLContext.h"

namespace {

using Rgb = std::array<uint8_t, 3>;
constexpr Rgb NewGroup = {239, 79, 100};
constexpr Rgb SameGroup = {79, 171, 79};
constexpr Rgb End = {79, 239, 239};
constexpr Rgb Key = {159, 0, 159};

// A hand-made sheet: every pixel gets a colour of its own, (x * 3, y * 3, 7),
// so that copied colours can be traced; marks are painted on top.
class SheetImage {
public:
    SheetImage(int32_t w, int32_t h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                set(x, y, Rgb{static_cast<uint8_t>(x * 3), static_cast<uint8_t>(y * 3), 7});
    }
    void set(int32_t x, int32_t y, const Rgb& colour) {
        const size_t at = (static_cast<size_t>(y) * width + x) * 3;
        rgb[at] = colour[0];
        rgb[at + 1] = colour[1];
        rgb[at + 2] = colour[2];
    }
    // Start mark at (x, y), end marks at (right, y) and (right, bottom).
    void frame(int32_t x, int32_t y, int32_t right, int32_t bottom, const Rgb& start) {
        set(x, y, start);
        set(right, y, End);
        set(right, bottom, End);
    }
    const uint8_t* data() const { return rgb.data(); }

    int32_t width;
    int32_t height;
    std::vector<uint8_t> rgb;
};

std::array<uint8_t, 4> rgbaAt(const SpriteSheet& sheet, int32_t x, int32_t y) {
    const size_t at = (static_cast<size_t>(y) * sheet.width() + x) * 4;
    const std::vector<uint8_t>& p = sheet.pixels();
    return {p[at], p[at + 1], p[at + 2], p[at + 3]};
}

// The colour the image gave (x, y), with the alpha a rewritten border pixel has.
std::array<uint8_t, 4> borderCopyOf(int32_t x, int32_t y) {
    return {static_cast<uint8_t>(x * 3), static_cast<uint8_t>(y * 3), 7, 0};
}

void expectFrame(const SpriteSheet& sheet, int32_t group, int32_t frame, int32_t left, int32_t top,
                 int32_t right, int32_t bottom) {
    ASSERT_TRUE(sheet.isValidFrame(group, frame)) << "group " << group << " frame " << frame;
    const SpriteFrame& f = sheet.frameAt(group, frame);
    EXPECT_EQ(f.left, left);
    EXPECT_EQ(f.top, top);
    EXPECT_EQ(f.right, right);
    EXPECT_EQ(f.bottom, bottom);
}

}  // namespace

using SpriteSheetTest = GLTestFixture;

TEST_F(SpriteSheetTest, FindsAFrameInsideItsMarksAndHidesTheBorder) {
    SheetImage image(64, 64);
    image.frame(10, 20, 27, 45, NewGroup);
    SpriteSheet sheet(gl, image.data(), 64, 64, 5, 0);

    ASSERT_EQ(sheet.groupCount(), 1);
    EXPECT_EQ(sheet.frameCount(0), 1);
    expectFrame(sheet, 0, 0, 11, 21, 26, 44);

    // Corners take the colour of the pixel diagonally inside, with alpha 0.
    EXPECT_EQ(rgbaAt(sheet, 10, 20), borderCopyOf(11, 21));
    EXPECT_EQ(rgbaAt(sheet, 27, 20), borderCopyOf(26, 21));
    EXPECT_EQ(rgbaAt(sheet, 27, 45), borderCopyOf(26, 44));
    EXPECT_EQ(rgbaAt(sheet, 10, 45), borderCopyOf(11, 44));
    // Edges repeat the frame's edge.
    EXPECT_EQ(rgbaAt(sheet, 15, 20), borderCopyOf(15, 21));
    EXPECT_EQ(rgbaAt(sheet, 15, 45), borderCopyOf(15, 44));
    EXPECT_EQ(rgbaAt(sheet, 10, 30), borderCopyOf(11, 30));
    EXPECT_EQ(rgbaAt(sheet, 27, 30), borderCopyOf(26, 30));
    // Inside and outside are untouched and opaque.
    EXPECT_EQ(rgbaAt(sheet, 11, 21), (std::array<uint8_t, 4>{33, 63, 7, 255}));
    EXPECT_EQ(rgbaAt(sheet, 28, 20), (std::array<uint8_t, 4>{84, 60, 7, 255}));
    EXPECT_EQ(rgbaAt(sheet, 9, 20), (std::array<uint8_t, 4>{27, 60, 7, 255}));

    // The texture holds exactly the rewritten image, with the sheet's filter.
    int32_t w = 0, h = 0;
    EXPECT_EQ(readTexture(5, &w, &h), sheet.pixels());
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 64);
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    EXPECT_EQ(gl->textures->findTexture(5), 0);
}

TEST_F(SpriteSheetTest, ScansBandsFromTheRowBelowTheTallestFrame) {
    SheetImage image(80, 80);
    image.frame(10, 20, 27, 45, NewGroup);  // tallest of the band: next band from row 46
    image.frame(28, 20, 35, 30, NewGroup);  // right after the first: the scan goes on at column 28
    image.frame(40, 30, 50, 40, NewGroup);  // starts inside the band's rows: never seen
    image.frame(2, 46, 8, 50, NewGroup);    // first row of the next band
    SpriteSheet sheet(gl, image.data(), 80, 80, 5, 0);

    ASSERT_EQ(sheet.groupCount(), 3);
    expectFrame(sheet, 0, 0, 11, 21, 26, 44);
    expectFrame(sheet, 1, 0, 29, 21, 34, 29);
    expectFrame(sheet, 2, 0, 3, 47, 7, 49);
    // The skipped frame keeps its marks.
    EXPECT_EQ(rgbaAt(sheet, 40, 30), (std::array<uint8_t, 4>{239, 79, 100, 255}));
}

TEST_F(SpriteSheetTest, NumbersGroupsAndFramesInScanOrder) {
    SheetImage image(64, 40);
    image.frame(0, 0, 5, 5, NewGroup);
    image.frame(8, 0, 13, 9, SameGroup);
    image.frame(16, 0, 21, 5, NewGroup);
    image.frame(0, 12, 5, 17, SameGroup);  // next band joins group 1
    image.frame(8, 12, 20, 17, NewGroup);
    SpriteSheet sheet(gl, image.data(), 64, 40, 6, 0);

    ASSERT_EQ(sheet.groupCount(), 3);
    EXPECT_EQ(sheet.frameCount(0), 2);
    EXPECT_EQ(sheet.frameCount(1), 2);
    EXPECT_EQ(sheet.frameCount(2), 1);
    expectFrame(sheet, 0, 0, 1, 1, 4, 4);
    expectFrame(sheet, 0, 1, 9, 1, 12, 8);
    expectFrame(sheet, 1, 0, 17, 1, 20, 4);
    expectFrame(sheet, 1, 1, 1, 13, 4, 16);
    expectFrame(sheet, 2, 0, 9, 13, 19, 16);

    EXPECT_FALSE(sheet.isValidFrame(0, 2));
    EXPECT_FALSE(sheet.isValidFrame(3, 0));
    EXPECT_FALSE(sheet.isValidFrame(-1, 0));
    EXPECT_FALSE(sheet.isValidFrame(0, -1));
    EXPECT_EQ(sheet.frameCount(3), 0);
    EXPECT_EQ(sheet.frameCount(-1), 0);
}

TEST_F(SpriteSheetTest, ASameGroupMarkOnTheFirstFrameStartsGroupZero) {
    SheetImage image(32, 16);
    image.frame(0, 0, 5, 5, SameGroup);
    image.frame(8, 0, 13, 5, SameGroup);
    image.frame(16, 0, 21, 5, NewGroup);
    SpriteSheet sheet(gl, image.data(), 32, 16, 5, 0);
    ASSERT_EQ(sheet.groupCount(), 2);
    EXPECT_EQ(sheet.frameCount(0), 2);
    EXPECT_EQ(sheet.frameCount(1), 1);
    expectFrame(sheet, 0, 0, 1, 1, 4, 4);
    expectFrame(sheet, 0, 1, 9, 1, 12, 4);
    expectFrame(sheet, 1, 0, 17, 1, 20, 4);
}

TEST_F(SpriteSheetTest, IncompleteMarksGiveNoFrame) {
    SheetImage image(40, 20);
    image.set(30, 2, NewGroup);  // nothing to its right
    image.set(2, 12, NewGroup);  // an end mark to its right, none below it
    image.set(9, 12, End);
    image.set(39, 19, NewGroup);  // in the last column and row
    SpriteSheet sheet(gl, image.data(), 40, 20, 5, 0);
    EXPECT_EQ(sheet.groupCount(), 0);
    EXPECT_EQ(sheet.frameCount(0), 0);
    // The marks stay where they were.
    EXPECT_EQ(rgbaAt(sheet, 30, 2), (std::array<uint8_t, 4>{239, 79, 100, 255}));
}

TEST_F(SpriteSheetTest, KeyColourBecomesTransparentBlack) {
    SheetImage image(16, 16);
    image.frame(0, 0, 10, 10, NewGroup);
    image.set(4, 4, Key);
    image.set(14, 14, Key);
    SpriteSheet sheet(gl, image.data(), 16, 16, 5, 0);
    const std::vector<uint8_t> texels = readTexture(5);
    ASSERT_EQ(texels.size(), 16u * 16u * 4u);
    for (const int32_t at : {4 * 16 + 4, 14 * 16 + 14}) {
        EXPECT_EQ(texels[at * 4 + 0], 0);
        EXPECT_EQ(texels[at * 4 + 1], 0);
        EXPECT_EQ(texels[at * 4 + 2], 0);
        EXPECT_EQ(texels[at * 4 + 3], 0);
    }
    EXPECT_EQ(texels[(5 * 16 + 5) * 4 + 3], 255);
}

TEST_F(SpriteSheetTest, SelectingAFrameSetsTheSourceRectangleAndBadFramesKeepIt) {
    SheetImage image(64, 16);
    image.frame(0, 0, 9, 5, NewGroup);
    image.frame(12, 0, 20, 7, SameGroup);
    SpriteSheet sheet(gl, image.data(), 64, 16, 5, 0);
    TextureTable& table = *gl->textures;

    sheet.selectFrame(0, 1);
    ASSERT_TRUE(table.sourceRectActive());
    EXPECT_EQ(table.sourceRect().left, 13);
    EXPECT_EQ(table.sourceRect().top, 1);
    EXPECT_EQ(table.sourceRect().right, 19);
    EXPECT_EQ(table.sourceRect().bottom, 6);

    sheet.selectFrame(sheet.groupCount(), 0);
    sheet.selectFrame(0, 2);
    sheet.selectFrame(-1, -1);
    EXPECT_EQ(table.sourceRect().left, 13);
    EXPECT_EQ(table.sourceRect().right, 19);

    const TexCoords c = table.getTexCoords(table.findTexture(5));
    EXPECT_FLOAT_EQ(c.w, 7.0f);
    EXPECT_FLOAT_EQ(c.h, 6.0f);
    EXPECT_FLOAT_EQ(c.s0, 13.0f / 64.0f);
    EXPECT_FLOAT_EQ(c.t1, 7.0f / 16.0f);
}

TEST_F(SpriteSheetTest, DrawsOnlyTheSelectedFrame) {
    // Two frames: one red inside, one blue inside.
    SheetImage image(32, 8);
    for (int32_t y = 1; y <= 4; ++y) {
        for (int32_t x = 1; x <= 4; ++x)
            image.set(x, y, Rgb{255, 0, 0});
        for (int32_t x = 8; x <= 11; ++x)
            image.set(x, y, Rgb{0, 0, 255});
    }
    image.frame(0, 0, 5, 5, NewGroup);
    image.frame(7, 0, 12, 5, NewGroup);
    SpriteSheet sheet(gl, image.data(), 32, 8, 6, 0);
    ASSERT_EQ(sheet.groupCount(), 2);

    sheet.selectFrame(1, 0);
    gl->textures->drawSprite2D(sheet.textureId(), 100, 100, 5.0f, false, false, 0.0f);
    // 4 x 4 texels at scale 5: 20 x 20 pixels of blue.
    for (const auto& xy :
         std::vector<std::array<int32_t, 2>>{{100, 100}, {119, 100}, {100, 119}, {119, 119}}) {
        const Pixel p = readPixel(xy[0], xy[1]);
        EXPECT_EQ(p.b, 255) << xy[0] << ", " << xy[1];
        EXPECT_EQ(p.r, 0);
    }
    EXPECT_EQ(readPixel(120, 110).b, 0);
    EXPECT_EQ(readPixel(110, 120).b, 0);
}

TEST_F(SpriteSheetTest, MissingPixelsGiveAnEmptySheetWithoutTexture) {
    SpriteSheet sheet(gl, nullptr, 64, 64, 5, 0);
    EXPECT_EQ(sheet.groupCount(), 0);
    EXPECT_FALSE(sheet.isValidFrame(0, 0));
    EXPECT_EQ(gl->textures->findTexture(5), -1);
    sheet.selectFrame(0, 0);
    EXPECT_FALSE(gl->textures->sourceRectActive());
}
