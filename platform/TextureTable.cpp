#include "platform/TextureTable.h"

#include <GL/gl.h>

#include <algorithm>
#include <new>
#include <cmath>
#include <utility>

#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/ScreenOverlay.h"

namespace {

// One textured quad in screen space, corner (left, top) showing (s0, t0).
void drawScreenQuad(const TexCoords& c, float left, float top, float right, float bottom) {
    glBegin(GL_QUADS);
    glTexCoord2f(c.s0, c.t0);
    glVertex2f(left, top);
    glTexCoord2f(c.s0, c.t1);
    glVertex2f(left, bottom);
    glTexCoord2f(c.s1, c.t1);
    glVertex2f(right, bottom);
    glTexCoord2f(c.s1, c.t0);
    glVertex2f(right, top);
    glEnd();
}

}  // namespace

TextureTable::TextureTable(GLContext* owner_) : owner(owner_) {}

TextureTable::~TextureTable() {
    deleteAllTextures();
}

bool TextureTable::uploadTexture(const uint8_t* rgbaPixels, int32_t width, int32_t height,
                                 int32_t id, uint8_t filterMode) {
    if (!rgbaPixels || width <= 0 || height <= 0 || !owner)
        return false;
    owner->bindTexture(id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    if (filterMode == 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    } else if (filterMode == 1) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 rgbaPixels);
    bool solid = true;
    const size_t texels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < texels && solid; ++i)
        solid = rgbaPixels[i * 4 + 3] == 255;
    try {
        opaqueById[id] = solid;
    } catch (const std::bad_alloc&) {
        opaqueById.erase(id);  // unknown: drawn with the alpha test
    }
    return records.append(TextureRecord{id, width, height});
}

bool TextureTable::replaceTexture(const uint8_t* rgbaPixels, int32_t width, int32_t height,
                                  int32_t id, uint8_t filterMode) {
    const int32_t index = findTexture(id);
    if (index < 0)
        return uploadTexture(rgbaPixels, width, height, id, filterMode);
    if (!uploadTexture(rgbaPixels, width, height, id, filterMode))
        return false;
    records.removeAt(records.count() - 1);
    records[index] = TextureRecord{id, width, height};
    return true;
}

bool TextureTable::opaque(int32_t id) const {
    const auto found = opaqueById.find(id);
    return found != opaqueById.end() && found->second;
}

int32_t TextureTable::findTexture(int32_t id) const {
    for (int32_t i = 0; i < records.count(); ++i) {
        if (records[i].id == id)
            return i;
    }
    return -1;
}

void TextureTable::deleteAllTextures() {
    opaqueById.clear();
    for (const TextureRecord& record : records) {
        const GLuint name = static_cast<GLuint>(record.id);
        glDeleteTextures(1, &name);
    }
    records.clear();
}

void TextureTable::setSourceRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    source.left = std::min(x1, x2);
    source.right = std::max(x1, x2);
    source.top = std::min(y1, y2);
    source.bottom = std::max(y1, y2);
    sourceActive = true;
}

void TextureTable::clearSourceRect() {
    sourceActive = false;
}

TexCoords TextureTable::getTexCoords(int32_t recordIndex) const {
    if (recordIndex < 0 || recordIndex >= records.count())
        return TexCoords{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const TextureRecord& record = records[recordIndex];
    const float w = static_cast<float>(record.width);
    const float h = static_cast<float>(record.height);
    if (!sourceActive)
        return TexCoords{0.0f, 0.0f, 1.0f, 1.0f, w, h};
    return TexCoords{static_cast<float>(source.left) / w,
                     static_cast<float>(source.top) / h,
                     static_cast<float>(source.right + 1) / w,
                     static_cast<float>(source.bottom + 1) / h,
                     static_cast<float>(source.right - source.left + 1),
                     static_cast<float>(source.bottom - source.top + 1)};
}

void TextureTable::drawSprite2D(int32_t id, int32_t x, int32_t y, float scale, bool centred,
                                bool mirrored, float angle) {
    const int32_t index = findTexture(id);
    if (index < 0 || !owner)
        return;
    TexCoords c = getTexCoords(index);
    const float w = c.w * scale;
    const float h = c.h * scale;
    if (centred) {
        x -= static_cast<int32_t>(w) / 2;
        y -= static_cast<int32_t>(h) / 2;
    }
    if (mirrored)
        std::swap(c.s0, c.s1);

    ScreenOverlay overlay(*owner);
    overlay.bindTexture(id);
    const float left = static_cast<float>(x);
    const float top = static_cast<float>(y);
    if (angle != 0.0f) {
        glTranslatef(left + 0.5f * w, top + 0.5f * h, 0.0f);
        glRotatef(angle, 0.0f, 0.0f, 1.0f);
        drawScreenQuad(c, -0.5f * w, -0.5f * h, 0.5f * w, 0.5f * h);
    } else {
        drawScreenQuad(c, left, top, left + w, top + h);
    }
}

void TextureTable::drawTextureRect(int32_t id, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int32_t index = findTexture(id);
    if (index < 0 || !owner)
        return;
    const TexCoords c = getTexCoords(index);
    ScreenOverlay overlay(*owner);
    overlay.bindTexture(id);
    drawScreenQuad(c, static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                   static_cast<float>(y2));
}

void TextureTable::drawSprite3D(int32_t id, const Vector3& position, float scale, float angle,
                                bool mirrored) {
    const int32_t index = findTexture(id);
    if (index < 0 || !owner)
        return;
    const TexCoords c = getTexCoords(index);
    const float halfWidth = scale * c.w * 0.5f;
    const float height = scale * c.h;
    // Mirroring swaps which edge of the texture lies on which side.
    const float leftS = mirrored ? c.s0 : c.s1;
    const float rightS = mirrored ? c.s1 : c.s0;

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(angle, 0.0f, 1.0f, 0.0f);
    owner->setTexturing(true);
    owner->bindTexture(id);
    glBegin(GL_QUADS);
    glTexCoord2f(leftS, c.t1);
    glVertex3f(-halfWidth, 0.0f, 0.0f);
    glTexCoord2f(leftS, c.t0);
    glVertex3f(-halfWidth, height, 0.0f);
    glTexCoord2f(rightS, c.t0);
    glVertex3f(halfWidth, height, 0.0f);
    glTexCoord2f(rightS, c.t1);
    glVertex3f(halfWidth, 0.0f, 0.0f);
    glEnd();
    owner->setTexturing(false);
    glPopMatrix();
}

bool TextureTable::spriteBounds(int32_t id, const Vector3& position, float scale, Vector3* low,
                                Vector3* high) const {
    const int32_t index = findTexture(id);
    if (index < 0)
        return false;
    const TexCoords c = getTexCoords(index);
    // As drawSprite3D places the quad: half the width either side of the
    // upright through position, the height above it.
    const float halfWidth = std::fabs(scale * c.w * 0.5f);
    const float height = scale * c.h;
    *low = Vector3(position.x - halfWidth, position.y + std::min(height, 0.0f),
                   position.z - halfWidth);
    *high = Vector3(position.x + halfWidth, position.y + std::max(height, 0.0f),
                    position.z + halfWidth);
    return true;
}

float TextureTable::billboardAngle(const Vector3& position, const Vector3& eye) {
    return 90.0f - headingDegrees(Vector2(position.x - eye.x, position.z - eye.z));
}

void TextureTable::drawBillboard(int32_t id, const Vector3& position, float scale, bool mirrored) {
    if (!owner)
        return;
    drawSprite3D(id, position, scale, billboardAngle(position, owner->eye), mirrored);
}
