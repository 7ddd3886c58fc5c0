#include "media/PictureScaler.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

// Fixed-point weights: those of one target pixel add up to exactly WeightOne,
// so an opaque picture keeps alpha 255 exactly.
constexpr int64_t WeightOne = 4096;

struct Tap {
    int32_t source;
    int32_t weight;
};

// For each of the to target pixels along one axis, the source pixels it
// takes and their weights.
std::vector<std::vector<Tap>> axisTaps(int32_t from, int32_t to) {
    std::vector<std::vector<Tap>> taps(static_cast<size_t>(to));
    for (int32_t i = 0; i < to; ++i) {
        std::vector<Tap>& list = taps[static_cast<size_t>(i)];
        if (to <= from) {
            // Box: target pixel i covers [i * from, (i + 1) * from) in units
            // of 1 / to source pixels; each source pixel j covers
            // [j * to, (j + 1) * to).
            const int64_t begin = int64_t{i} * from, end = begin + from;
            for (int64_t j = begin / to; j * to < end; ++j) {
                const int64_t overlap = std::min(end, (j + 1) * to) - std::max(begin, j * to);
                if (overlap > 0)
                    list.push_back({static_cast<int32_t>(j),
                                    static_cast<int32_t>(overlap * WeightOne / from)});
            }
        } else {
            // Bilinear: the target pixel's centre lies at source position
            // ((2i + 1) from - to) / (2 to), between pixel j and j + 1.
            const int64_t numerator = int64_t{2 * i + 1} * from - to, denominator = int64_t{2} * to;
            const int64_t j = numerator >= 0 ? numerator / denominator
                                             : -((-numerator + denominator - 1) / denominator);
            const int64_t next = (numerator - j * denominator) * WeightOne / denominator;
            const auto clampIndex = [from](int64_t k) {
                return static_cast<int32_t>(std::clamp<int64_t>(k, 0, from - 1));
            };
            list.push_back({clampIndex(j), static_cast<int32_t>(WeightOne - next)});
            if (next > 0)
                list.push_back({clampIndex(j + 1), static_cast<int32_t>(next)});
        }
        // Rounding lost a little: the largest weight takes it.
        int64_t sum = 0;
        for (const Tap& tap : list)
            sum += tap.weight;
        auto largest = std::max_element(list.begin(), list.end(), [](const Tap& a, const Tap& b) {
            return a.weight < b.weight;
        });
        largest->weight += static_cast<int32_t>(WeightOne - sum);
    }
    return taps;
}

}  // namespace

int32_t PictureScaler::textureSide(int32_t side) {
    int32_t power = 1;
    while (power < MaxTextureSide && power * 2 <= side)
        power *= 2;
    // side lies in [power, 2 power): halfway is 1.5 power.
    if (power < MaxTextureSide && int64_t{side} * 2 >= int64_t{power} * 3)
        power *= 2;
    return power;
}

bool PictureScaler::toTextureSize(const Picture& picture, Picture* out) {
    return resize(picture, textureSide(picture.width), textureSide(picture.height), out);
}

bool PictureScaler::resize(const Picture& picture, int32_t width, int32_t height, Picture* out) {
    if (picture.width < 1 || picture.height < 1 || width < 1 || height < 1 ||
        picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return false;
    try {
        if (width == picture.width && height == picture.height) {
            *out = picture;
            return true;
        }
        const std::vector<std::vector<Tap>> across = axisTaps(picture.width, width);
        const std::vector<std::vector<Tap>> down = axisTaps(picture.height, height);
        Picture result;
        result.width = width;
        result.height = height;
        result.rgba.resize(static_cast<size_t>(width) * height * 4);
        // One source row resampled across, colours weighted by alpha, and the
        // sums of the rows one target row takes.
        std::vector<int64_t> row(static_cast<size_t>(width) * 4), sum(row.size());
        for (int32_t y = 0; y < height; ++y) {
            std::fill(sum.begin(), sum.end(), 0);
            for (const Tap& vertical : down[static_cast<size_t>(y)]) {
                const uint8_t* source =
                    picture.rgba.data() + static_cast<size_t>(vertical.source) * picture.width * 4;
                std::fill(row.begin(), row.end(), 0);
                for (int32_t x = 0; x < width; ++x) {
                    int64_t* target = &row[static_cast<size_t>(x) * 4];
                    for (const Tap& tap : across[static_cast<size_t>(x)]) {
                        const uint8_t* pixel = source + static_cast<size_t>(tap.source) * 4;
                        const int64_t weight = int64_t{tap.weight} * pixel[3];
                        target[0] += weight * pixel[0];
                        target[1] += weight * pixel[1];
                        target[2] += weight * pixel[2];
                        target[3] += weight;
                    }
                }
                for (size_t i = 0; i < row.size(); ++i)
                    sum[i] += row[i] * vertical.weight;
            }
            uint8_t* target = result.rgba.data() + static_cast<size_t>(y) * width * 4;
            for (int32_t x = 0; x < width; ++x) {
                const int64_t* s = &sum[static_cast<size_t>(x) * 4];
                const int64_t alpha = s[3];  // 255 x WeightOne^2 at most
                for (int c = 0; c < 3; ++c)
                    target[x * 4 + c] =
                        alpha > 0 ? static_cast<uint8_t>((s[c] + alpha / 2) / alpha) : 0;
                target[x * 4 + 3] = static_cast<uint8_t>((alpha + WeightOne * WeightOne / 2) /
                                                         (WeightOne * WeightOne));
            }
        }
        *out = std::move(result);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
