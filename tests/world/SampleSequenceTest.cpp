#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "world/SampleSequence.h"

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Starts near zero, on and around binade borders of either sign, in the
// world's usual range and at the ends of the float range; increments of
// ray steps, exactly half-way between grid points (rounding to even), below
// half a grid step, zero and not finite. Every value, asked in random
// order, and every threshold search matches the plain accumulating loop.
TEST(SampleSequenceTest, EveryValueAndSearchMatchesTheAccumulatingLoop) {
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const float inf = std::numeric_limits<float>::infinity();
    for (int32_t round = 0; round < 400; ++round) {
        const float border = std::ldexp(1.0f, static_cast<int>(random() % 40) - 20);
        const float ulp = std::ldexp(1.0f, std::ilogb(border) - 23);
        float first = 0.0f, increment = 0.1f * unit(random);
        switch (round % 8) {
        case 0:
            first = 70000.0f * unit(random);
            break;
        case 1:  // sums landing on every eighth of a grid step around the border
            first = (random() % 2 ? border : -border) + ulp * static_cast<float>(random() % 9 - 4);
            if (random() % 2)
                increment =
                    ulp * 0.125f * static_cast<float>(static_cast<int>(random() % 161) - 80);
            break;
        case 2:
            first = 0.3f * unit(random);
            break;
        case 3:  // half-way increments at the start's grid
            first = 40000.0f + 0.00390625f * static_cast<float>(random() % 5);
            increment = (static_cast<float>(random() % 7) + 0.5f) * 0.00390625f *
                        (random() % 2 ? 1.0f : -1.0f);
            break;
        case 4:
            first = border * unit(random);
            increment = ulp * 0.25f * unit(random);
            break;
        case 5:  // across zero among subnormals, or creeping by the smallest ones
            first = 5e-39f * unit(random);
            increment = random() % 2 ? 1e-40f * unit(random)
                                     : std::numeric_limits<float>::denorm_min() *
                                           static_cast<float>(static_cast<int>(random() % 7) - 3);
            break;
        case 6:
            first = 3e38f * unit(random);
            increment = 3e37f * unit(random);
            break;
        default:
            first = 1000.0f * unit(random);
            increment = random() % 3 == 0 ? 0.0f : random() % 2 ? inf : -inf;
            break;
        }
        if (round % 11 == 0)
            increment = unit(random) * (random() % 2 ? 2.5f : 1.0f);
        std::vector<float> loop{first};
        for (int32_t k = 1; k < 3000; ++k)
            loop.push_back(loop.back() + increment);
        SampleSequence sequence(first, increment);
        for (int32_t n = 0; n < 600; ++n) {
            const int64_t k = static_cast<int64_t>(random() % loop.size());
            ASSERT_TRUE(sameBits(sequence.at(k), loop[static_cast<size_t>(k)]))
                << "round " << round << " first " << first << " increment " << increment << " k "
                << k;
        }
        for (int32_t n = 0; n < 60 && sequence.direction() != 0; ++n) {
            const float threshold = loop[random() % loop.size()] + unit(random) * 0.01f;
            const bool up = sequence.direction() > 0;
            const auto passes = [&](float v) { return up ? v >= threshold : v <= threshold; };
            const int64_t from = static_cast<int64_t>(random() % loop.size());
            const int64_t until = from + static_cast<int64_t>(random() % (loop.size() - from + 1));
            int64_t expected = from;
            while (expected < until && !passes(loop[static_cast<size_t>(expected)]))
                ++expected;
            ASSERT_EQ(sequence.firstWhere(from, until, threshold, passes), expected)
                << "round " << round << " first " << first << " increment " << increment;
        }
    }
    // Every start a few grid steps from a border with every increment of
    // eighths of a grid step: sums landing just inside or outside the binade.
    for (const float border : {1.0f, -1.0f, 65536.0f, -0.125f})
        for (int32_t start = -4; start <= 4; ++start)
            for (int32_t eighths = -40; eighths <= 40; ++eighths) {
                const float ulp = std::ldexp(std::fabs(border), -23);
                const float increment = ulp * 0.125f * static_cast<float>(eighths);
                float value = border + ulp * static_cast<float>(start);
                SampleSequence sequence(value, increment);
                for (int64_t k = 0; k < 24; ++k, value += increment)
                    ASSERT_TRUE(sameBits(sequence.at(k), value))
                        << "border " << border << " start " << start << " eighths " << eighths;
            }
}

}  // namespace
