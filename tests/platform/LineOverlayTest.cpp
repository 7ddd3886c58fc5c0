#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/GLContext.h"
#include "platform/LineOverlay.h"
#include "support/GLTestFixture.h"

namespace {

using LineOverlayTest = GLTestFixture;

// A horizontal line across the middle of the picture at depth z (-1 near,
// 1 far), under identity matrices.
void middleLine(float z) {
    glBegin(GL_LINES);
    glVertex3f(-1.0f, 0.0f, z);
    glVertex3f(1.0f, 0.0f, z);
    glEnd();
}

TEST_F(LineOverlayTest, LinesShowThroughNearerSurfacesAndTheStateComesBack) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    for (bool texturing : {false, true}) {
        for (bool depthWrites : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << "texturing " << texturing << " depth writes " << depthWrites);
            gl->setDepthWrites(true);  // the clear clears depth only then
            gl->clear();
            // A near white square over the middle, depth written.
            gl->setTexturing(false);
            gl->setDepthFunction(GL_LESS);
            glColor3ub(255, 255, 255);
            glRectf(-0.5f, -0.5f, 0.5f, 0.5f);
            gl->setTexturing(texturing);
            gl->setDepthWrites(depthWrites);
            gl->setDepthFunction(GL_LEQUAL);
            glColor3ub(10, 20, 30);
            glLineWidth(1.0f);
            middleLine(0.9f);  // behind the square: hidden there
            Pixel hidden = readPixel(320, 240);
            EXPECT_EQ(hidden.g, 255);
            {
                LineOverlay lines(*gl, 3.0f, 255, 0, 255);
                EXPECT_FALSE(gl->texturing());
                middleLine(0.9f);
            }
            const Pixel shown = readPixel(320, 240);
            EXPECT_EQ(shown.r, 255);
            EXPECT_EQ(shown.g, 0);
            EXPECT_EQ(shown.b, 255);
            EXPECT_EQ(gl->texturing(), texturing);
            EXPECT_EQ(gl->depthWrites(), depthWrites);
            EXPECT_EQ(gl->depthFunction(), GL_LEQUAL);
            float width = 0.0f, colour[4] = {};
            glGetFloatv(GL_LINE_WIDTH, &width);
            glGetFloatv(GL_CURRENT_COLOR, colour);
            EXPECT_EQ(width, 1.0f);
            EXPECT_NEAR(colour[0] * 255.0f, 10.0f, 0.5f);
            EXPECT_NEAR(colour[2] * 255.0f, 30.0f, 0.5f);
        }
    }
    gl->setTexturing(false);
    gl->setDepthWrites(true);
    gl->setDepthFunction(GL_LESS);
}

}  // namespace
