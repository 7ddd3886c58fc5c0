#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "media/Picture.h"

// Writes width x height 8-bit RGB pixels (rows from the top, no padding) as a
// PNG file. The file is replaced atomically: a failed write leaves an
// earlier file of that name as it was and no partial file behind. False when
// the file could not be written, with *why (when given) naming the cause.
bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height,
              std::string* why = nullptr);
// The same for RGBA pixels, alpha kept.
bool writeRgbaPng(const std::string& path, const uint8_t* rgba, int32_t width, int32_t height,
                  std::string* why = nullptr);

// The PNG file of width x height RGBA pixels as bytes in memory; false (out
// untouched) for no pixels or a failed encoding.
bool encodeRgbaPng(const uint8_t* rgba, int32_t width, int32_t height, std::vector<uint8_t>* out);
// The same for RGB pixels.
bool encodeRgbPng(const uint8_t* rgb, int32_t width, int32_t height, std::vector<uint8_t>* out);
// A picture as PNG bytes: RGB when it is opaque (smaller), else RGBA.
bool encodePicturePng(const Picture& picture, std::vector<uint8_t>* out);
