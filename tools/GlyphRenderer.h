#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/Canvas.h"

// Rasterises characters of one TrueType font with FreeType.
class GlyphRenderer {
public:
    struct Mask {
        int width = 0, height = 0;
        int left = 0;                   // pen to the mask's left column
        int top = 0;                    // baseline to the mask's top row (upwards)
        int advance = 0;                // pen advance in pixels
        std::vector<uint8_t> coverage;  // width x height, 0..255
        uint8_t at(int x, int y) const {
            return (x < 0 || y < 0 || x >= width || y >= height) ? 0
                                                                 : coverage[size_t(y) * width + x];
        }
    };

    // widthScale below 1 narrows every glyph of drawText and textWidth (a condensed look).
    explicit GlyphRenderer(const std::string& fontPath, float widthScale = 1.0f);
    ~GlyphRenderer();
    GlyphRenderer(const GlyphRenderer&) = delete;
    GlyphRenderer& operator=(const GlyphRenderer&) = delete;

    bool ok() const { return face_ != nullptr; }
    // pixelWidth 0 keeps the font's proportions; a larger value widens the glyph.
    Mask glyph(uint32_t code, int pixelSize, int pixelWidth = 0) const;
    int textWidth(const char* text, int pixelSize) const;
    // Height of a capital letter above the baseline.
    int capHeight(int pixelSize) const;

    // Anti-aliased text with its pen starting at x and its baseline on row baseline.
    void drawText(Canvas& canvas, int x, int baseline, const char* text, int pixelSize,
                  Rgb colour) const;
    // Text whose capitals are centred on (cx, cy).
    void drawCentred(Canvas& canvas, int cx, int cy, const char* text, int pixelSize,
                     Rgb colour) const;

private:
    int widthFor(int pixelSize) const;

    void* library_ = nullptr;
    void* face_ = nullptr;
    float widthScale_ = 1.0f;
};
