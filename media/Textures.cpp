#include "media/Textures.h"

#include <cmath>
#include <limits>
#include <new>

#include "media/Picture.h"
#include "platform/TextureTable.h"

std::vector<uint8_t> rgbToRgba(const uint8_t* rgbPixels, int32_t width, int32_t height) {
    std::vector<uint8_t> rgba;
    if (!rgbPixels || width <= 0 || height <= 0)
        return rgba;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (pixels > std::numeric_limits<size_t>::max() / 4)
        return rgba;
    try {
        rgba.resize(pixels * 4);
    } catch (const std::bad_alloc&) {
        return std::vector<uint8_t>();
    }
    for (size_t i = 0; i < pixels; ++i) {
        rgba[i * 4 + 0] = rgbPixels[i * 3 + 0];
        rgba[i * 4 + 1] = rgbPixels[i * 3 + 1];
        rgba[i * 4 + 2] = rgbPixels[i * 3 + 2];
        rgba[i * 4 + 3] = 255;
    }
    return rgba;
}

std::vector<uint8_t> colourKeyedRgba(const uint8_t* rgbPixels, int32_t width, int32_t height) {
    std::vector<uint8_t> rgba = rgbToRgba(rgbPixels, width, height);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] == ColourKeyRed && rgba[i + 1] == ColourKeyGreen &&
            rgba[i + 2] == ColourKeyBlue)
            rgba[i + 3] = 0;
    }
    return rgba;
}

bool createColourKeyTexture(TextureTable* table, const uint8_t* rgbPixels, int32_t width,
                            int32_t height, int32_t id) {
    if (!table)
        return false;
    const std::vector<uint8_t> rgba = colourKeyedRgba(rgbPixels, width, height);
    if (rgba.empty())
        return false;
    return table->uploadTexture(rgba.data(), width, height, id, 0);
}

bool createUniformAlphaTexture(TextureTable* table, const uint8_t* rgbPixels, int32_t width,
                               int32_t height, int32_t id, float alpha) {
    if (!table)
        return false;
    std::vector<uint8_t> rgba = rgbToRgba(rgbPixels, width, height);
    if (rgba.empty())
        return false;
    // Out-of-range (or NaN) alphas would not fit a byte: clamp them.
    float clamped = std::isnan(alpha) ? 0.0f : alpha;
    clamped = clamped < 0.0f ? 0.0f : (clamped > 1.0f ? 1.0f : clamped);
    const uint8_t alphaByte = static_cast<uint8_t>(clamped * 255.0f);
    for (size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = alphaByte;
    return table->uploadTexture(rgba.data(), width, height, id, 1);
}

bool createPictureTexture(TextureTable* table, const Picture& picture, int32_t id) {
    if (!table || picture.empty() ||
        picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return false;
    return table->replaceTexture(picture.rgba.data(), picture.width, picture.height, id, 1);
}
