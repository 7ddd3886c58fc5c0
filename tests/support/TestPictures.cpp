#include "support/TestPictures.h"

#include <stb_image_write.h>

#include <fstream>
#include <random>

#include "media/PngWriter.h"

namespace TestPictures {

Picture random(int32_t width, int32_t height, uint32_t seed, bool opaque) {
    std::mt19937 generator(seed);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < picture.rgba.size(); ++i)
        picture.rgba[i] = static_cast<uint8_t>(generator());
    for (size_t i = 3; i < picture.rgba.size(); i += 4)
        picture.rgba[i] = opaque ? 255 : (generator() % 4 == 0 ? 0 : picture.rgba[i]);
    return picture;
}

Picture filled(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    for (int64_t i = 0; i < int64_t{width} * height; ++i)
        picture.rgba.insert(picture.rgba.end(), {r, g, b, a});
    return picture;
}

std::vector<uint8_t> png(const Picture& picture) {
    std::vector<uint8_t> bytes;
    encodeRgbaPng(picture.rgba.data(), picture.width, picture.height, &bytes);
    return bytes;
}

std::vector<uint8_t> jpeg(const Picture& picture, int quality) {
    std::vector<uint8_t> bytes;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<uint8_t>*>(context);
            out->insert(out->end(), static_cast<uint8_t*>(data),
                        static_cast<uint8_t*>(data) + size);
        },
        &bytes, picture.width, picture.height, 4, picture.rgba.data(), quality);
    return bytes;
}

std::vector<uint8_t> pngClaiming(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = png(filled(1, 1, 9, 9, 9));
    // The IHDR chunk: length (4), "IHDR" (4), width, height, ..., CRC over
    // type and data, right after the 8-byte signature.
    const size_t data = 8 + 8;
    for (int i = 0; i < 4; ++i) {
        bytes[data + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        bytes[data + 4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    uint32_t crc = 0xffffffffu;
    for (size_t i = 12; i < data + 13; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xffffffffu;
    for (int i = 0; i < 4; ++i)
        bytes[data + 13 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return bytes;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace TestPictures
