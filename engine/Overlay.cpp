#include "engine/Overlay.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "platform/GLContext.h"

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

    const GLboolean texturingWasOn = glIsEnabled(GL_TEXTURE_2D);
    GLint boundTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &boundTexture);

    currentGLContext->enter2D();
    if (!texturingWasOn)
        glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(textureId));
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
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(boundTexture));
    if (!texturingWasOn)
        glDisable(GL_TEXTURE_2D);
    currentGLContext->leave2D();
}

std::array<std::string, 5> materialHudLines(const FaceMaterial& material) {
    const struct {
        const char* format;
        int32_t value;
    } lines[5] = {
        {"X ZOOM %d", material.scaleU},   {"Y ZOOM %d", material.scaleV},
        {"DIR %d", material.rotation},    {"START X %d", material.offsetU},
        {"START Y %d", material.offsetV},
    };
    std::array<std::string, 5> texts;
    char text[50] = {};
    for (size_t k = 0; k < texts.size(); ++k) {
        std::snprintf(text, sizeof text, lines[k].format, lines[k].value);
        texts[k] = text;
    }
    return texts;
}
