#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/GLTestFixture.h"
#include "platform/GLContext.h"
#include "platform/TextureTable.h"

namespace {

constexpr uint8_t R[4] = {255, 0, 0, 255};
constexpr uint8_t G[4] = {0, 255, 0, 255};
constexpr uint8_t B[4] = {0, 0, 255, 255};
constexpr uint8_t Y[4] = {255, 255, 0, 255};

// A 2 x 2 RGBA image: red, green on the top row; blue, yellow below.
std::vector<uint8_t> quadrants() {
    std::vector<uint8_t> pixels;
    for (const uint8_t* p : {R, G, B, Y})
        pixels.insert(pixels.end(), p, p + 4);
    return pixels;
}

enum class Colour { Red, Green, Blue, Yellow, Black, Other };

Colour colourAt(int32_t x, int32_t y) {
    const Pixel p = readPixel(x, y);
    if (p.r == 255 && p.g == 0 && p.b == 0)
        return Colour::Red;
    if (p.r == 0 && p.g == 255 && p.b == 0)
        return Colour::Green;
    if (p.r == 0 && p.g == 0 && p.b == 255)
        return Colour::Blue;
    if (p.r == 255 && p.g == 255 && p.b == 0)
        return Colour::Yellow;
    if (p.r == 0 && p.g == 0 && p.b == 0)
        return Colour::Black;
    return Colour::Other;
}

}  // namespace

using TextureTableTest = GLTestFixture;

TEST_F(TextureTableTest, UploadDefinesTheTextureWithItsFilterAndRecordsIt) {
    TextureTable& table = *gl->textures;
    const std::vector<uint8_t> pixels = quadrants();
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 40, 0));
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 40);  // stays bound
    EXPECT_EQ(glInteger(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_EQ(readTexture(40), pixels);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_NEAREST);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
    EXPECT_EQ(value, GL_REPEAT);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);

    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 41, 1));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);

    // Another filter mode leaves the texture's filters as they were.
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 41, 9));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);

    EXPECT_EQ(table.recordCount(), 3);
    EXPECT_EQ(table.findTexture(40), 0);
    EXPECT_EQ(table.findTexture(41), 1);
    EXPECT_EQ(table.findTexture(42), -1);
}

TEST_F(TextureTableTest, ASecondUploadAddsARecordAndLookupsKeepTheFirst) {
    TextureTable& table = *gl->textures;
    std::vector<uint8_t> big(512 * 512 * 4, 200);
    std::vector<uint8_t> small(16 * 8 * 4, 100);
    ASSERT_TRUE(table.uploadTexture(big.data(), 512, 512, 5, 0));
    ASSERT_TRUE(table.uploadTexture(small.data(), 16, 8, 5, 0));
    EXPECT_EQ(table.recordCount(), 2);
    EXPECT_EQ(table.findTexture(5), 0);
    const TexCoords c = table.getTexCoords(table.findTexture(5));
    EXPECT_FLOAT_EQ(c.w, 512.0f);
    EXPECT_FLOAT_EQ(c.h, 512.0f);
    // The GL texture itself is the later one.
    int32_t w = 0, h = 0;
    readTexture(5, &w, &h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 8);
}

TEST_F(TextureTableTest, RefusesMissingPixelsAndEmptySizes) {
    TextureTable& table = *gl->textures;
    const std::vector<uint8_t> pixels = quadrants();
    EXPECT_FALSE(table.uploadTexture(nullptr, 2, 2, 3, 0));
    EXPECT_FALSE(table.uploadTexture(pixels.data(), 0, 2, 3, 0));
    EXPECT_FALSE(table.uploadTexture(pixels.data(), 2, -1, 3, 0));
    EXPECT_EQ(table.recordCount(), 0);
    // Coordinates of an index that names no record are all zero.
    const TexCoords c = table.getTexCoords(0);
    EXPECT_EQ(c.w, 0.0f);
    EXPECT_EQ(c.s1, 0.0f);
}

TEST_F(TextureTableTest, SourceRectangleOrdersItsCornersAndGivesTexCoords) {
    TextureTable& table = *gl->textures;
    std::vector<uint8_t> pixels(512 * 512 * 4, 0);
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 512, 512, 5, 0));

    TexCoords c = table.getTexCoords(0);
    EXPECT_FALSE(table.sourceRectActive());
    EXPECT_FLOAT_EQ(c.s0, 0.0f);
    EXPECT_FLOAT_EQ(c.t0, 0.0f);
    EXPECT_FLOAT_EQ(c.s1, 1.0f);
    EXPECT_FLOAT_EQ(c.t1, 1.0f);
    EXPECT_FLOAT_EQ(c.w, 512.0f);
    EXPECT_FLOAT_EQ(c.h, 512.0f);

    table.setSourceRect(15, 15, 0, 0);
    EXPECT_TRUE(table.sourceRectActive());
    EXPECT_EQ(table.sourceRect().left, 0);
    EXPECT_EQ(table.sourceRect().top, 0);
    EXPECT_EQ(table.sourceRect().right, 15);
    EXPECT_EQ(table.sourceRect().bottom, 15);
    c = table.getTexCoords(0);
    EXPECT_FLOAT_EQ(c.s0, 0.0f);
    EXPECT_FLOAT_EQ(c.t0, 0.0f);
    EXPECT_FLOAT_EQ(c.s1, 0.03125f);
    EXPECT_FLOAT_EQ(c.t1, 0.03125f);
    EXPECT_FLOAT_EQ(c.w, 16.0f);
    EXPECT_FLOAT_EQ(c.h, 16.0f);

    table.setSourceRect(300, 10, 100, 74);
    c = table.getTexCoords(0);
    EXPECT_FLOAT_EQ(c.s0, 100.0f / 512.0f);
    EXPECT_FLOAT_EQ(c.t0, 10.0f / 512.0f);
    EXPECT_FLOAT_EQ(c.s1, 301.0f / 512.0f);
    EXPECT_FLOAT_EQ(c.t1, 75.0f / 512.0f);
    EXPECT_FLOAT_EQ(c.w, 201.0f);
    EXPECT_FLOAT_EQ(c.h, 65.0f);

    table.clearSourceRect();
    EXPECT_FLOAT_EQ(table.getTexCoords(0).w, 512.0f);
}

TEST_F(TextureTableTest, DeleteAllTexturesDeletesEveryRecordedTexture) {
    TextureTable& table = *gl->textures;
    const std::vector<uint8_t> pixels = quadrants();
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 11, 0));
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 12, 0));
    EXPECT_TRUE(glIsTexture(11));
    table.deleteAllTextures();
    EXPECT_EQ(table.recordCount(), 0);
    EXPECT_FALSE(glIsTexture(11));
    EXPECT_FALSE(glIsTexture(12));
    EXPECT_EQ(table.findTexture(11), -1);
}

TEST_F(TextureTableTest, Sprite2DDrawsTheSourceRectangleScaledMirroredCentredAndTurned) {
    TextureTable& table = *gl->textures;
    const std::vector<uint8_t> pixels = quadrants();
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 20, 0));

    // The whole texture at scale 10: a 20 x 20 square of four 10 x 10 quadrants.
    table.drawSprite2D(20, 100, 50, 10.0f, false, false, 0.0f);
    EXPECT_EQ(colourAt(101, 51), Colour::Red);
    EXPECT_EQ(colourAt(118, 51), Colour::Green);
    EXPECT_EQ(colourAt(101, 68), Colour::Blue);
    EXPECT_EQ(colourAt(118, 68), Colour::Yellow);
    EXPECT_EQ(colourAt(99, 51), Colour::Black);
    EXPECT_EQ(colourAt(121, 51), Colour::Black);
    EXPECT_EQ(colourAt(101, 71), Colour::Black);

    // Mirrored swaps left and right.
    table.drawSprite2D(20, 200, 50, 10.0f, false, true, 0.0f);
    EXPECT_EQ(colourAt(201, 51), Colour::Green);
    EXPECT_EQ(colourAt(218, 51), Colour::Red);

    // Turned by 180 degrees about its centre: upside down and back to front.
    table.drawSprite2D(20, 300, 50, 10.0f, false, false, 180.0f);
    EXPECT_EQ(colourAt(301, 51), Colour::Yellow);
    EXPECT_EQ(colourAt(318, 68), Colour::Red);

    // Centred on (400, 60): the 20 x 20 square spans 390 to 409.
    table.drawSprite2D(20, 400, 60, 10.0f, true, false, 0.0f);
    EXPECT_EQ(colourAt(390, 50), Colour::Red);
    EXPECT_EQ(colourAt(389, 50), Colour::Black);
    EXPECT_EQ(colourAt(409, 69), Colour::Yellow);

    // A source rectangle of the bottom-right texel only.
    table.setSourceRect(1, 1, 1, 1);
    table.drawSprite2D(20, 500, 50, 10.0f, false, false, 0.0f);
    EXPECT_EQ(colourAt(501, 51), Colour::Yellow);
    EXPECT_EQ(colourAt(509, 59), Colour::Yellow);
    EXPECT_EQ(colourAt(511, 51), Colour::Black);

    // An id that is not recorded draws nothing.
    table.clearSourceRect();
    table.drawSprite2D(21, 100, 200, 10.0f, false, false, 0.0f);
    EXPECT_EQ(colourAt(105, 205), Colour::Black);
    EXPECT_FALSE(glFlag(GL_TEXTURE_2D));
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(TextureTableTest, CentringAFifteenPixelFrameMovesItLeftBySeven) {
    TextureTable& table = *gl->textures;
    std::vector<uint8_t> pixels(32 * 32 * 4, 255);
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 32, 32, 30, 0));
    table.setSourceRect(0, 0, 14, 14);
    table.drawSprite2D(30, 100, 100, 1.0f, true, false, 0.0f);
    EXPECT_EQ(readPixel(92, 95).r, 0);
    EXPECT_EQ(readPixel(93, 95).r, 255);
    EXPECT_EQ(readPixel(107, 107).r, 255);
    EXPECT_EQ(readPixel(108, 95).r, 0);
    EXPECT_EQ(readPixel(100, 92).r, 0);
}

TEST_F(TextureTableTest, TextureRectStretchesOverTheRectangle) {
    TextureTable& table = *gl->textures;
    const std::vector<uint8_t> pixels = quadrants();
    ASSERT_TRUE(table.uploadTexture(pixels.data(), 2, 2, 20, 0));
    table.drawTextureRect(20, 10, 300, 110, 340);
    EXPECT_EQ(colourAt(12, 302), Colour::Red);
    EXPECT_EQ(colourAt(108, 302), Colour::Green);
    EXPECT_EQ(colourAt(12, 338), Colour::Blue);
    EXPECT_EQ(colourAt(108, 338), Colour::Yellow);
    EXPECT_EQ(colourAt(111, 320), Colour::Black);
    EXPECT_EQ(colourAt(60, 341), Colour::Black);
}

TEST(TextureTableBillboard, TurnsSpritesTowardsTheEye) {
    const Vector3 eye(0, 0, 0);
    // Same x and z as the eye: a = 0, a quarter turn.
    EXPECT_FLOAT_EQ(TextureTable::billboardAngle(Vector3(0, 5, 0), eye), 90.0f);
    EXPECT_FLOAT_EQ(TextureTable::billboardAngle(Vector3(20, 0, 0), eye), 90.0f);
    EXPECT_NEAR(TextureTable::billboardAngle(Vector3(0, 0, 20), eye), 0.0f, 1e-4f);
    EXPECT_NEAR(TextureTable::billboardAngle(Vector3(-20, 0, 0), eye), -90.0f, 1e-4f);
    EXPECT_NEAR(TextureTable::billboardAngle(Vector3(0, 0, -20), eye), -180.0f, 1e-4f);
    EXPECT_NEAR(TextureTable::billboardAngle(Vector3(13, 0, 17), Vector3(3, 9, 7)), 45.0f, 1e-4f);
}

// A 2 x 1 sprite, red on the left and blue on the right, seen from the eye.
class BillboardTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        const uint8_t pixels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
        ASSERT_TRUE(gl->textures->uploadTexture(pixels, 2, 1, 9, 0));
    }
};

TEST_F(BillboardTest, FacesTheEyeFromEverySideAndKeepsLeftAndRight) {
    struct View {
        Vector3 direction;
        Vector3 position;
    };
    const View views[] = {
        {Vector3(1, 0, 0), Vector3(20, -1, 0)},
        {Vector3(0, 0, 1), Vector3(0, -1, 20)},
        {Vector3(-1, 0, 0), Vector3(-20, -1, 0)},
        {Vector3(0, 0, -1), Vector3(0, -1, -20)},
    };
    for (const View& view : views) {
        SCOPED_TRACE(testing::Message()
                     << "looking along " << view.direction.x << ", " << view.direction.z);
        gl->direction = view.direction;
        gl->applyCamera();
        for (bool mirrored : {false, true}) {
            gl->clear();
            gl->textures->drawBillboard(9, view.position, 2.0f, mirrored);
            EXPECT_EQ(colourAt(310, 240), mirrored ? Colour::Blue : Colour::Red);
            EXPECT_EQ(colourAt(330, 240), mirrored ? Colour::Red : Colour::Blue);
            EXPECT_EQ(colourAt(320, 200), Colour::Black);  // it stands on its position
        }
    }
    EXPECT_FALSE(glFlag(GL_TEXTURE_2D));
}

TEST_F(BillboardTest, Sprite3DStandsOnItsPositionTurnedAboutTheVerticalAxis) {
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    gl->textures->drawSprite3D(9, Vector3(20, 0, 0), 2.0f, 90.0f, false);
    // The quad spans y 0 to 2: above the centre row only.
    EXPECT_EQ(colourAt(310, 235), Colour::Red);
    EXPECT_EQ(colourAt(310, 245), Colour::Black);
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(after[i], before[i]);

    // Turned edge-on (angle 0 puts it in the plane z = 0 of the view axis).
    gl->clear();
    gl->textures->drawSprite3D(9, Vector3(20, 0, 0), 2.0f, 0.0f, false);
    EXPECT_EQ(colourAt(310, 235), Colour::Black);
    EXPECT_EQ(colourAt(330, 235), Colour::Black);

    // Unknown ids draw nothing.
    gl->clear();
    gl->textures->drawSprite3D(10, Vector3(20, 0, 0), 2.0f, 90.0f, false);
    EXPECT_EQ(colourAt(310, 235), Colour::Black);
}
