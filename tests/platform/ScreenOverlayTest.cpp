#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "support/GLTestFixture.h"
#include "support/QuadrantTextureTest.h"
#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"

namespace {

using OverlayTest = QuadrantTextureTest;

TEST_F(OverlayTest, StretchesTheTextureOnceOverTheRectangle) {
    fillRectWithTexture(10, 20, 110, 120, 7, false, 1.0f);
    expectColour(readPixel(15, 25), Red);
    expectColour(readPixel(105, 25), Green);
    expectColour(readPixel(15, 115), Blue);
    expectColour(readPixel(105, 115), White);
    expectColour(readPixel(5, 25), (const uint8_t[3]){0, 0, 0});
    expectColour(readPixel(115, 115), (const uint8_t[3]){0, 0, 0});
}

TEST_F(OverlayTest, SwappedCornersMirrorThePicture) {
    fillRectWithTexture(110, 20, 10, 120, 7, false, 1.0f);
    expectColour(readPixel(15, 25), Green);
    expectColour(readPixel(105, 25), Red);
}

TEST_F(OverlayTest, TiledRepeatsEveryInverseTexelScalePixels) {
    // 16 pixels per repeat over 32 x 16: twice across, once down.
    fillRectWithTexture(0, 0, 32, 16, 7, true, 0.0625f);
    expectColour(readPixel(4, 4), Red);
    expectColour(readPixel(12, 4), Green);
    expectColour(readPixel(20, 4), Red);
    expectColour(readPixel(28, 4), Green);
    expectColour(readPixel(4, 12), Blue);
    expectColour(readPixel(28, 12), White);
}

TEST_F(OverlayTest, TheCurrentColourTintsTheTexture) {
    glColor4f(0, 1, 0, 1);
    fillRectWithTexture(0, 0, 100, 100, 7, false, 1.0f);
    expectColour(readPixel(80, 80), Green);
    expectColour(readPixel(10, 10), (const uint8_t[3]){0, 0, 0});
}

TEST_F(OverlayTest, LeavesTexturingAndBindingAsTheyWere) {
    glDisable(GL_TEXTURE_2D);
    fillRectWithTexture(0, 0, 10, 10, 7, false, 1.0f);
    EXPECT_FALSE(glFlag(GL_TEXTURE_2D));
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);

    glEnable(GL_TEXTURE_2D);
    fillRectWithTexture(0, 0, 10, 10, 7, false, 1.0f);
    EXPECT_TRUE(glFlag(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
}

TEST_F(OverlayTest, DrawsNothingWithoutACurrentContext) {
    GLContext* saved = currentGLContext;
    currentGLContext = nullptr;
    fillRectWithTexture(0, 0, 100, 100, 7, false, 1.0f);
    currentGLContext = saved;
    expectColour(readPixel(50, 50), (const uint8_t[3]){0, 0, 0});
}

// The texture's top-left texel over (x, y) to (x + 10, y + 10).
void redSquare(int32_t x, int32_t y) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.1f, 0.1f);
    glVertex2i(x, y);
    glTexCoord2f(0.1f, 0.1f);
    glVertex2i(x + 10, y);
    glTexCoord2f(0.1f, 0.1f);
    glVertex2i(x + 10, y + 10);
    glTexCoord2f(0.1f, 0.1f);
    glVertex2i(x, y + 10);
    glEnd();
}

TEST_F(OverlayTest, ScopedOverlaysNestAndPutBackWhatTheyTouched) {
    for (bool texturing : {false, true}) {
        for (bool culling : {false, true}) {
            SCOPED_TRACE(testing::Message() << "texturing " << texturing << " culling " << culling);
            texturing ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
            culling ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
            glBindTexture(GL_TEXTURE_2D, 5);
            glDepthFunc(GL_LEQUAL);
            gl->clear();
            GLfloat modelView[16], projection[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
            glGetFloatv(GL_PROJECTION_MATRIX, projection);
            {
                ScreenOverlay outer(*gl);
                EXPECT_TRUE(gl->in2D());
                EXPECT_FALSE(gl->culling());
                outer.bindTexture(7);
                {
                    // Transforms inside the inner overlay end with it.
                    ScreenOverlay inner(*gl);
                    glTranslatef(100.0f, 0.0f, 0.0f);
                    inner.bindTexture(7);
                    redSquare(0, 0);
                }
                EXPECT_TRUE(gl->in2D()) << "the inner overlay left the outer one's 2D mode";
                EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_ALWAYS);
                EXPECT_EQ(gl->boundTexture(), 7);
                redSquare(0, 20);
            }
            expectColour(readPixel(105, 5), Red);
            expectColour(readPixel(5, 5), (const uint8_t[3]){0, 0, 0});
            expectColour(readPixel(5, 25), Red);
            EXPECT_FALSE(gl->in2D());
            EXPECT_EQ(gl->texturing(), texturing);
            EXPECT_EQ(gl->culling(), culling);
            EXPECT_EQ(gl->boundTexture(), 5);
            EXPECT_EQ(glInteger(GL_DEPTH_FUNC), GL_LEQUAL);
            EXPECT_EQ(glInteger(GL_MATRIX_MODE), GL_MODELVIEW);
            GLfloat modelViewAfter[16], projectionAfter[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelViewAfter);
            glGetFloatv(GL_PROJECTION_MATRIX, projectionAfter);
            for (int i = 0; i < 16; ++i) {
                EXPECT_EQ(modelViewAfter[i], modelView[i]);
                EXPECT_EQ(projectionAfter[i], projection[i]);
            }
        }
    }
}

}  // namespace
