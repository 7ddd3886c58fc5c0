#include <algorithm>
#include <cstring>

#include "tools/Art.h"

namespace {
constexpr Rgb GlyphOutline{24, 22, 30};
constexpr int Cell = 16;
constexpr int BaselineInCell = 13;  // row of the baseline inside a cell

// The characters in cell order; the last entry is the byte 169 (a copyright sign).
const char Characters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-*/.,:;|<>'!";

// Coverage mask of one character: widened to fill the cell, then narrowed
// (and, for tall glyphs, lowered in size) until it fits inside the outline.
GlyphRenderer::Mask fittedGlyph(const GlyphRenderer& glyphs, uint32_t code) {
    for (int size = 15; size > 8; --size)
        for (int width = size + 3; width >= size - 4; --width) {
            GlyphRenderer::Mask m = glyphs.glyph(code, size, width);
            if (m.width <= Cell - 2 && m.height <= Cell - 2)
                return m;
        }
    return glyphs.glyph(code, 8);
}

// Draws a mask into the cell at (cx, cy): solid white body, softened edge, dark rim.
void drawGlyphCell(Canvas& font, int cx, int cy, const GlyphRenderer::Mask& m) {
    Canvas cell(Cell, Cell, KeyColour);
    const int ox = (Cell - m.width) / 2;
    // On the common baseline where possible; descenders move the glyph up to stay inside the cell.
    const int oy = std::clamp(BaselineInCell - m.top, 1, Cell - 1 - m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const int c = m.at(x, y);
            if (c < 90)
                continue;
            // Partly covered edge pixels get a light grey: still crisp when modulated by a colour.
            const float t = std::min(1.0f, (c - 90) / 110.0f);
            cell.set(ox + x, oy + y, mixRgb(Rgb{150, 150, 155}, Rgb{255, 255, 255}, t));
        }
    Canvas outlined = cell;
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x) {
            if (cell.get(x, y) != KeyColour)
                continue;
            bool nearGlyph = false;
            for (int dy = -1; dy <= 1 && !nearGlyph; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (cell.contains(nx, ny) && cell.get(nx, ny) != KeyColour) {
                        nearGlyph = true;
                        break;
                    }
                }
            if (nearGlyph)
                outlined.set(x, y, GlyphOutline);
        }
    for (int y = 0; y < Cell; ++y)
        for (int x = 0; x < Cell; ++x)
            font.set(cx + x, cy + y, outlined.get(x, y));
}

// The glyph for characters the font has no cell for: a framed question mark.
void drawFallbackCell(Canvas& font, const GlyphRenderer& glyphs, int cx, int cy) {
    Canvas cell(Cell, Cell, KeyColour);
    cell.frameRect(1, 1, 14, 14, GlyphOutline);
    cell.frameRect(2, 2, 13, 13, Rgb{255, 255, 255});
    cell.frameRect(3, 3, 12, 12, GlyphOutline);
    const GlyphRenderer::Mask q = glyphs.glyph('?', 10);
    const int ox = (Cell - q.width) / 2, oy = 12 - q.top;
    for (int y = 0; y < q.height; ++y)
        for (int x = 0; x < q.width; ++x)
            if (q.at(x, y) >= 110)
                cell.set(ox + x, oy + y, Rgb{255, 255, 255});
    font.paste(cell, cx, cy);
}
}  // namespace

Canvas makeFontImage(const GlyphRenderer& glyphs) {
    Canvas font(256, 128, KeyColour);
    const int count = static_cast<int>(std::strlen(Characters)) + 1;
    for (int i = 0; i < count; ++i) {
        const uint32_t code = i < count - 1 ? static_cast<unsigned char>(Characters[i]) : 169u;
        drawGlyphCell(font, (i % 16) * Cell, (i / 16) * Cell, fittedGlyph(glyphs, code));
    }
    drawFallbackCell(font, glyphs, 240, 112);
    return font;
}
