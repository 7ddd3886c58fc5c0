#include "tools/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {
uint8_t clampByte(float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 255.0f)));
}
}  // namespace

Rgb mixRgb(Rgb a, Rgb b, float t) {
    return {clampByte(a.r + (b.r - a.r) * t), clampByte(a.g + (b.g - a.g) * t),
            clampByte(a.b + (b.b - a.b) * t)};
}

Rgb shadeRgb(Rgb c, float factor) {
    return {clampByte(c.r * factor), clampByte(c.g * factor), clampByte(c.b * factor)};
}

Rgb rgbOf(int r, int g, int b) {
    return {static_cast<uint8_t>(std::clamp(r, 0, 255)),
            static_cast<uint8_t>(std::clamp(g, 0, 255)),
            static_cast<uint8_t>(std::clamp(b, 0, 255))};
}

Canvas::Canvas(int width, int height, Rgb fill)
        : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height * 3) {
    for (size_t i = 0; i < pixels_.size(); i += 3) {
        pixels_[i] = fill.r;
        pixels_[i + 1] = fill.g;
        pixels_[i + 2] = fill.b;
    }
}

Rgb Canvas::get(int x, int y) const {
    if (!contains(x, y))
        return KeyColour;
    const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    return {pixels_[i], pixels_[i + 1], pixels_[i + 2]};
}

void Canvas::set(int x, int y, Rgb c) {
    if (!contains(x, y))
        return;
    const size_t i = (static_cast<size_t>(y) * width_ + x) * 3;
    pixels_[i] = c.r;
    pixels_[i + 1] = c.g;
    pixels_[i + 2] = c.b;
}

void Canvas::blend(int x, int y, Rgb c, float alpha) {
    if (!contains(x, y) || alpha <= 0.0f)
        return;
    const Rgb old = get(x, y);
    // Blending onto the key colour would leave purple fringes: treat it as empty.
    if (old == KeyColour) {
        if (alpha >= 0.5f)
            set(x, y, c);
        return;
    }
    set(x, y, mixRgb(old, c, std::min(alpha, 1.0f)));
}

void Canvas::fillRect(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x)
            set(x, y, c);
}

void Canvas::frameRect(int x0, int y0, int x1, int y1, Rgb c) {
    fillRect(x0, y0, x1, y0, c);
    fillRect(x0, y1, x1, y1, c);
    fillRect(x0, y0, x0, y1, c);
    fillRect(x1, y0, x1, y1, c);
}

void Canvas::verticalGradient(int x0, int y0, int x1, int y1, Rgb top, Rgb bottom) {
    const int span = std::max(1, y1 - y0);
    for (int y = y0; y <= y1; ++y)
        fillRect(x0, y, x1, y, mixRgb(top, bottom, float(y - y0) / span));
}

void Canvas::bevelBox(int x0, int y0, int x1, int y1, Rgb face, bool raised) {
    const Rgb light = mixRgb(face, Rgb{255, 255, 255}, 0.55f);
    const Rgb dark = shadeRgb(face, 0.45f);
    verticalGradient(x0, y0, x1, y1, mixRgb(face, Rgb{255, 255, 255}, raised ? 0.18f : 0.0f),
                     shadeRgb(face, raised ? 0.88f : 1.0f));
    const Rgb topLeft = raised ? light : dark;
    const Rgb bottomRight = raised ? dark : light;
    fillRect(x0, y0, x1, y0, topLeft);
    fillRect(x0, y0, x0, y1, topLeft);
    fillRect(x0, y1, x1, y1, bottomRight);
    fillRect(x1, y0, x1, y1, bottomRight);
}

void Canvas::fillEllipse(float cx, float cy, float rx, float ry, Rgb c) {
    // 4 x 4 supersampling gives soft edges on opaque backgrounds.
    for (int y = int(std::floor(cy - ry)) - 1; y <= int(std::ceil(cy + ry)) + 1; ++y) {
        for (int x = int(std::floor(cx - rx)) - 1; x <= int(std::ceil(cx + rx)) + 1; ++x) {
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const float px = x + (sx + 0.5f) / 4.0f - cx;
                    const float py = y + (sy + 0.5f) / 4.0f - cy;
                    if ((px * px) / (rx * rx) + (py * py) / (ry * ry) <= 1.0f)
                        ++inside;
                }
            if (inside)
                blend(x, y, c, inside / 16.0f);
        }
    }
}

void Canvas::fillPolygon(const std::vector<float>& xy, Rgb c) {
    const size_t n = xy.size() / 2;
    if (n < 3)
        return;
    float minY = xy[1], maxY = xy[1], minX = xy[0], maxX = xy[0];
    for (size_t i = 0; i < n; ++i) {
        minX = std::min(minX, xy[2 * i]);
        maxX = std::max(maxX, xy[2 * i]);
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    auto inside = [&](float px, float py) {
        bool in = false;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
    for (int y = int(std::floor(minY)); y <= int(std::ceil(maxY)); ++y)
        for (int x = int(std::floor(minX)); x <= int(std::ceil(maxX)); ++x) {
            int count = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f))
                        ++count;
            if (count)
                blend(x, y, c, count / 16.0f);
        }
}

void Canvas::line(float x0, float y0, float x1, float y1, float thickness, Rgb c) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0.0f) {
        fillEllipse(x0, y0, thickness / 2, thickness / 2, c);
        return;
    }
    const float nx = -dy / len * thickness / 2, ny = dx / len * thickness / 2;
    fillPolygon({x0 + nx, y0 + ny, x1 + nx, y1 + ny, x1 - nx, y1 - ny, x0 - nx, y0 - ny}, c);
}

void Canvas::paste(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const Rgb c = src.get(x, y);
            if (c != KeyColour)
                set(dx + x, dy + y, c);
        }
}

void Canvas::pasteScaled(const Canvas& src, int dx, int dy, int dw, int dh) {
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            // Average the source area that this destination pixel covers.
            const float sx0 = float(x) * src.width() / dw, sx1 = float(x + 1) * src.width() / dw;
            const float sy0 = float(y) * src.height() / dh, sy1 = float(y + 1) * src.height() / dh;
            float r = 0, g = 0, b = 0, n = 0;
            for (int sy = int(sy0); sy < std::max(int(sy0) + 1, int(std::ceil(sy1))); ++sy)
                for (int sx = int(sx0); sx < std::max(int(sx0) + 1, int(std::ceil(sx1))); ++sx) {
                    const Rgb c =
                        src.get(std::min(sx, src.width() - 1), std::min(sy, src.height() - 1));
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    n += 1;
                }
            set(dx + x, dy + y, {clampByte(r / n), clampByte(g / n), clampByte(b / n)});
        }
}

Canvas Canvas::mirrored() const {
    Canvas out(width_, height_, KeyColour);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            out.set(width_ - 1 - x, y, get(x, y));
    return out;
}
