#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "world/LiteralQuadMerge.h"
#include "world/MyOptimizedQuadHashTable.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TestFaceCorners.h"
#include "world/TestHost.h"

namespace {

using Material = TestFaceMaterial;

struct Block {
    int32_t x, y, z;
    Material faces[6];
};

// How a random world is made.
struct WorldRecipe {
    int32_t size = 10;
    double fill = 0.5;
    int32_t materials = 1;  // distinct materials to draw from
    bool perFace = false;   // each face draws its own material
    bool shuffled = true;   // blocks in random order, as edits leave them
    double repeats = 0.0;   // share of blocks stored twice (files may do so)
};

std::vector<Material> palette(std::mt19937& random, int32_t count) {
    std::vector<Material> materials;
    for (int32_t k = 0; k < count; ++k) {
        Material m;
        m.texture = 100 + static_cast<int32_t>(random() % 12);  // 101 to 106 stretch
        m.offsetU = static_cast<int32_t>(random() % 3) - 1;
        m.offsetV = static_cast<int32_t>(random() % 3) - 1;
        m.rotation = static_cast<int32_t>(random() % 4);
        m.scaleU = 1 + static_cast<int32_t>(random() % 2);
        m.scaleV = 1 + static_cast<int32_t>(random() % 2);
        materials.push_back(m);
    }
    return materials;
}

std::vector<Block> randomWorld(std::mt19937& random, const WorldRecipe& recipe) {
    const std::vector<Material> materials = palette(random, recipe.materials);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Block> blocks;
    for (int32_t x = 0; x < recipe.size; ++x)
        for (int32_t y = 0; y < recipe.size; ++y)
            for (int32_t z = 0; z < recipe.size; ++z) {
                if (unit(random) >= recipe.fill)
                    continue;
                Block b{x, y, z, {}};
                const Material& whole = materials[random() % materials.size()];
                for (Material& face : b.faces)
                    face = recipe.perFace ? materials[random() % materials.size()] : whole;
                blocks.push_back(b);
                if (unit(random) < recipe.repeats) {
                    Block again = b;
                    if (random() % 2)
                        again.faces[random() % 6] = materials[random() % materials.size()];
                    blocks.push_back(again);
                }
            }
    if (recipe.shuffled)
        std::shuffle(blocks.begin(), blocks.end(), random);
    return blocks;
}

void addBlocks(OptimizedQuadHashTable& table, const std::vector<Block>& blocks) {
    for (const Block& b : blocks) {
        const Vector3 cell(static_cast<float>(b.x), static_cast<float>(b.y),
                           static_cast<float>(b.z));
        for (int32_t f = 0; f < 6; ++f) {
            const TestFaceCorners& c = FaceCorners[f];
            const Material& m = b.faces[f];
            ASSERT_TRUE(table.addFace(c.p1 + cell, c.p2 + cell, c.orientation, m.texture, m.offsetU,
                                      m.offsetV, m.rotation, m.scaleU, m.scaleV));
        }
    }
}

literal::QuadBuckets snapshot(const OptimizedQuadHashTable& table) {
    literal::QuadBuckets buckets(static_cast<size_t>(table.bucketCount()));
    for (int32_t b = 0; b < table.bucketCount(); ++b)
        for (int32_t i = 0; i < table.bucketSize(b); ++i)
            buckets[static_cast<size_t>(b)].push_back(table.record(b, i));
    return buckets;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

bool sameVector(const Vector3& a, const Vector3& b) {
    return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z);
}

::testing::AssertionResult sameRecord(const QuadRecord& a, const QuadRecord& b) {
    for (int v = 0; v < 4; ++v)
        if (!sameVector(a.q[v], b.q[v]))
            return ::testing::AssertionFailure() << "vertex " << v << " differs";
    if (!sameVector(a.min, b.min) || !sameVector(a.max, b.max))
        return ::testing::AssertionFailure() << "bounds differ";
    if (a.texture != b.texture || a.offsetU != b.offsetU || a.offsetV != b.offsetV ||
        a.rotation != b.rotation || a.scaleU != b.scaleU || a.scaleV != b.scaleV ||
        a.axis != b.axis || a.orientation != b.orientation || a.alive != b.alive)
        return ::testing::AssertionFailure() << "material, axis or orientation differs";
    return ::testing::AssertionSuccess();
}

// Live records of each bucket, in storage order.
std::vector<std::vector<QuadRecord>> liveByBucket(const literal::QuadBuckets& buckets) {
    std::vector<std::vector<QuadRecord>> live(buckets.size());
    for (size_t b = 0; b < buckets.size(); ++b)
        for (const QuadRecord& q : buckets[b])
            if (q.alive)
                live[b].push_back(q);
    return live;
}

// Runs the table and the literal algorithm on the same records and expects
// the same survivors after hidden-face removal and after merging, in the same
// order per bucket, and the same numbers drawn from the generator.
void expectSameAsLiteral(OptimizedQuadHashTable& table, unsigned seed) {
    literal::QuadBuckets expected = snapshot(table);

    literal::removeHiddenPairs(expected);
    table.removeHiddenPairs();
    const auto hiddenExpected = liveByBucket(expected);
    const auto hiddenActual = liveByBucket(snapshot(table));
    ASSERT_EQ(hiddenActual.size(), hiddenExpected.size());
    for (size_t b = 0; b < hiddenExpected.size(); ++b) {
        ASSERT_EQ(hiddenActual[b].size(), hiddenExpected[b].size()) << "bucket " << b;
        for (size_t i = 0; i < hiddenExpected[b].size(); ++i)
            ASSERT_TRUE(sameRecord(hiddenActual[b][i], hiddenExpected[b][i]))
                << "after hidden faces, bucket " << b << " record " << i;
    }

    const std::vector<int32_t> passes = literal::mergeQuads(expected);
    std::srand(seed);
    table.mergeQuads();
    const int nextAfterTable = std::rand();
    std::srand(seed);
    for (int32_t n = std::accumulate(passes.begin(), passes.end(), 0); n > 0; --n)
        std::rand();
    EXPECT_EQ(nextAfterTable, std::rand()) << "one number per merge pass";

    const auto mergedExpected = liveByBucket(expected);
    const auto mergedActual = liveByBucket(snapshot(table));
    ASSERT_EQ(mergedActual.size(), mergedExpected.size());
    for (size_t b = 0; b < mergedExpected.size(); ++b) {
        ASSERT_EQ(mergedActual[b].size(), mergedExpected[b].size()) << "bucket " << b;
        for (size_t i = 0; i < mergedExpected[b].size(); ++i)
            ASSERT_TRUE(sameRecord(mergedActual[b][i], mergedExpected[b][i]))
                << "after merging, bucket " << b << " record " << i;
    }
    // Drawing emits the live records bucket by bucket in storage order.
    std::vector<QuadRecord> flat;
    for (const auto& bucket : mergedExpected)
        flat.insert(flat.end(), bucket.begin(), bucket.end());
    const std::vector<QuadRecord> live = table.liveQuads();
    ASSERT_EQ(live.size(), flat.size());
}

class QuadMergeEquivalenceTest : public ::testing::Test {
protected:
    TestHost core{nullptr, nullptr, nullptr, 100, 3, 4};
};

TEST_F(QuadMergeEquivalenceTest, RandomFillsOfFewAndManyMaterials) {
    std::mt19937 random(2024);
    const WorldRecipe recipes[] = {
        {9, 1.0, 1, false, true, 0.0}, {10, 0.5, 1, false, true, 0.0},
        {8, 0.3, 2, false, true, 0.0}, {9, 0.8, 4, false, true, 0.0},
        {7, 0.6, 3, true, true, 0.0},  {12, 0.15, 6, false, false, 0.0},
        {6, 0.9, 9, true, true, 0.0},  {10, 0.7, 2, false, false, 0.0},
    };
    for (int round = 0; round < 2; ++round) {
        for (const WorldRecipe& recipe : recipes) {
            MyOptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
            addBlocks(table, randomWorld(random, recipe));
            SCOPED_TRACE(::testing::Message() << "size " << recipe.size << " fill " << recipe.fill
                                              << " materials " << recipe.materials);
            expectSameAsLiteral(table, 77u + static_cast<unsigned>(round));
        }
    }
}

TEST_F(QuadMergeEquivalenceTest, RepeatedBlocksAndWholeSectors) {
    std::mt19937 random(99);
    // Files may hold several records of one cell: many faces on one square.
    for (const WorldRecipe& recipe :
         {WorldRecipe{6, 0.8, 2, false, true, 0.7}, WorldRecipe{5, 1.0, 1, false, true, 1.0},
          WorldRecipe{8, 0.5, 3, true, true, 0.4}}) {
        MyOptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
        addBlocks(table, randomWorld(random, recipe));
        expectSameAsLiteral(table, 5u);
    }
    // One whole sector of one material, in cell order and shuffled.
    for (bool shuffled : {false, true}) {
        MyOptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
        addBlocks(table, randomWorld(random, WorldRecipe{14, 1.0, 1, false, shuffled, 0.0}));
        expectSameAsLiteral(table, 6u);
    }
}

TEST_F(QuadMergeEquivalenceTest, ThreeDimensionalCheckerboardOfTwoMaterials) {
    std::mt19937 random(3);
    std::vector<Block> blocks;
    Material a, b;
    b.texture = 105;
    for (int32_t x = 0; x < 9; ++x)
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t z = 0; z < 9; ++z) {
                Block block{x, y, z, {}};
                for (Material& face : block.faces)
                    face = (x + y + z) % 2 ? a : b;
                blocks.push_back(block);
            }
    std::shuffle(blocks.begin(), blocks.end(), random);
    OptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
    addBlocks(table, blocks);
    expectSameAsLiteral(table, 8u);
}

// Records handed to a bucket directly, as a caller may: odd sizes, rectangles
// of different sizes sharing edges, negative zero, not-a-number corners,
// degenerate quads and a bucket whose records lie on different axes. Some
// rounds hand over unit squares on the grid, as a sector does, with now and
// then a square twice, vertices that are not its corners or wider bounds.
TEST_F(QuadMergeEquivalenceTest, RecordsAppendedDirectlyWithOddValues) {
    std::mt19937 random(11);
    const float values[] = {0.0f,  -0.0f, 10.0f, 20.0f,
                            15.0f, 30.0f, 5.0f,  std::numeric_limits<float>::quiet_NaN()};
    for (int round = 0; round < 120; ++round) {
        OptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
        const int32_t count = 20 + static_cast<int32_t>(random() % 60);
        const bool unitSquares = round >= 80;
        for (int32_t n = 0; n < count; ++n) {
            QuadRecord quad;
            // Every other round keeps to the block grid (multiples of 10 across,
            // 15 up, two orientations), where points are indexed by grid position.
            const bool onGrid = round % 2 == 1 || unitSquares;
            quad.axis = static_cast<uint8_t>(round % 4 == 0 ? random() % 3 : 0);
            quad.orientation = static_cast<uint8_t>(random() % (onGrid ? 2 : 3));
            quad.alive = static_cast<uint8_t>(random() % 10 != 0);
            const float plane =
                onGrid ? 15.0f * static_cast<float>(random() % 3) : values[random() % 3];
            auto pick = [&] {
                return onGrid ? 10.0f * static_cast<float>(random() % (unitSquares ? 8 : 5))
                              : values[random() % (round % 5 == 0 ? 8 : 7)];
            };
            float a0 = pick(), a1 = pick(), b0 = pick(), b1 = pick();
            if (unitSquares) {
                a1 = a0 + (random() % 2 ? 10.0f : -10.0f);
                b1 = b0 + (random() % 2 ? 10.0f : -10.0f);
            }
            const Vector3 c[4] = {
                {a0, plane, b0}, {a0, plane, b1}, {a1, plane, b1}, {a1, plane, b0}};
            const bool odd = !unitSquares || random() % 40 == 0;
            const uint32_t turn = unitSquares ? random() % 4 : 0;
            const uint32_t way = unitSquares && random() % 2 ? 3 : 1;
            for (uint32_t v = 0; v < 4; ++v)
                quad.q[v] = odd ? c[(v + random() % 2) % 4] : c[(turn + v * way) % 4];
            quad.min = {std::min(a0, a1), plane, std::min(b0, b1)};
            quad.max = {std::max(a0, a1), plane, std::max(b0, b1)};
            // Bounds wider than the corners: merged quads reach points that
            // no record had before.
            if (random() % (unitSquares ? 60 : 6) == 0)
                quad.max.x = onGrid ? 90.0f : 45.0f;
            ASSERT_TRUE(table.appendToBucket(quad, 0));
        }
        expectSameAsLiteral(table, static_cast<unsigned>(round));
    }
}

}  // namespace
