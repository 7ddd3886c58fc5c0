#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "world/SectorGrid.h"

namespace {

// Random boxes of every kind (small, spanning many cells, far off, empty,
// not a number) against a plain check of each box: every box that holds a
// point, or reaches a query box, must be among those the grid gives, in
// ascending order and each once.
TEST(SectorGridTest, GivesEveryBoxThatHoldsThePointOrReachesTheQuery) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> near(-900.0, 900.0), size(0.0, 300.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    SectorGrid grid;
    grid.reset(Vector3(400.0f, 600.0f, 400.0f));
    std::vector<std::vector<double>> boxes;  // low x y z, high x y z
    for (int32_t i = 0; i < 300; ++i) {
        std::vector<double> b(6);
        for (int a = 0; a < 3; ++a) {
            b[static_cast<size_t>(a)] = near(random);
            b[static_cast<size_t>(a) + 3] = b[static_cast<size_t>(a)] + size(random);
        }
        const uint32_t kind = random() % 10;
        if (kind == 0)
            b[3] = b[0] + 50000.0;  // many cells: listed everywhere
        if (kind == 1)
            b[1] = 1e29, b[4] = 1e31;  // beyond the cells the key tells apart
        if (kind == 2)
            std::swap(b[2], b[5]);  // empty
        if (kind == 3)
            b[0] = nan;
        boxes.push_back(b);
        grid.add(i, b.data(), b.data() + 3);
    }
    const auto holds = [](const std::vector<double>& b, const double p[3]) {
        for (int a = 0; a < 3; ++a)
            if (!(b[static_cast<size_t>(a)] <= p[a] && p[a] <= b[static_cast<size_t>(a) + 3]))
                return false;
        return true;
    };
    std::vector<int32_t> found;
    for (int32_t q = 0; q < 2000; ++q) {
        double p[3] = {near(random), near(random), near(random)};
        if (q % 50 == 0)
            p[1] = 1e30;
        grid.at(
            Vector3(static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])),
            &found);
        const double pf[3] = {static_cast<float>(p[0]), static_cast<float>(p[1]),
                              static_cast<float>(p[2])};
        ASSERT_TRUE(std::is_sorted(found.begin(), found.end()));
        for (size_t i = 0; i < boxes.size(); ++i)
            if (holds(boxes[i], pf)) {
                ASSERT_TRUE(std::binary_search(found.begin(), found.end(), static_cast<int32_t>(i)))
                    << "point " << q << " box " << i;
            }

        const double low[3] = {pf[0], pf[1], pf[2]};
        const double high[3] = {pf[0] + size(random) * 3, pf[1] + size(random), pf[2]};
        if (!grid.near(low, high, &found))
            continue;  // a query of too many cells: the caller asks every box
        ASSERT_TRUE(std::adjacent_find(found.begin(), found.end(), std::greater_equal<int32_t>()) ==
                    found.end());
        for (size_t i = 0; i < boxes.size(); ++i) {
            const std::vector<double>& b = boxes[i];
            bool reaches = true;
            for (int a = 0; a < 3; ++a)
                reaches = reaches && b[static_cast<size_t>(a)] <= high[a] &&
                          low[a] <= b[static_cast<size_t>(a) + 3];
            if (reaches) {
                ASSERT_TRUE(std::binary_search(found.begin(), found.end(), static_cast<int32_t>(i)))
                    << "query " << q << " box " << i;
            }
        }
    }
    const double everywhereLow[3] = {-1e6, -1e6, -1e6}, everywhereHigh[3] = {1e6, 1e6, 1e6};
    EXPECT_FALSE(grid.near(everywhereLow, everywhereHigh, &found));
}

}  // namespace
