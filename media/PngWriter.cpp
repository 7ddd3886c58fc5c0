#include "media/PngWriter.h"

#include <png.h>

#include "media/FileStream.h"

namespace {

void writeToStream(png_structp png, png_bytep data, png_size_t length) {
    auto* stream = static_cast<FileStream*>(png_get_io_ptr(png));
    // A failed write marks the stream; commit then refuses to replace the file.
    stream->writeBytes(data, static_cast<int32_t>(length));
}

void flushStream(png_structp) {}

}  // namespace

bool writePng(const std::string& path, const uint8_t* rgb, int32_t width, int32_t height) {
    if (rgb == nullptr || width <= 0 || height <= 0)
        return false;
    FileStream stream(path.c_str(), "wb", FileStream::ReplaceAtomically);
    if (stream.hasFailed())
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        stream.discard();
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        stream.discard();
        return false;
    }
    png_set_write_fn(png, &stream, &writeToStream, &flushStream);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rgb + static_cast<size_t>(y) * stride));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return stream.commit();
}
