#include "media/PngWriter.h"

#include <png.h>

#include <algorithm>
#include <new>

#include "media/FileStream.h"

namespace {

void writeToStream(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<FileStream*>(png_get_io_ptr(png));
    // A failed write marks the stream; commit then refuses to replace the file.
    stream->writeBytes(data, static_cast<int32_t>(length));
}

void writeToMemory(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp) {}

// Encodes through write, which receives sink; false when libpng failed.
bool encode(const uint8_t* pixels, int32_t width, int32_t height, int channels, void* sink,
            png_rw_ptr write) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, sink, write, &flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels + static_cast<size_t>(y) * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool failed(const FileStream& stream, std::string* why) {
    if (why) {
        *why = stream.failureReason();
        if (why->empty())
            *why = "the picture could not be encoded";
    }
    return false;
}

bool writeFile(const std::string& path, const uint8_t* pixels, int32_t width, int32_t height,
               int channels, std::string* why) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        if (why)
            *why = "there is no picture";
        return false;
    }
    FileStream stream(path.c_str(), "wb", FileStream::ReplaceAtomically);
    if (stream.hasFailed())
        return failed(stream, why);
    if (!encode(pixels, width, height, channels, &stream, &writeToStream)) {
        stream.discard();
        return failed(stream, why);
    }
    return stream.commit() || failed(stream, why);
}

}  // namespace

bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height,
              std::string* why) {
    return writeFile(path, rgb, width, height, 3, why);
}

bool writeRgbaPng(const std::string& path, const uint8_t* rgba, int32_t width, int32_t height,
                  std::string* why) {
    return writeFile(path, rgba, width, height, 4, why);
}

namespace {

bool encodeToMemory(const uint8_t* pixels, int32_t width, int32_t height, int channels,
                    std::vector<uint8_t>* out) {
    if (pixels == nullptr || width <= 0 || height <= 0 || out == nullptr)
        return false;
    std::vector<uint8_t> bytes;
    if (!encode(pixels, width, height, channels, &bytes, &writeToMemory))
        return false;
    out->swap(bytes);
    return true;
}

}  // namespace

bool encodeRgbaPng(const uint8_t* rgba, int32_t width, int32_t height, std::vector<uint8_t>* out) {
    return encodeToMemory(rgba, width, height, 4, out);
}

bool encodeRgbPng(const uint8_t* rgb, int32_t width, int32_t height, std::vector<uint8_t>* out) {
    return encodeToMemory(rgb, width, height, 3, out);
}

bool encodePicturePng(const Picture& picture, std::vector<uint8_t>* out) {
    const size_t pixels = static_cast<size_t>(std::max(picture.width, 0)) *
                          static_cast<size_t>(std::max(picture.height, 0));
    if (pixels == 0 || picture.rgba.size() != pixels * 4)
        return false;
    if (!picture.opaque())
        return encodeRgbaPng(picture.rgba.data(), picture.width, picture.height, out);
    std::vector<uint8_t> rgb;
    try {
        rgb.resize(pixels * 3);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (size_t i = 0; i < pixels; ++i)
        for (size_t c = 0; c < 3; ++c)
            rgb[i * 3 + c] = picture.rgba[i * 4 + c];
    return encodeRgbPng(rgb.data(), picture.width, picture.height, out);
}
