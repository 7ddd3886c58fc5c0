#include <GL/gl.h>

#include <gtest/gtest.h>

#include "GLTestFixture.h"
#include "platform/GLContext.h"

namespace {

constexpr float tolerance = 1e-3f;

void expectNear(const Vector3& actual, const Vector3& expected, float within = tolerance) {
    EXPECT_NEAR(actual.x, expected.x, within);
    EXPECT_NEAR(actual.y, expected.y, within);
    EXPECT_NEAR(actual.z, expected.z, within);
}

// A textured quad of one opaque colour, drawn in screen pixels.
GLuint makeSolidTexture(GLuint name, uint8_t r, uint8_t g, uint8_t b) {
    const uint8_t texel[4 * 4] = {r, g, b, 255, r, g, b, 255, r, g, b, 255, r, g, b, 255};
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return name;
}

}  // namespace

using GLContextTest = GLTestFixture;

TEST_F(GLContextTest, NewContextHasStartCameraFrustumAndFlags) {
    EXPECT_EQ(gl->eye, Vector3(0, 0, 0));
    EXPECT_EQ(gl->direction, Vector3(1, 0, 0));
    EXPECT_EQ(gl->up, Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(gl->frustum.left, -1.0f);
    EXPECT_FLOAT_EQ(gl->frustum.right, 1.0f);
    EXPECT_FLOAT_EQ(gl->frustum.bottom, -0.75f);
    EXPECT_FLOAT_EQ(gl->frustum.top, 0.75f);
    EXPECT_FLOAT_EQ(gl->frustum.near, 1.5f);
    EXPECT_FLOAT_EQ(gl->frustum.far, 1000.0f);
    EXPECT_EQ(gl->width, 640);
    EXPECT_EQ(gl->height, 480);
    EXPECT_FALSE(gl->alphaTestOn);
    EXPECT_FALSE(gl->blendingOn);
    ASSERT_NE(gl->textures, nullptr);
    EXPECT_EQ(gl->textures->recordCount(), 0);
    EXPECT_FALSE(gl->lights.enabled);
    for (const GLContext::Light& light : gl->lights.lights)
        EXPECT_FALSE(light.on);

    // The driver agrees: depth test and back-face culling on, alpha test and
    // blending off, the viewport covers the window.
    EXPECT_TRUE(glFlag(GL_DEPTH_TEST));
    EXPECT_TRUE(glFlag(GL_CULL_FACE));
    EXPECT_EQ(glInteger(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_FALSE(glFlag(GL_ALPHA_TEST));
    EXPECT_FALSE(glFlag(GL_BLEND));
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
}
