#include "tools/Noise.h"

#include <cmath>

namespace {
uint32_t mixBits(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

int wrap(int i, int n) {
    return ((i % n) + n) % n;
}

float smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}
}  // namespace

float latticeValue(int x, int y, uint32_t seed) {
    const uint32_t h = mixBits(static_cast<uint32_t>(x) * 0x9e3779b1U ^
                               mixBits(static_cast<uint32_t>(y) + seed * 0x85ebca6bU));
    return (h & 0xffffff) / float(0xffffff);
}

float tiledNoise(float u, float v, int cells, uint32_t seed) {
    const float x = u * cells, y = v * cells;
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = smooth(x - x0), fy = smooth(y - y0);
    const float a = latticeValue(wrap(x0, cells), wrap(y0, cells), seed);
    const float b = latticeValue(wrap(x0 + 1, cells), wrap(y0, cells), seed);
    const float c = latticeValue(wrap(x0, cells), wrap(y0 + 1, cells), seed);
    const float d = latticeValue(wrap(x0 + 1, cells), wrap(y0 + 1, cells), seed);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

float tiledFractal(float u, float v, int cells, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += tiledNoise(u, v, cells << i, seed + 7919U * i) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

int pixelJitter(int x, int y, uint32_t seed, int amount) {
    return static_cast<int>(std::lround((latticeValue(x, y, seed) * 2.0f - 1.0f) * amount));
}
