#include "media/SkyDome.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "platform/DisplayListIds.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"

SkyDome::SkyDome(GLContext& gl, float radius, int32_t slices, int32_t stacks, int32_t textureId)
        : sliceCount(std::max(slices, 3)), stackCount(std::max(stacks, 3)),
          listId(nextDisplayListId()), texture(textureId), sphereRadius(radius) {
    const GLuint list = static_cast<GLuint>(listId);
    if (glIsList(list))
        glDeleteLists(list, 1);
    glNewList(list, GL_COMPILE);
    gl.setCulling(false);
    gl.setTexturing(true);
    gl.setDepthWrites(false);
    gl.bindTexture(textureId);
    glBegin(GL_QUADS);
    for (const Vertex& v : sphereVertices()) {
        glTexCoord2f(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();
    gl.setTexturing(false);
    gl.setCulling(true);
    gl.setDepthWrites(true);
    glEndList();
}

SkyDome::~SkyDome() {
    const GLuint list = static_cast<GLuint>(listId);
    if (glIsList(list))
        glDeleteLists(list, 1);
}

SkyDome::Vertex SkyDome::vertexAt(int32_t k, float angle) const {
    const float height = static_cast<float>(k) / static_cast<float>(stackCount);
    const float ring = sphereRadius * std::sqrt(std::max(0.0f, 1.0f - height * height));
    const double radians = static_cast<double>(angle) * static_cast<double>(DegToRad);
    return Vertex{static_cast<float>(ring * std::cos(radians)),
                  static_cast<float>(k) * sphereRadius / static_cast<float>(stackCount),
                  static_cast<float>(ring * std::sin(radians)), angle / 360.0f, 1.0f - height};
}

std::vector<SkyDome::Vertex> SkyDome::sphereVertices() const {
    std::vector<Vertex> vertices;
    vertices.reserve(static_cast<size_t>(2 * stackCount) * static_cast<size_t>(sliceCount) * 4);
    const float step = 360.0f / static_cast<float>(sliceCount);
    for (int32_t band = -stackCount; band < stackCount; ++band) {
        for (int32_t i = 0; i < sliceCount; ++i) {
            const float a0 = -(static_cast<float>(i) * step);
            vertices.push_back(vertexAt(band, a0));
            vertices.push_back(vertexAt(band, a0 - step));
            vertices.push_back(vertexAt(band + 1, a0 - step));
            vertices.push_back(vertexAt(band + 1, a0));
        }
    }
    return vertices;
}

void SkyDome::drawSkyDome(const Vector3& position, float angle) const {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    if (angle != 0.0f)
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
    glCallList(static_cast<GLuint>(listId));
    glPopMatrix();
}

void SkyDome::drawBehind(GLContext& gl, const Vector3& position, float angle) const {
    GLdouble range[2] = {0.0, 1.0};
    glGetDoublev(GL_DEPTH_RANGE, range);
    const int32_t comparison = gl.depthFunction();
    // An opaque sky needs no alpha test: without it the rasteriser rejects
    // the hidden fragments before texturing them.
    const bool opaque = gl.alphaTestNeedlessFor(texture);
    if (opaque)
        gl.holdAlphaTestOff(true);
    glDepthRange(1.0, 1.0);
    gl.setDepthFunction(GL_LEQUAL);
    drawSkyDome(position, angle);
    gl.setDepthFunction(comparison);
    glDepthRange(range[0], range[1]);
    if (opaque)
        gl.holdAlphaTestOff(false);
}
