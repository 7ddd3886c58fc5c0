#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/Picture.h"

// Turns the bytes of a PNG or JPEG file, which come from other people and
// are trusted in nothing, into RGBA pixels: PNG through libpng, JPEG through
// libjpeg-turbo (stb_image's JPEG reader, tried first, writes past a table
// on damaged files). The size is read from the header and checked against the limits
// before any pixel memory is taken, so a small file that claims a huge
// picture costs nothing. Every PNG colour type and depth and every JPEG that
// libjpeg reads come out as 8-bit RGBA (alpha 255 where the file has none).
class PictureDecoder {
public:
    struct Limits {
        int32_t maxSide = 16384;
        int64_t maxPixels = int64_t{1} << 25;  // 128 MiB of RGBA
        size_t maxFileBytes = size_t{256} << 20;
    };
    enum class Format { Unknown, Png, Jpeg };

    // The format by the file's first bytes (not by its name).
    static Format sniff(const uint8_t* bytes, size_t size);
    // False, with *why in plain words and *out untouched, for anything that
    // is not a whole picture within the limits.
    static bool decode(const uint8_t* bytes, size_t size, const Limits& limits, Picture* out,
                       std::string* why);
    // decode, then resized to the size textures take (PictureScaler): how
    // the program reads every picture it makes a texture of.
    static bool decodeForTexture(const uint8_t* bytes, size_t size, const Limits& limits,
                                 Picture* out, std::string* why);
};
