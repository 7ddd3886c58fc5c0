#pragma once
#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// Transparent key colour of every colour-keyed image.
constexpr Rgb KeyColour{159, 0, 159};

Rgb mixRgb(Rgb a, Rgb b, float t);  // t = 0 gives a, 1 gives b
Rgb shadeRgb(Rgb c, float factor);  // multiplies, clamped
Rgb rgbOf(int r, int g, int b);     // clamps each channel to 0..255

// An RGB picture with rows from the top down, as the raw image format stores it.
// Every drawing call clips to the picture; rectangles are inclusive.
class Canvas {
public:
    Canvas(int width, int height, Rgb fill);

    int width() const { return width_; }
    int height() const { return height_; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Rgb get(int x, int y) const;
    void set(int x, int y, Rgb c);
    void blend(int x, int y, Rgb c, float alpha);

    void fillRect(int x0, int y0, int x1, int y1, Rgb c);
    void frameRect(int x0, int y0, int x1, int y1, Rgb c);
    void verticalGradient(int x0, int y0, int x1, int y1, Rgb top, Rgb bottom);
    // Raised (or sunken) box: light top-left edge, dark bottom-right edge.
    void bevelBox(int x0, int y0, int x1, int y1, Rgb face, bool raised);
    void fillEllipse(float cx, float cy, float rx, float ry, Rgb c);
    void fillPolygon(const std::vector<float>& xy, Rgb c);
    void line(float x0, float y0, float x1, float y1, float thickness, Rgb c);

    // Copies src with its top-left at (dx, dy); key-coloured source pixels are skipped.
    void paste(const Canvas& src, int dx, int dy);
    // Area-averaged reduction/enlargement of src into the rectangle (dx, dy, dw x dh).
    void pasteScaled(const Canvas& src, int dx, int dy, int dw, int dh);
    Canvas mirrored() const;

    const std::vector<uint8_t>& bytes() const { return pixels_; }

private:
    int width_;
    int height_;
    std::vector<uint8_t> pixels_;
};
