#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/GLTestFixture.h"
#include "media/Textures.h"
#include "platform/GLContext.h"

using TexturesTest = GLTestFixture;

TEST(RgbToRgba, CopiesColoursAndAddsOpaqueAlpha) {
    const uint8_t rgb[6] = {1, 2, 3, 159, 0, 159};
    EXPECT_EQ(rgbToRgba(rgb, 2, 1), (std::vector<uint8_t>{1, 2, 3, 255, 159, 0, 159, 255}));
    EXPECT_TRUE(rgbToRgba(nullptr, 2, 1).empty());
    EXPECT_TRUE(rgbToRgba(rgb, 0, 1).empty());
    EXPECT_TRUE(rgbToRgba(rgb, 2, -3).empty());
}

TEST_F(TexturesTest, ColourKeyTextureMakesOnlyTheExactKeyTransparent) {
    // Row 0: key, almost key; row 1: almost key the other way, white.
    const uint8_t rgb[12] = {159, 0, 159, 159, 0, 158, 158, 0, 159, 255, 255, 255};
    ASSERT_TRUE(createColourKeyTexture(gl->textures.get(), rgb, 2, 2, 2));
    int32_t w = 0, h = 0;
    const std::vector<uint8_t> texels = readTexture(2, &w, &h);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(texels, (std::vector<uint8_t>{159, 0, 159, 0, 159, 0, 158, 255, 158, 0, 159, 255, 255,
                                            255, 255, 255}));
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);
    EXPECT_EQ(gl->textures->findTexture(2), 0);
    EXPECT_EQ(gl->textures->record(0).width, 2);
}

TEST_F(TexturesTest, UniformAlphaTextureTruncatesAlphaTimes255) {
    const uint8_t rgb[6] = {10, 20, 30, 159, 0, 159};
    struct Case {
        float alpha;
        uint8_t expected;
    };
    const Case cases[] = {{1.0f, 255},   {0.5f, 127}, {0.0f, 0},
                          {0.999f, 254}, {2.0f, 255}, {-1.0f, 0}};
    int32_t id = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "alpha " << c.alpha);
        ASSERT_TRUE(createUniformAlphaTexture(gl->textures.get(), rgb, 2, 1, id, c.alpha));
        // The key colour means nothing here: every texel gets the same alpha.
        EXPECT_EQ(readTexture(id),
                  (std::vector<uint8_t>{10, 20, 30, c.expected, 159, 0, 159, c.expected}));
        GLint filter = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
        EXPECT_EQ(filter, GL_LINEAR);
        ++id;
    }
}

TEST_F(TexturesTest, RowsOfOddWidthUploadUnpadded) {
    // Three pixels per row: 9 bytes, not a multiple of four.
    std::vector<uint8_t> rgb;
    for (uint8_t i = 0; i < 6; ++i)
        rgb.insert(rgb.end(), {i, static_cast<uint8_t>(i * 2), static_cast<uint8_t>(i * 3)});
    ASSERT_TRUE(createUniformAlphaTexture(gl->textures.get(), rgb.data(), 3, 2, 7, 1.0f));
    const std::vector<uint8_t> texels = readTexture(7);
    ASSERT_EQ(texels.size(), 24u);
    for (uint8_t i = 0; i < 6; ++i) {
        EXPECT_EQ(texels[i * 4 + 0], i);
        EXPECT_EQ(texels[i * 4 + 1], i * 2);
        EXPECT_EQ(texels[i * 4 + 2], i * 3);
    }
}

TEST_F(TexturesTest, NothingIsUploadedWithoutPixelsOrTable) {
    const uint8_t rgb[3] = {1, 2, 3};
    EXPECT_FALSE(createColourKeyTexture(gl->textures.get(), nullptr, 1, 1, 3));
    EXPECT_FALSE(createUniformAlphaTexture(gl->textures.get(), nullptr, 1, 1, 3, 1.0f));
    EXPECT_FALSE(createColourKeyTexture(gl->textures.get(), rgb, 0, 1, 3));
    EXPECT_FALSE(createColourKeyTexture(nullptr, rgb, 1, 1, 3));
    EXPECT_FALSE(createUniformAlphaTexture(nullptr, rgb, 1, 1, 3, 1.0f));
    EXPECT_EQ(gl->textures->recordCount(), 0);
    EXPECT_FALSE(glIsTexture(3));
}
