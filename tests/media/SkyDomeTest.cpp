#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/GLTestFixture.h"
#include "media/SkyDome.h"
#include "platform/DisplayListIds.h"
#include "platform/GLContext.h"

using SkyDomeTest = GLTestFixture;

TEST_F(SkyDomeTest, RaisesSlicesAndStacksToThree) {
    SkyDome sky(*gl, 100.0f, 2, 1, 1);
    EXPECT_EQ(sky.slices(), 3);
    EXPECT_EQ(sky.stacks(), 3);
    EXPECT_EQ(sky.sphereVertices().size(), 2u * 3u * 3u * 4u);
}

TEST_F(SkyDomeTest, QuadsRunDownwardsInAngleFromZeroInStepsOfTheSlice) {
    SkyDome sky(*gl, 950.0f, 16, 20, 1);
    const std::vector<SkyDome::Vertex> v = sky.sphereVertices();
    ASSERT_EQ(v.size(), 2u * 20u * 16u * 4u);
    // Each band: its first quad spans the angles 0 and -22.5 degrees.
    for (int32_t band = 0; band < 40; ++band) {
        SCOPED_TRACE(testing::Message() << "band " << band);
        const SkyDome::Vertex* quad = &v[static_cast<size_t>(band) * 16 * 4];
        EXPECT_FLOAT_EQ(quad[0].s, 0.0f);
        EXPECT_FLOAT_EQ(quad[1].s, -22.5f / 360.0f);
        EXPECT_FLOAT_EQ(quad[2].s, -22.5f / 360.0f);
        EXPECT_FLOAT_EQ(quad[3].s, 0.0f);
        // Corners 0, 1 lie on the band's lower ring, 2, 3 on its upper one.
        EXPECT_FLOAT_EQ(quad[0].y, quad[1].y);
        EXPECT_NEAR(quad[3].y - quad[0].y, 47.5f, 1e-3f);
        EXPECT_NEAR(quad[0].z, 0.0f, 1e-3f);
        EXPECT_LE(quad[1].z, 0.0f);  // the angle runs from 0 downwards: towards -z
    }
    // The last quad of a band closes the ring at -360 degrees.
    const SkyDome::Vertex& closing = v[15 * 4 + 1];
    EXPECT_FLOAT_EQ(closing.s, -1.0f);
    EXPECT_NEAR(closing.z, 0.0f, 1e-2f);
}

TEST_F(SkyDomeTest, RingsLieOnTheSphereEvenlyInHeightAndCloseAtThePoles) {
    SkyDome sky(*gl, 950.0f, 16, 20, 1);
    for (int32_t k = -20; k <= 20; ++k) {
        SCOPED_TRACE(testing::Message() << "k " << k);
        for (const float angle : {0.0f, -22.5f, -135.0f, -337.5f}) {
            const SkyDome::Vertex v = sky.vertexAt(k, angle);
            EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 950.0f, 1e-2f);
            EXPECT_NEAR(v.y, 47.5f * k, 1e-3f);
            EXPECT_NEAR(v.t, 1.0f - k / 20.0f, 1e-6f);
            EXPECT_FLOAT_EQ(v.s, angle / 360.0f);
        }
    }
    const SkyDome::Vertex top = sky.vertexAt(20, -45.0f);
    EXPECT_EQ(top.x, 0.0f);
    EXPECT_EQ(top.z, 0.0f);
    EXPECT_FLOAT_EQ(top.y, 950.0f);
    EXPECT_FLOAT_EQ(top.t, 0.0f);
    const SkyDome::Vertex bottom = sky.vertexAt(-20, -45.0f);
    EXPECT_EQ(bottom.x, 0.0f);
    EXPECT_EQ(bottom.z, 0.0f);
    EXPECT_FLOAT_EQ(bottom.y, -950.0f);
    EXPECT_FLOAT_EQ(bottom.t, 2.0f);
    // The horizon ring has the full radius.
    EXPECT_FLOAT_EQ(sky.vertexAt(0, 0.0f).x, 950.0f);
}

TEST_F(SkyDomeTest, TakesANewDisplayListIdAndDeletesItsList) {
    const int32_t before = nextDisplayListId();
    int32_t id = 0;
    {
        SkyDome sky(*gl, 100.0f, 16, 20, 1);
        id = sky.displayListId();
        EXPECT_EQ(id, before + 1);
        EXPECT_TRUE(glIsList(static_cast<GLuint>(id)));
        EXPECT_EQ(glInteger(GL_LIST_INDEX), 0);  // not left compiling
    }
    EXPECT_FALSE(glIsList(static_cast<GLuint>(id)));
    EXPECT_EQ(nextDisplayListId(), before + 2);  // ids are never reused
}

TEST_F(SkyDomeTest, DrawingLeavesCullingAndDepthWritesOnTexturingOffAndTheDepthBufferAlone) {
    const uint8_t white[4] = {255, 255, 255, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(white, 1, 1, 1, 0));
    SkyDome sky(*gl, 950.0f, 16, 20, 1);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    GLfloat before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    sky.drawSkyDome(gl->eye, 30.0f);
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    EXPECT_EQ(glInteger(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_FALSE(glFlag(GL_TEXTURE_2D));
    GLfloat after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(after[i], before[i]);

    // The sky shows everywhere, but the depth buffer still holds the far value.
    EXPECT_EQ(readPixel(320, 240).g, 255);
    EXPECT_EQ(readPixel(2, 2).g, 255);
    GLfloat depth = 0;
    glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_FLOAT_EQ(depth, 1.0f);
}

// A sky image of two rows, blue above green, and two columns, red and yellow
// for the second: looking up shows the top row, just above the horizon the
// bottom row; s runs the other way round the horizon.
TEST_F(SkyDomeTest, TheImageTopIsAtTheZenithAndItGoesOnceRoundTheHorizon) {
    const uint8_t rows[8] = {0, 0, 255, 255, 0, 255, 0, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(rows, 1, 2, 1, 0));
    SkyDome sky(*gl, 950.0f, 16, 20, 1);

    const float r = std::sqrt(10.0f);
    gl->direction = Vector3(1 / r, 3 / r, 0);  // about 71.6 degrees up
    gl->up = Vector3(-3 / r, 1 / r, 0);
    gl->applyCamera();
    sky.drawSkyDome(gl->eye, 0.0f);
    EXPECT_EQ(readPixel(320, 240).b, 255);

    gl->direction = Vector3(1 / r, -3 / r, 0);  // looking down: the image again below the horizon
    gl->up = Vector3(3 / r, 1 / r, 0);
    gl->applyCamera();
    sky.drawSkyDome(gl->eye, 0.0f);
    EXPECT_EQ(readPixel(320, 240).g, 255);

    const float s = std::sqrt(1.0f + 0.36f * 0.36f);
    gl->direction = Vector3(1 / s, 0.36f / s, 0);  // about 20 degrees up
    gl->up = Vector3(-0.36f / s, 1 / s, 0);
    gl->applyCamera();
    sky.drawSkyDome(gl->eye, 0.0f);
    EXPECT_EQ(readPixel(320, 240).g, 255);

    const uint8_t columns[8] = {255, 0, 0, 255, 255, 255, 0, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(columns, 2, 1, 1, 0));
    gl->up = Vector3(0, 1, 0);
    gl->direction = Vector3(0, 0, 1);  // angle -270: s = 0.25, red
    gl->applyCamera();
    sky.drawSkyDome(gl->eye, 0.0f);
    Pixel p = readPixel(320, 240);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
    gl->direction = Vector3(0, 0, -1);  // angle -90: s = 0.75, yellow
    gl->applyCamera();
    sky.drawSkyDome(gl->eye, 0.0f);
    p = readPixel(320, 240);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 255);
    // Turned half round, the sky shows the other half in the same direction.
    sky.drawSkyDome(gl->eye, 180.0f);
    p = readPixel(320, 240);
    EXPECT_EQ(p.r, 255);
    EXPECT_EQ(p.g, 0);
}

TEST_F(SkyDomeTest, FollowsThePositionItIsDrawnAt) {
    const uint8_t white[4] = {255, 255, 255, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(white, 1, 1, 1, 0));
    SkyDome sky(*gl, 50.0f, 16, 20, 1);
    // Centred far behind the eye, the small sphere is out of sight.
    sky.drawSkyDome(Vector3(-500, 0, 0), 0.0f);
    EXPECT_EQ(readPixel(320, 240).r, 0);
    sky.drawSkyDome(Vector3(200, 0, 0), 0.0f);
    EXPECT_EQ(readPixel(320, 240).r, 255);
    EXPECT_EQ(readPixel(5, 5).r, 0);
}
