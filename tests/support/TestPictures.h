#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/Picture.h"

// Pictures and picture files for tests: random pixels, PNG and JPEG bytes,
// and PNG files whose header claims another size.
namespace TestPictures {

// width x height random pixels; opaque ones have alpha 255 everywhere,
// the others a random alpha (some 0) in each pixel.
Picture random(int32_t width, int32_t height, uint32_t seed, bool opaque);
// One colour all over.
Picture filled(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
std::vector<uint8_t> png(const Picture& picture);
// Baseline JPEG through stb_image_write (colours only).
std::vector<uint8_t> jpeg(const Picture& picture, int quality = 95);
// A PNG of a 1 x 1 picture whose header, checksum made right, claims
// width x height pixels.
std::vector<uint8_t> pngClaiming(uint32_t width, uint32_t height);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace TestPictures
