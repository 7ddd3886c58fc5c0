#include <GL/gl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/GLTestFixture.h"
#include "media/BitmapFont.h"
#include "media/Textures.h"
#include "platform/GLContext.h"

namespace {

using Cell = BitmapFont::Cell;

bool operator==(const Cell& a, const Cell& b) {
    return a.u == b.u && a.v == b.v;
}

void expectCell(char character, int32_t u, int32_t v) {
    const Cell cell = BitmapFont::cellOf(character);
    EXPECT_EQ(cell.u, u) << "character " << static_cast<int>(static_cast<unsigned char>(character));
    EXPECT_EQ(cell.v, v) << "character " << static_cast<int>(static_cast<unsigned char>(character));
}

}  // namespace

TEST(BitmapFontCells, MapCharactersToTheirCells) {
    expectCell('A', 0, 0);
    expectCell('P', 240, 0);
    expectCell('Q', 0, 16);
    expectCell('Z', 144, 16);
    expectCell('0', 160, 16);
    expectCell('5', 240, 16);
    expectCell('6', 0, 32);
    expectCell('-', 80, 32);
    expectCell('\'', 240, 32);
    expectCell('!', 0, 48);
    expectCell(static_cast<char>(169), 16, 48);
    // Lower-case letters use the upper-case cells.
    expectCell('a', 0, 0);
    expectCell('z', 144, 16);
}

TEST(BitmapFontCells, UnknownCharactersAndBytesAbove127UseTheLastCell) {
    for (const int byte :
         {int('%'), int('='), int('?'), int('"'), 1, 127, 128, 168, 170, 200, 233, 255})
        expectCell(static_cast<char>(byte), 240, 112);
}

TEST(BitmapFontLayout, LowerCaseLaysOutLikeUpperCase) {
    const auto lower = BitmapFont::layoutText(10, 20, "ab", false, 1.0f);
    const auto upper = BitmapFont::layoutText(10, 20, "AB", false, 1.0f);
    ASSERT_EQ(lower.size(), 2u);
    ASSERT_EQ(upper.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(lower[i].x, upper[i].x);
        EXPECT_EQ(lower[i].y, upper[i].y);
        EXPECT_TRUE(lower[i].cell == upper[i].cell);
    }
    EXPECT_EQ(upper[0].x, 10);
    EXPECT_EQ(upper[1].x, 28);
    EXPECT_EQ(upper[1].cell.u, 16);
}

TEST(BitmapFontLayout, SpacesAdvanceAndLineFeedsReturnToTheStart) {
    const auto glyphs = BitmapFont::layoutText(100, 50, "A B\nC", false, 1.0f);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_EQ(glyphs[0].x, 100);
    EXPECT_EQ(glyphs[1].x, 136);
    EXPECT_EQ(glyphs[1].y, 50);
    EXPECT_EQ(glyphs[2].x, 100);
    EXPECT_EQ(glyphs[2].y, 68);
    EXPECT_EQ(glyphs[2].size, 16);
    EXPECT_TRUE(BitmapFont::layoutText(0, 0, "", false, 1.0f).empty());
    EXPECT_TRUE(BitmapFont::layoutText(0, 0, nullptr, true, 1.0f).empty());
}

TEST(BitmapFontLayout, CentringMovesByHalfTheBlock) {
    // Two lines, the longest of two characters: left by 18, up by 18.
    auto glyphs = BitmapFont::layoutText(200, 100, "AB\nC", true, 1.0f);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_EQ(glyphs[0].x, 182);
    EXPECT_EQ(glyphs[0].y, 82);
    EXPECT_EQ(glyphs[2].x, 182);
    EXPECT_EQ(glyphs[2].y, 100);

    // A trailing line feed counts one more line: up by 18, left by 9.
    glyphs = BitmapFont::layoutText(200, 100, "A\n", true, 1.0f);
    ASSERT_EQ(glyphs.size(), 1u);
    EXPECT_EQ(glyphs[0].x, 191);
    EXPECT_EQ(glyphs[0].y, 82);

    // Odd products round towards zero: three characters at scale 1 move 27.
    glyphs = BitmapFont::layoutText(200, 100, "ABC", true, 1.0f);
    EXPECT_EQ(glyphs[0].x, 173);
    EXPECT_EQ(glyphs[0].y, 91);
}

TEST(BitmapFontLayout, ScaleTruncatesGlyphSizeAndAdvance) {
    auto glyphs = BitmapFont::layoutText(0, 0, "AB\nC", false, 0.5f);
    ASSERT_EQ(glyphs.size(), 3u);
    EXPECT_EQ(glyphs[0].size, 8);
    EXPECT_EQ(glyphs[1].x, 9);
    EXPECT_EQ(glyphs[2].y, 9);
    glyphs = BitmapFont::layoutText(0, 0, "AB\nC", false, 1.5f);
    EXPECT_EQ(glyphs[0].size, 24);
    EXPECT_EQ(glyphs[1].x, 27);
    EXPECT_EQ(glyphs[2].y, 27);
    glyphs = BitmapFont::layoutText(0, 0, "AB", false, 0.7f);  // 12.6 and 11.2
    EXPECT_EQ(glyphs[0].size, 11);
    EXPECT_EQ(glyphs[1].x, 12);
}

// A font image whose cell (column c, row r) is the colour (255 - 16c, 255 - 32r,
// 255) inside a transparent (key-coloured) one-pixel ring.
class BitmapFontTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        std::vector<uint8_t> rgb(256 * 128 * 3);
        for (int32_t y = 0; y < 128; ++y) {
            for (int32_t x = 0; x < 256; ++x) {
                const bool ring = x % 16 == 0 || x % 16 == 15 || y % 16 == 0 || y % 16 == 15;
                uint8_t* p = &rgb[(static_cast<size_t>(y) * 256 + x) * 3];
                p[0] = ring ? 159 : static_cast<uint8_t>(255 - 16 * (x / 16));
                p[1] = ring ? 0 : static_cast<uint8_t>(255 - 32 * (y / 16));
                p[2] = ring ? 159 : 255;
            }
        }
        ASSERT_TRUE(createColourKeyTexture(gl->textures.get(), rgb.data(), 256, 128, 2));
        gl->enableAlphaTest();
    }

    // The cell whose colour shows at (x, y) drawn in white, or {-1, -1}.
    static Cell cellShownAt(int32_t x, int32_t y) {
        const Pixel p = readPixel(x, y);
        if (p.b != 255)
            return Cell{-1, -1};
        return Cell{(255 - p.r) / 16 * 16, (255 - p.g) / 32 * 16};
    }

    BitmapFont font{nullptr, 2};
};

TEST_F(BitmapFontTest, DrawsEachCharactersCellInTheRequestedColour) {
    BitmapFont font(gl, 2);
    font.drawText(100, 100, "Az%", 255, 255, 255, false, 1.0f, false);
    EXPECT_TRUE(cellShownAt(108, 108) == (Cell{0, 0}));
    EXPECT_TRUE(cellShownAt(126, 108) == (Cell{144, 16}));
    EXPECT_TRUE(cellShownAt(144, 108) == (Cell{240, 112}));
    // The transparent ring of each cell is not drawn.
    EXPECT_EQ(readPixel(100, 100).b, 0);
    EXPECT_EQ(readPixel(115, 108).b, 0);

    font.drawText(300, 100, "A", 200, 100, 50, false, 1.0f, false);
    const Pixel p = readPixel(308, 108);
    EXPECT_EQ(p.r, 200);
    EXPECT_EQ(p.g, 100);
    EXPECT_EQ(p.b, 50);
}

TEST_F(BitmapFontTest, BytesAbove127DrawTheFallbackCell) {
    BitmapFont font(gl, 2);
    const char text[] = {'\xC8', '\xFF', '\xA9', 0};
    font.drawText(100, 200, text, 255, 255, 255, false, 1.0f, false);
    EXPECT_TRUE(cellShownAt(108, 208) == (Cell{240, 112}));
    EXPECT_TRUE(cellShownAt(126, 208) == (Cell{240, 112}));
    EXPECT_TRUE(cellShownAt(144, 208) == (Cell{16, 48}));
}

TEST_F(BitmapFontTest, DrawNumberDrawsTheSignAndDigits) {
    BitmapFont font(gl, 2);
    font.drawNumber(100, 300, -5, 255, 255, 255, false, 1.0f, false);
    EXPECT_TRUE(cellShownAt(108, 308) == (Cell{80, 32}));
    EXPECT_TRUE(cellShownAt(126, 308) == (Cell{240, 16}));
    EXPECT_TRUE(cellShownAt(144, 308) == (Cell{-1, -1}));
    font.drawNumber(320, 400, -2147483647 - 1, 255, 255, 255, true, 1.0f, false);
    // Eleven characters centred on 320: the first starts at 320 - 99.
    EXPECT_TRUE(cellShownAt(221 + 8, 400 - 9 + 8) == (Cell{80, 32}));
}

TEST_F(BitmapFontTest, ScaledGlyphsCoverTheirScaledSquares) {
    BitmapFont font(gl, 2);
    font.drawText(100, 100, "A", 255, 255, 255, false, 1.5f, false);
    // 24 pixels with a 1.5-pixel transparent ring.
    EXPECT_EQ(readPixel(102, 102).b, 255);
    EXPECT_EQ(readPixel(121, 121).b, 255);
    EXPECT_EQ(readPixel(125, 110).b, 0);
    font.drawText(200, 100, "A", 255, 255, 255, false, 0.5f, false);
    EXPECT_EQ(readPixel(203, 103).b, 255);
    EXPECT_EQ(readPixel(209, 103).b, 0);
}

TEST_F(BitmapFontTest, LeavesBlendingOffAlphaTestOnTexturingOffAndWhite) {
    BitmapFont font(gl, 2);
    gl->disableAlphaTest();
    gl->enableBlending(0);
    font.drawText(10, 10, "A", 10, 20, 30, false, 1.0f, false);
    EXPECT_FALSE(gl->blendingOn());
    EXPECT_FALSE(glFlag(GL_BLEND));
    EXPECT_TRUE(gl->alphaTestOn());
    EXPECT_TRUE(glFlag(GL_ALPHA_TEST));
    EXPECT_FALSE(glFlag(GL_TEXTURE_2D));
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 1.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
}

TEST_F(BitmapFontTest, AnEmptyTextChangesNoRenderState) {
    BitmapFont font(gl, 2);
    gl->disableAlphaTest();
    gl->enableBlending(1);
    glColor3ub(1, 2, 3);
    font.drawText(10, 10, "", 10, 20, 30, false, 1.0f, false);
    font.drawText(10, 10, nullptr, 10, 20, 30, false, 1.0f, false);
    EXPECT_TRUE(gl->blendingOn());
    EXPECT_FALSE(gl->alphaTestOn());
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_NEAR(colour[0], 1.0f / 255.0f, 1e-6f);
    gl->disableBlending();
}

TEST_F(BitmapFontTest, AlreadyIn2DLeavesTheCallerInTwoDimensionalMode) {
    BitmapFont font(gl, 2);
    gl->enter2D();
    font.drawText(100, 100, "A", 255, 255, 255, false, 1.0f, true);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_PROJECTION);
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_ALWAYS);
    font.drawText(200, 100, "B", 255, 255, 255, false, 1.0f, true);
    gl->leave2D();
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_TRUE(cellShownAt(108, 108) == (Cell{0, 0}));
    EXPECT_TRUE(cellShownAt(208, 108) == (Cell{16, 0}));
}

TEST_F(BitmapFontTest, WithoutAContextNothingIsDrawn) {
    font.drawText(100, 100, "A", 255, 255, 255, false, 1.0f, false);
    EXPECT_EQ(readPixel(108, 108).b, 0);
    EXPECT_EQ(font.glyphAdvance(), 18);
}
