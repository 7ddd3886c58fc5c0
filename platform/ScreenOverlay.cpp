#include "platform/ScreenOverlay.h"

#include <GL/gl.h>

#include <cstdlib>

#include "platform/GLContext.h"

ScreenOverlay::ScreenOverlay(GLContext& gl_) : gl(gl_), entered(!gl_.in2D()) {
    if (entered)
        gl.enter2D();
    else
        glGetFloatv(GL_PROJECTION_MATRIX, outerProjection);
}

ScreenOverlay::~ScreenOverlay() {
    if (textureSaved) {
        gl.bindTexture(textureBefore);
        gl.setTexturing(texturingBefore);
    }
    if (entered) {
        gl.leave2D();
    } else {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(outerProjection);
    }
}

void ScreenOverlay::saveTexture() {
    if (textureSaved)
        return;
    texturingBefore = gl.texturing();
    textureBefore = gl.boundTexture();
    textureSaved = true;
}

void ScreenOverlay::bindTexture(int32_t id) {
    saveTexture();
    gl.setTexturing(true);
    gl.bindTexture(id);
}

void ScreenOverlay::untextured() {
    saveTexture();
    gl.setTexturing(false);
}

void fillRectWithTexture(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t textureId,
                         bool tiled, float texelScale) {
    if (!currentGLContext)
        return;
    float s1 = 1.0f;
    float t1 = 1.0f;
    if (tiled) {
        s1 = static_cast<float>(std::abs(x2 - x1)) * texelScale;
        t1 = static_cast<float>(std::abs(y2 - y1)) * texelScale;
    }
    ScreenOverlay overlay(*currentGLContext);
    overlay.bindTexture(textureId);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(x1, y1);
    glTexCoord2f(s1, 0.0f);
    glVertex2i(x2, y1);
    glTexCoord2f(s1, t1);
    glVertex2i(x2, y2);
    glTexCoord2f(0.0f, t1);
    glVertex2i(x1, y2);
    glEnd();
}
