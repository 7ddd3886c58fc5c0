#include "support/QuadrantTextureTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/GLContext.h"

void QuadrantTextureTest::SetUp() {
    GLTestFixture::SetUp();
    const std::vector<const uint8_t*> texels = {Red, Green, Blue, White};
    std::vector<uint8_t> rgba;
    for (const uint8_t* t : texels)
        rgba.insert(rgba.end(), {t[0], t[1], t[2], 255});
    ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), 2, 2, TextureId, 0));
    glBindTexture(GL_TEXTURE_2D, 0);
    glClearColor(0, 0, 0, 1);
    gl->clear();
    glColor4f(1, 1, 1, 1);
}

void QuadrantTextureTest::expectColour(const Pixel& p, const uint8_t* c) {
    EXPECT_EQ(p.r, c[0]);
    EXPECT_EQ(p.g, c[1]);
    EXPECT_EQ(p.b, c[2]);
}
