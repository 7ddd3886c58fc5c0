#include "media/PictureScaler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "support/TestPictures.h"

namespace {

// The weight of source pixel i in target pixel x along an axis of from
// source and to target pixels, as the filter is defined: the share of the
// target pixel's span that i covers when shrinking, the linear
// interpolation at the target pixel's centre when growing.
double weight(int32_t x, int32_t i, int32_t from, int32_t to) {
    const double scale = double(from) / to;
    if (to <= from) {
        const double begin = x * scale, end = begin + scale;
        return std::max(0.0, std::min(end, i + 1.0) - std::max(begin, double(i))) / scale;
    }
    const double centre = (x + 0.5) * scale - 0.5;
    const int32_t low = static_cast<int32_t>(std::floor(centre));
    const double next = centre - low;
    double sum = 0.0;
    if (std::clamp(low, 0, from - 1) == i)
        sum += 1.0 - next;
    if (std::clamp(low + 1, 0, from - 1) == i)
        sum += next;
    return sum;
}

TEST(PictureScalerTest, ResizingMatchesTheFilterComputedDirectly) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        const int32_t w = 1 + random() % 24, h = 1 + random() % 24;
        const int32_t tw = 1 + random() % 24, th = 1 + random() % 24;
        const bool opaque = round % 3 == 0;
        const Picture source = TestPictures::random(w, h, round, opaque);
        Picture scaled;
        ASSERT_TRUE(PictureScaler::resize(source, tw, th, &scaled));
        ASSERT_EQ(scaled.rgba.size(), static_cast<size_t>(tw) * th * 4);
        for (int32_t y = 0; y < th; ++y)
            for (int32_t x = 0; x < tw; ++x) {
                double sums[4] = {0, 0, 0, 0};
                for (int32_t j = 0; j < h; ++j)
                    for (int32_t i = 0; i < w; ++i) {
                        const double k = weight(x, i, w, tw) * weight(y, j, h, th);
                        const uint8_t* p = &source.rgba[(size_t(j) * w + i) * 4];
                        for (int c = 0; c < 3; ++c)
                            sums[c] += k * p[3] * p[c];
                        sums[3] += k * p[3];
                    }
                const uint8_t* got = &scaled.rgba[(size_t(y) * tw + x) * 4];
                ASSERT_NEAR(got[3], sums[3], 1.0) << w << "x" << h << " to " << tw << "x" << th;
                for (int c = 0; c < 3 && sums[3] >= 1.0; ++c) {
                    ASSERT_NEAR(got[c], sums[c] / sums[3], 1.5) << x << "," << y;
                }
            }
        if (opaque) {
            EXPECT_TRUE(scaled.opaque()) << "an opaque picture must stay exactly opaque";
        }
    }
}

TEST(PictureScalerTest, TextureSidesArePowersOfTwoUpToTheLimit) {
    const std::pair<int32_t, int32_t> sides[] = {
        {1, 1},     {2, 2},      {3, 4},       {5, 4},       {6, 8},
        {600, 512}, {800, 1024}, {1024, 1024}, {5000, 1024}, {0, 1}};
    for (const auto& [side, expected] : sides)
        EXPECT_EQ(PictureScaler::textureSide(side), expected) << side;
}

}  // namespace
