#include "tools/GlyphRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

GlyphRenderer::GlyphRenderer(const std::string& fontPath, float widthScale)
        : widthScale_(widthScale) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return;
    library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Face(library, fontPath.c_str(), 0, &face) != 0)
        return;
    face_ = face;
}

GlyphRenderer::~GlyphRenderer() {
    if (face_)
        FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

GlyphRenderer::Mask GlyphRenderer::glyph(uint32_t code, int pixelSize, int pixelWidth) const {
    Mask mask;
    if (!face_)
        return mask;
    FT_Face face = static_cast<FT_Face>(face_);
    FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(pixelWidth), static_cast<FT_UInt>(pixelSize));
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        return mask;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    mask.width = static_cast<int>(bitmap.width);
    mask.height = static_cast<int>(bitmap.rows);
    mask.left = face->glyph->bitmap_left;
    mask.top = face->glyph->bitmap_top;
    mask.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    mask.coverage.resize(size_t(mask.width) * mask.height);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x)
            mask.coverage[size_t(y) * mask.width + x] = bitmap.buffer[y * bitmap.pitch + x];
    return mask;
}

int GlyphRenderer::widthFor(int pixelSize) const {
    return widthScale_ == 1.0f ? 0 : static_cast<int>(pixelSize * widthScale_ + 0.5f);
}

int GlyphRenderer::textWidth(const char* text, int pixelSize) const {
    int width = 0;
    for (const char* p = text; *p; ++p)
        width += glyph(static_cast<unsigned char>(*p), pixelSize, widthFor(pixelSize)).advance;
    return width;
}

int GlyphRenderer::capHeight(int pixelSize) const {
    return glyph('H', pixelSize).top;
}

void GlyphRenderer::drawText(Canvas& canvas, int x, int baseline, const char* text, int pixelSize,
                             Rgb colour) const {
    int pen = x;
    for (const char* p = text; *p; ++p) {
        const Mask m = glyph(static_cast<unsigned char>(*p), pixelSize, widthFor(pixelSize));
        for (int y = 0; y < m.height; ++y)
            for (int gx = 0; gx < m.width; ++gx)
                if (m.at(gx, y))
                    canvas.blend(pen + m.left + gx, baseline - m.top + y, colour,
                                 m.at(gx, y) / 255.0f);
        pen += m.advance;
    }
}

void GlyphRenderer::drawCentred(Canvas& canvas, int cx, int cy, const char* text, int pixelSize,
                                Rgb colour) const {
    const int width = textWidth(text, pixelSize);
    const int cap = capHeight(pixelSize);
    drawText(canvas, cx - width / 2, cy + (cap + 1) / 2, text, pixelSize, colour);
}
