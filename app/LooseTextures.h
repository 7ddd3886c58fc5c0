#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class TextureTable;

// Loose block textures: raw RGB files "Textures\<n>_<width>_<height>.raw",
// loaded as texture 100 + n.

struct LooseTextureName {
    int32_t number;
    int32_t width;
    int32_t height;
};

// Reads n, width and height from a file name of the form "%d_%d_%d.raw" with
// nothing after the extension, whose letters may be of either case. Refuses
// numbers that do not fit in 32 bits, negative numbers, numbers whose texture
// id 100 + n would not fit, and empty or huge sizes.
bool parseLooseTextureName(const char* name, LooseTextureName* out);

// Colour keyed (transparent key colour, nearest filtering) up to this number,
// opaque with linear filtering above it.
constexpr int32_t LastColourKeyedTexture = 12;
constexpr int32_t FirstLooseTextureId = 100;

struct AverageColour {
    int32_t red;
    int32_t green;
    int32_t blue;
};

// Per-channel average over width x height RGB pixels, each truncated.
AverageColour averageColour(const uint8_t* rgb, int32_t width, int32_t height);

// Called once per loaded texture with its id and average colour.
using TextureColourSink = std::function<void(int32_t id, const AverageColour& colour)>;

// Called once per readable loose texture with its id (100 + n), its name's
// fields and its width x height x 3 RGB bytes.
using LooseTextureVisitor =
    std::function<void(int32_t id, const LooseTextureName& name, const std::vector<uint8_t>& rgb)>;

// Reads every file matching "Textures\*.raw" in the media folder, in
// directory order. Files whose names do not parse, that cannot be opened or
// that are shorter than their size says are skipped, not counted, and named
// in one line on standard error. Returns the number visited.
int32_t readLooseTextures(const LooseTextureVisitor& visit);

// Whether a loose texture is colour keyed (else opaque).
inline bool isColourKeyedLooseTexture(const LooseTextureName& name) {
    return name.number <= LastColourKeyedTexture;
}

// Loads the textures readLooseTextures reads (colour keyed or opaque) and
// passes their average colours on. Returns the number of textures made;
// *names (when given) receives each texture's file name by id.
int32_t loadLooseTextures(TextureTable& table, const TextureColourSink& addColour,
                          std::map<int32_t, std::string>* names = nullptr);
