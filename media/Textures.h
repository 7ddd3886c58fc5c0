#pragma once
#include <cstdint>
#include <vector>

class TextureTable;
struct Picture;

// The transparent key colour of every colour-keyed image.
constexpr uint8_t ColourKeyRed = 159;
constexpr uint8_t ColourKeyGreen = 0;
constexpr uint8_t ColourKeyBlue = 159;

// Width x height RGB pixels (rows top down) copied to RGBA with alpha 255.
// Empty when the pixels are null or the size is not positive.
std::vector<uint8_t> rgbToRgba(const uint8_t* rgbPixels, int32_t width, int32_t height);

// An RGBA copy in which key-coloured pixels get alpha 0 (their colour is
// kept) and all others alpha 255; empty as rgbToRgba's.
std::vector<uint8_t> colourKeyedRgba(const uint8_t* rgbPixels, int32_t width, int32_t height);

// Uploads colourKeyedRgba's copy with nearest filtering. False when
// nothing was uploaded (null pixels, size below 1, no table).
bool createColourKeyTexture(TextureTable* table, const uint8_t* rgbPixels, int32_t width,
                            int32_t height, int32_t id);

// Uploads an RGBA copy whose alpha is alpha x 255 truncated (alpha clamped to
// 0..1) on every pixel, with linear filtering.
bool createUniformAlphaTexture(TextureTable* table, const uint8_t* rgbPixels, int32_t width,
                               int32_t height, int32_t id, float alpha);

// Makes texture id of a picture (its RGBA as they are, linear filtering), or
// gives an existing texture id the picture's pixels.
bool createPictureTexture(TextureTable* table, const Picture& picture, int32_t id);
