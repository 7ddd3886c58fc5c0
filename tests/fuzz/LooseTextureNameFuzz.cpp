// Loose texture file names against a reading built on strtoll, whose out of
// range values are defined: both accept the same names and read the same
// numbers, and every accepted name gives a texture id that fits in 32 bits.
#include <strings.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/LooseTextures.h"
#include "fuzz/ScratchFile.h"  // finding

namespace {

bool referenceParse(const char* name, int64_t values[3]) {
    const char* at = name;
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(at, &end, 10);
        if (end == at || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
            return false;
        values[i] = value;
        at = end;
        if (i < 2 && *at++ != '_')
            return false;
    }
    if (strcasecmp(at, ".raw") != 0)
        return false;
    return values[0] >= 0 && values[0] <= INT32_MAX - FirstLooseTextureId && values[1] >= 1 &&
           values[2] >= 1 && values[1] <= 8192 && values[2] <= 8192;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A file name: the bytes up to the first zero.
    const std::string name(reinterpret_cast<const char*>(data), size);
    const char* text = name.c_str();
    LooseTextureName parsed{-5, -5, -5};
    const bool accepted = parseLooseTextureName(text, &parsed);
    int64_t expected[3] = {0, 0, 0};
    if (accepted != referenceParse(text, expected))
        fuzz::finding("the name parser and the reference disagree on accepting a name");
    if (!accepted) {
        if (parsed.number != -5 || parsed.width != -5 || parsed.height != -5)
            fuzz::finding("a refused name wrote the output");
        return 0;
    }
    if (parsed.number != expected[0] || parsed.width != expected[1] || parsed.height != expected[2])
        fuzz::finding("the name parser and the reference read different numbers");
    return 0;
}
