// The picture decoder as the program calls it for a texture, on any bytes:
// it never crashes or reads out of bounds, and what it accepts is a whole
// picture at texture size (sides powers of two, at most 1024) whose alpha
// stays all 255 when the decoded file's was.
#include <cstdint>

#include "fuzz/ScratchFile.h"  // finding
#include "media/PictureDecoder.h"
#include "media/PictureScaler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Small limits keep each run quick; the checks are the same at any size.
    PictureDecoder::Limits limits;
    limits.maxSide = 2048;
    limits.maxPixels = 1 << 20;
    Picture decoded, texture;
    std::string why;
    const bool whole = PictureDecoder::decode(data, size, limits, &decoded, &why);
    const bool accepted = PictureDecoder::decodeForTexture(data, size, limits, &texture, &why);
    if (whole != accepted)
        fuzz::finding("decoding for a texture and decoding alone disagree");
    if (!accepted) {
        if (!texture.empty() || why.empty())
            fuzz::finding("a refused picture wrote the output or gave no reason");
        return 0;
    }
    if (texture.width != PictureScaler::textureSide(decoded.width) ||
        texture.height != PictureScaler::textureSide(decoded.height) ||
        texture.rgba.size() != static_cast<size_t>(texture.width) * texture.height * 4)
        fuzz::finding("an accepted picture is not at texture size");
    if (decoded.opaque() && !texture.opaque())
        fuzz::finding("resizing made an opaque picture partly transparent");
    return 0;
}
