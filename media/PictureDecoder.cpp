#include "media/PictureDecoder.h"

#include <png.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include "media/PictureScaler.h"

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t ReasonBytes = 160;

bool fail(std::string* why, const char* text) {
    if (why)
        *why = text;
    return false;
}

bool withinLimits(int64_t width, int64_t height, const PictureDecoder::Limits& limits,
                  std::string* why) {
    if (width < 1 || height < 1)
        return fail(why, "the picture has no pixels");
    if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels)
        return fail(why, ("the picture is too large (" + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels)")
                             .c_str());
    return true;
}

// What libpng's callbacks reach: the bytes still to read and the reason of
// an error. Lives outside the function that calls setjmp, so that the jump
// back skips no destructor.
struct PngSource {
    const uint8_t* at = nullptr;
    size_t left = 0;
    char reason[ReasonBytes] = {};
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;

    ~PngSource() { png_destroy_read_struct(&png, &info, nullptr); }
};

void pngError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->reason, sizeof source->reason, "the PNG file is damaged (%s)",
                  message ? message : "unknown fault");
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep data, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->left)
        png_error(png, "the file ends early");
    std::memcpy(data, source->at, length);
    source->at += length;
    source->left -= length;
}

// The libpng calls, under its error jump. No object with a destructor is
// made here; memory the reading takes lives in source.
bool readPng(PngSource& source, const PictureDecoder::Limits& limits, Picture* out,
             std::string* why) {
    png_structp png = source.png;
    png_infop info = source.info;
    if (setjmp(png_jmpbuf(png)))
        return fail(why, source.reason[0] ? source.reason : "the PNG file is damaged");
    png_set_read_fn(png, &source, &pngRead);
    // libpng's own limit (a million pixels a side) refuses the absurd
    // headers; the limits below are checked before any pixel memory.
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!withinLimits(width, height, limits, why))
        return false;
    // Everything to 8-bit RGBA: palettes and grey expanded, 16 bits cut,
    // transparency chunks to alpha, opaque pictures given alpha 255.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4)
        return fail(why, "the PNG file's pixels cannot be read as RGBA");
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    try {
        source.pixels.resize(bytes);
        source.rows.resize(height);
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the picture");
    }
    for (png_uint_32 y = 0; y < height; ++y)
        source.rows[y] = source.pixels.data() + static_cast<size_t>(y) * width * 4;
    png_read_image(png, source.rows.data());
    png_read_end(png, nullptr);
    out->rgba.swap(source.pixels);
    out->width = static_cast<int32_t>(width);
    out->height = static_cast<int32_t>(height);
    return true;
}

bool decodePng(const uint8_t* bytes, size_t size, const PictureDecoder::Limits& limits,
               Picture* out, std::string* why) {
    PngSource source;
    source.at = bytes;
    source.left = size;
    source.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, &pngError, &pngWarning);
    source.info = source.png ? png_create_info_struct(source.png) : nullptr;
    if (!source.png || !source.info)
        return fail(why, "there is not enough memory for the picture");
    Picture picture;
    if (!readPng(source, limits, &picture, why))
        return false;
    *out = std::move(picture);
    return true;
}

// libjpeg's state and what its error handler needs, outside the function
// that calls setjmp (as for PNG).
struct JpegSource {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX] = {};
    bool created = false;
    std::vector<uint8_t> pixels;

    ~JpegSource() {
        if (created)
            jpeg_destroy_decompress(&info);
    }
};

void jpegError(j_common_ptr common) {
    auto* source = static_cast<JpegSource*>(common->client_data);
    char message[JMSG_LENGTH_MAX] = {};
    (*common->err->format_message)(common, message);
    std::snprintf(source->reason, sizeof source->reason, "the JPEG file is damaged (%s)", message);
    std::longjmp(source->jump, 1);
}

// A warning (data cut short, a bad marker) means a damaged file: libjpeg
// would fill in grey and go on, so it is refused like an error.
void jpegMessage(j_common_ptr common, int level) {
    if (level < 0)
        jpegError(common);
}

bool readJpeg(JpegSource& source, const uint8_t* bytes, size_t size,
              const PictureDecoder::Limits& limits, Picture* out, std::string* why) {
    jpeg_decompress_struct& info = source.info;
    info.err = jpeg_std_error(&source.errors);
    source.errors.error_exit = &jpegError;
    source.errors.emit_message = &jpegMessage;
    info.client_data = &source;
    if (setjmp(source.jump))
        return fail(why, source.reason[0] ? source.reason : "the JPEG file is damaged");
    jpeg_create_decompress(&info);
    source.created = true;
    jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    // The header alone first: the size is checked before libjpeg takes memory for pixels.
    if (!withinLimits(info.image_width, info.image_height, limits, why))
        return false;
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    const JDIMENSION width = info.output_width, height = info.output_height;
    if (info.output_components != 4 || !withinLimits(width, height, limits, why))
        return fail(why, "the JPEG file's pixels cannot be read as RGBA");
    try {
        source.pixels.resize(static_cast<size_t>(width) * height * 4);
    } catch (const std::bad_alloc&) {
        return fail(why, "there is not enough memory for the picture");
    }
    while (info.output_scanline < height) {
        JSAMPROW row = source.pixels.data() + static_cast<size_t>(info.output_scanline) * width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    out->rgba.swap(source.pixels);
    out->width = static_cast<int32_t>(width);
    out->height = static_cast<int32_t>(height);
    return true;
}

bool decodeJpeg(const uint8_t* bytes, size_t size, const PictureDecoder::Limits& limits,
                Picture* out, std::string* why) {
    JpegSource source;
    Picture picture;
    if (!readJpeg(source, bytes, size, limits, &picture, why))
        return false;
    *out = std::move(picture);
    return true;
}

}  // namespace

PictureDecoder::Format PictureDecoder::sniff(const uint8_t* bytes, size_t size) {
    if (bytes && size >= sizeof PngSignature &&
        std::memcmp(bytes, PngSignature, sizeof PngSignature) == 0)
        return Format::Png;
    if (bytes && size >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
        return Format::Jpeg;
    return Format::Unknown;
}

bool PictureDecoder::decode(const uint8_t* bytes, size_t size, const Limits& limits, Picture* out,
                            std::string* why) {
    if (size > limits.maxFileBytes)
        return fail(why, "the file is too large");
    switch (sniff(bytes, size)) {
    case Format::Png:
        return decodePng(bytes, size, limits, out, why);
    case Format::Jpeg:
        return decodeJpeg(bytes, size, limits, out, why);
    default:
        return fail(why, "the file is neither a PNG nor a JPEG picture");
    }
}

bool PictureDecoder::decodeForTexture(const uint8_t* bytes, size_t size, const Limits& limits,
                                      Picture* out, std::string* why) {
    Picture picture;
    if (!decode(bytes, size, limits, &picture, why))
        return false;
    Picture scaled;
    if (!PictureScaler::toTextureSize(picture, &scaled))
        return fail(why, "there is not enough memory for the picture");
    *out = std::move(scaled);
    return true;
}
