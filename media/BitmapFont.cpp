#include "media/BitmapFont.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/GLContext.h"
#include "platform/ScreenOverlay.h"

namespace {

// Cell i of the font image holds character i of this map; the last entry is
// the byte 169.
constexpr unsigned char CharacterMap[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-*/.,:;|<>'!\xA9";
constexpr int32_t CharacterCount = sizeof(CharacterMap) - 1;
static_assert(CharacterCount == 50, "the font has 50 mapped cells");

constexpr int32_t CellSize = 16;
constexpr int32_t CellsPerRow = 16;
constexpr float FontTextureWidth = 256.0f;
constexpr float FontTextureHeight = 128.0f;
constexpr BitmapFont::Cell FallbackCell = {240, 112};

// Pixel sizes scale by truncation; scales that would not fit are clamped.
int32_t scaled(int32_t base, float scale) {
    const float value = static_cast<float>(base) * scale;
    if (std::isnan(value))
        return 0;
    return static_cast<int32_t>(std::clamp(value, -1.0e6f, 1.0e6f));
}

}  // namespace

BitmapFont::BitmapFont(GLContext* owner_, int32_t textureId) : owner(owner_), texture(textureId) {}

BitmapFont::Cell BitmapFont::cellOf(char character) {
    unsigned char c = static_cast<unsigned char>(character);
    // Only ASCII letters change case: bytes above 127 are looked up as they are.
    if (c >= 'a' && c <= 'z')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    for (int32_t i = 0; i < CharacterCount; ++i) {
        if (CharacterMap[i] == c)
            return Cell{(i % CellsPerRow) * CellSize, (i / CellsPerRow) * CellSize};
    }
    return FallbackCell;
}

bool BitmapFont::hasGlyph(char character) {
    const Cell cell = cellOf(character);
    return cell.u != FallbackCell.u || cell.v != FallbackCell.v;
}

std::vector<BitmapFont::Glyph> BitmapFont::layoutText(int32_t x, int32_t y, const char* text,
                                                      bool centred, float scale) {
    std::vector<Glyph> glyphs;
    if (!text || !*text)
        return glyphs;
    const int32_t advance = scaled(18, scale);
    const int32_t size = scaled(CellSize, scale);
    if (centred) {
        int32_t lines = 1;
        int32_t longest = 0;
        int32_t current = 0;
        for (const char* p = text; *p; ++p) {
            if (*p == '\n') {
                ++lines;
                current = 0;
            } else {
                longest = std::max(longest, ++current);
            }
        }
        x -= static_cast<int32_t>((static_cast<int64_t>(advance) * longest) / 2);
        y -= static_cast<int32_t>((static_cast<int64_t>(advance) * lines) / 2);
    }
    int32_t penX = x;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            penX = x;
            y += advance;
            continue;
        }
        if (*p != ' ')
            glyphs.push_back(Glyph{penX, y, size, cellOf(*p)});
        penX += advance;
    }
    return glyphs;
}

void BitmapFont::drawText(int32_t x, int32_t y, const char* text, uint8_t red, uint8_t green,
                          uint8_t blue, bool centred, float scale, bool /*alreadyIn2D*/) const {
    if (!text || !*text || !owner)
        return;
    const std::vector<Glyph> glyphs = layoutText(x, y, text, centred, scale);

    owner->disableBlending();
    owner->enableAlphaTest();
    ScreenOverlay overlay(*owner);
    overlay.bindTexture(texture);
    glBegin(GL_QUADS);
    glColor3ub(red, green, blue);
    for (const Glyph& glyph : glyphs) {
        const float s0 = static_cast<float>(glyph.cell.u) / FontTextureWidth;
        const float t0 = static_cast<float>(glyph.cell.v) / FontTextureHeight;
        const float s1 = static_cast<float>(glyph.cell.u + CellSize) / FontTextureWidth;
        const float t1 = static_cast<float>(glyph.cell.v + CellSize) / FontTextureHeight;
        glTexCoord2f(s0, t0);
        glVertex2i(glyph.x, glyph.y);
        glTexCoord2f(s0, t1);
        glVertex2i(glyph.x, glyph.y + glyph.size);
        glTexCoord2f(s1, t1);
        glVertex2i(glyph.x + glyph.size, glyph.y + glyph.size);
        glTexCoord2f(s1, t0);
        glVertex2i(glyph.x + glyph.size, glyph.y);
    }
    glEnd();
    glColor3f(1.0f, 1.0f, 1.0f);
}

void BitmapFont::drawNumber(int32_t x, int32_t y, int32_t value, uint8_t red, uint8_t green,
                            uint8_t blue, bool centred, float scale, bool alreadyIn2D) const {
    char buffer[128];
    std::snprintf(buffer, sizeof(buffer), "%d", value);
    drawText(x, y, buffer, red, green, blue, centred, scale, alreadyIn2D);
}
