#include "app/LooseTextures.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "app/MediaFolder.h"
#include "app/WorkingDirectory.h"
#include "media/Textures.h"
#include "platform/FileSearch.h"
#include "platform/PathName.h"
#include "platform/TextureTable.h"

namespace {

// Bigger than any texture OpenGL 1.1 implementations are asked to take here,
// small enough that width x height x 3 cannot overflow.
constexpr int32_t MaxTextureSide = 8192;

void reportSkipped(const std::string& path, const char* why) {
    std::fprintf(stderr, "tamotown: texture file %s skipped (%s), working directory %s\n",
                 nativePath(path.c_str()).c_str(), why, workingDirectory().c_str());
}

// Reads exactly size bytes of the file; false when it cannot be opened or is shorter.
bool readExactly(const std::string& path, std::vector<uint8_t>& pixels, size_t size,
                 const char** why) {
    FILE* file = openFile(path.c_str(), "rb");
    if (file == nullptr) {
        *why = "cannot be opened";
        return false;
    }
    pixels.resize(size);
    const bool complete = std::fread(pixels.data(), 1, size, file) == size;
    std::fclose(file);
    if (!complete)
        *why = "shorter than its size says";
    return complete;
}

// Reads what "%d" reads (white space, an optional sign, digits) at *at and
// moves *at past it; false when there are no digits or the value does not
// fit in 32 bits.
bool readDecimal(const char** at, int32_t* value) {
    const char* p = *at;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    const int64_t limit = negative ? -int64_t{INT32_MIN} : INT32_MAX;
    int64_t magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit)
            return false;
    }
    *value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    *at = p;
    return true;
}

}  // namespace

bool parseLooseTextureName(const char* name, LooseTextureName* out) {
    if (name == nullptr)
        return false;
    LooseTextureName parsed{};
    const char* at = name;
    if (!readDecimal(&at, &parsed.number) || *at++ != '_' || !readDecimal(&at, &parsed.width) ||
        *at++ != '_' || !readDecimal(&at, &parsed.height))
        return false;
    // The folder search ignores letter case, so ".RAW" is as good as ".raw".
    const char extension[] = ".raw";
    for (const char* e = extension; *e != '\0'; ++e, ++at)
        if (std::tolower(static_cast<unsigned char>(*at)) != *e)
            return false;
    if (*at != '\0')
        return false;
    // The texture id 100 + n must fit in 32 bits.
    if (parsed.number < 0 || parsed.number > INT32_MAX - FirstLooseTextureId || parsed.width < 1 ||
        parsed.height < 1 || parsed.width > MaxTextureSide || parsed.height > MaxTextureSide)
        return false;
    *out = parsed;
    return true;
}

AverageColour averageColour(const uint8_t* rgb, int32_t width, int32_t height) {
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (rgb == nullptr || pixels <= 0)
        return AverageColour{0, 0, 0};
    int64_t sums[3] = {0, 0, 0};
    for (int64_t i = 0; i < pixels; ++i) {
        for (int channel = 0; channel < 3; ++channel)
            sums[channel] += rgb[i * 3 + channel];
    }
    return AverageColour{static_cast<int32_t>(sums[0] / pixels),
                         static_cast<int32_t>(sums[1] / pixels),
                         static_cast<int32_t>(sums[2] / pixels)};
}

int32_t readLooseTextures(const LooseTextureVisitor& visit) {
    char** names = nullptr;
    const std::string pattern = mediaFolder().path("Textures\\*.raw");
    if (!findFiles(&names, pattern.c_str())) {
        reportSkipped(pattern, "the folder cannot be listed");
        freeFileList(names);
        return 0;
    }
    int32_t read = 0;
    std::vector<uint8_t> pixels;
    for (char** name = names; name != nullptr && *name != nullptr; ++name) {
        const std::string path = mediaFolder().path(std::string("Textures\\") + *name);
        LooseTextureName parsed{};
        if (!parseLooseTextureName(*name, &parsed)) {
            reportSkipped(path, "name is not <number>_<width>_<height>.raw");
            continue;
        }
        const size_t size = static_cast<size_t>(parsed.width) * parsed.height * 3;
        const char* why = "";
        if (!readExactly(path, pixels, size, &why)) {
            reportSkipped(path, why);
            continue;
        }
        visit(FirstLooseTextureId + parsed.number, parsed, pixels);
        ++read;
    }
    freeFileList(names);
    return read;
}

int32_t loadLooseTextures(TextureTable& table, const TextureColourSink& addColour,
                          std::map<int32_t, std::string>* names) {
    return readLooseTextures([&](int32_t id, const LooseTextureName& parsed,
                                 const std::vector<uint8_t>& pixels) {
        if (names)
            names->emplace(id, "Textures/" + std::to_string(parsed.number) + "_" +
                                   std::to_string(parsed.width) + "_" +
                                   std::to_string(parsed.height) + ".raw");
        if (addColour)
            addColour(id, averageColour(pixels.data(), parsed.width, parsed.height));
        if (isColourKeyedLooseTexture(parsed))
            createColourKeyTexture(&table, pixels.data(), parsed.width, parsed.height, id);
        else
            createUniformAlphaTexture(&table, pixels.data(), parsed.width, parsed.height, id, 1.0f);
    });
}
