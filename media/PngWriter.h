#pragma once
#include <cstdint>
#include <string>

// Writes width x height 8-bit RGB pixels (rows from the top, no padding) as a
// PNG file. The file is replaced atomically: a failed write leaves an
// earlier file of that name as it was and no partial file behind. False when
// the file could not be written.
bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height);
