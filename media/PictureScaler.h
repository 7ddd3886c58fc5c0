#pragma once
#include <cstdint>

#include "media/Picture.h"

// Resizes pictures to the sizes every OpenGL 1.1 driver takes for a texture:
// each side a power of two, at most MaxTextureSide. Shrinking averages the
// source pixels each target pixel covers (a box filter), growing
// interpolates between the nearest two (bilinear), in both directions one
// after the other. Colours are weighted by their alpha, so transparent pixels
// lend a picture's edges no colour, and a picture without transparent pixels
// stays exactly opaque.
class PictureScaler {
public:
    static constexpr int32_t MaxTextureSide = 1024;

    // The power of two nearest to side (the larger from halfway between
    // two), at most MaxTextureSide; 1 for a side below 1.
    static int32_t textureSide(int32_t side);
    // picture at textureSide of its sides (a copy when already so); false
    // when there was no memory for it.
    static bool toTextureSize(const Picture& picture, Picture* out);
    // picture at width x height (both at least 1).
    static bool resize(const Picture& picture, int32_t width, int32_t height, Picture* out);
};
