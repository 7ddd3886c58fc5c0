// A sector hands its quad table only the faces that stay visible when it can
// tell which faces the table would drop. These tests rebuild sectors of many
// kinds both ways, through the sector and by adding every face of every used
// block to a table run by the literal algorithm, and expect the same buckets
// in the same order, the same live quads in each, and the same numbers drawn
// from the generator.
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "world/LiteralQuadMerge.h"
#include "world/MyOptimizedQuadHashTable.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TestFaceCorners.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameVector(const Vector3& a, const Vector3& b) {
    return sameBits(a.x, b.x) && sameBits(a.y, b.y) && sameBits(a.z, b.z);
}

bool sameRecord(const QuadRecord& a, const QuadRecord& b) {
    for (int v = 0; v < 4; ++v)
        if (!sameVector(a.q[v], b.q[v]))
            return false;
    return sameVector(a.min, b.min) && sameVector(a.max, b.max) && a.texture == b.texture &&
           a.offsetU == b.offsetU && a.offsetV == b.offsetV && a.rotation == b.rotation &&
           a.scaleU == b.scaleU && a.scaleV == b.scaleV && a.axis == b.axis &&
           a.orientation == b.orientation && a.alive == b.alive;
}

literal::QuadBuckets snapshot(const OptimizedQuadHashTable& table) {
    literal::QuadBuckets buckets(static_cast<size_t>(table.bucketCount()));
    for (int32_t b = 0; b < table.bucketCount(); ++b)
        for (int32_t i = 0; i < table.bucketSize(b); ++i)
            buckets[static_cast<size_t>(b)].push_back(table.record(b, i));
    return buckets;
}

literal::QuadBuckets liveByBucket(const literal::QuadBuckets& buckets) {
    literal::QuadBuckets live(buckets.size());
    for (size_t b = 0; b < buckets.size(); ++b)
        for (const QuadRecord& q : buckets[b])
            if (q.alive)
                live[b].push_back(q);
    return live;
}

int32_t recordCount(const OptimizedQuadHashTable& table) {
    int32_t count = 0;
    for (int32_t b = 0; b < table.bucketCount(); ++b)
        count += table.bucketSize(b);
    return count;
}

int32_t usedCount(TamoSector& sector) {
    int32_t count = 0;
    for (const MapBlock& block : sector.blocks)
        count += block.used ? 1 : 0;
    return count;
}

// How the faces went into the sector's table.
enum class Path { AnyPath, Visible, Every };

class SectorFacesEquivalenceTest : public TestWorld {
protected:
    // Every face of every used block, in order, through addFace: how the
    // table is filled when nothing is known about the faces.
    void addEveryFace(TamoSector& sector, OptimizedQuadHashTable& table) {
        for (const MapBlock& block : sector.blocks) {
            if (!block.used)
                continue;
            const Vector3 cell(static_cast<float>(block.x), static_cast<float>(block.y),
                               static_cast<float>(block.z));
            for (int32_t f = 0; f < 6; ++f) {
                const TestFaceCorners& c = FaceCorners[f];
                const FaceMaterial& m = block.faces[f];
                ASSERT_TRUE(table.addFace(c.p1 + cell, c.p2 + cell, c.orientation, m.texture,
                                          m.offsetU, m.offsetV, m.rotation, m.scaleU, m.scaleV));
            }
        }
    }

    // Rebuilds the sector's faces and merges them, and expects what the
    // literal algorithm makes of every face; path says which way the sector
    // must have taken (every face stored, or fewer).
    void expectSameAsEveryFace(TamoSector& sector, Path path, unsigned seed = 1) {
        MyOptimizedQuadHashTable reference(core->blockWidth, core->blockHeight);
        addEveryFace(sector, reference);
        literal::QuadBuckets expected = snapshot(reference);
        literal::removeHiddenPairs(expected);
        const std::vector<int32_t> passes = literal::mergeQuads(expected);

        ASSERT_TRUE(sector.fillQuadTable());
        OptimizedQuadHashTable& table = *sector.quadTable;
        const int32_t stored = recordCount(table);
        const int32_t every = usedCount(sector) * 6;
        if (path == Path::Every) {
            EXPECT_EQ(stored, every) << "every face handed over";
        }
        if (path == Path::Visible) {
            EXPECT_LT(stored, every) << "hidden faces left out";
        }

        table.removeHiddenPairs();
        std::srand(seed);
        table.mergeQuads();
        const int nextAfterTable = std::rand();
        std::srand(seed);
        for (int32_t n = std::accumulate(passes.begin(), passes.end(), 0); n > 0; --n)
            std::rand();
        EXPECT_EQ(nextAfterTable, std::rand()) << "one number per merge pass of every bucket";

        const literal::QuadBuckets want = liveByBucket(expected);
        const literal::QuadBuckets got = liveByBucket(snapshot(table));
        ASSERT_EQ(got.size(), want.size()) << "bucket count";
        for (size_t b = 0; b < want.size(); ++b) {
            ASSERT_EQ(got[b].size(), want[b].size()) << "bucket " << b;
            for (size_t i = 0; i < want[b].size(); ++i)
                ASSERT_TRUE(sameRecord(got[b][i], want[b][i])) << "bucket " << b << " quad " << i;
        }
    }

    static std::vector<FaceMaterial> palette(std::mt19937& random, int32_t count) {
        std::vector<FaceMaterial> materials;
        for (int32_t k = 0; k < count; ++k) {
            FaceMaterial m;
            m.texture = 100 + static_cast<int32_t>(random() % 10);  // 101 to 106: building sides
            m.offsetU = static_cast<int32_t>(random() % 3) - 1;
            m.offsetV = static_cast<int32_t>(random() % 3) - 1;
            m.rotation = static_cast<uint8_t>(random() % 4);
            m.scaleU = static_cast<int8_t>(1 + random() % 2);
            m.scaleV = static_cast<int8_t>(1 + random() % 2);
            materials.push_back(m);
        }
        return materials;
    }

    // A sector record as a file holds it: random cells in random order, some
    // stored twice when repeats is above 0.
    static TamoSectorData randomData(std::mt19937& random, int32_t size, double fill,
                                     int32_t materials, bool perFace, double repeats = 0.0) {
        const std::vector<FaceMaterial> colours = palette(random, materials);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        TamoSectorData data;
        data.size = size;
        for (int32_t x = 0; x < size; ++x)
            for (int32_t y = 0; y < size; ++y)
                for (int32_t z = 0; z < size; ++z) {
                    if (unit(random) >= fill)
                        continue;
                    MapBlock block;
                    block.x = x, block.y = y, block.z = z;
                    block.used = true;
                    const FaceMaterial& whole = colours[random() % colours.size()];
                    for (FaceMaterial& face : block.faces)
                        face = perFace ? colours[random() % colours.size()] : whole;
                    data.blocks.push_back(block);
                    if (unit(random) < repeats) {
                        MapBlock again = block;
                        again.faces[random() % 6] = colours[random() % colours.size()];
                        data.blocks.push_back(again);
                    }
                }
        std::shuffle(data.blocks.begin(), data.blocks.end(), random);
        return data;
    }

    std::unique_ptr<TamoSector> sectorOf(const TamoSectorData& data) {
        return std::unique_ptr<TamoSector>(core->createSectorFromData(data));
    }
};

// Random sectors of one to many materials, whole blocks or a material per
// face, with cells at every boundary of the sector.
TEST_F(SectorFacesEquivalenceTest, RandomSectorsOfFewAndManyMaterials) {
    std::mt19937 random(41);
    struct Recipe {
        int32_t size;
        double fill;
        int32_t materials;
        bool perFace;
    };
    const Recipe recipes[] = {{1, 1.0, 1, false},  {2, 1.0, 1, false}, {9, 1.0, 1, false},
                              {10, 0.5, 1, false}, {8, 0.7, 2, false}, {9, 0.8, 4, false},
                              {7, 0.9, 2, true},   {6, 0.6, 3, true},  {12, 0.2, 5, false}};
    for (int round = 0; round < 2; ++round)
        for (const Recipe& recipe : recipes) {
            SCOPED_TRACE(::testing::Message() << "size " << recipe.size << " fill " << recipe.fill
                                              << " materials " << recipe.materials);
            std::unique_ptr<TamoSector> sector = sectorOf(
                randomData(random, recipe.size, recipe.fill, recipe.materials, recipe.perFace));
            const bool someHidden = recipe.size > 1 && recipe.fill >= 0.5 && !recipe.perFace;
            expectSameAsEveryFace(*sector, someHidden ? Path::Visible : Path::AnyPath,
                                  static_cast<unsigned>(round + 3));
        }
}

// A full sector of one material: only the outer faces go to the table.
TEST_F(SectorFacesEquivalenceTest, FullSectorOfOneMaterialHandsOverTheOuterFacesOnly) {
    std::mt19937 random(7);
    std::unique_ptr<TamoSector> sector = sectorOf(randomData(random, 20, 1.0, 1, false));
    expectSameAsEveryFace(*sector, Path::Visible);
    ASSERT_TRUE(sector->fillQuadTable());
    EXPECT_EQ(recordCount(*sector->quadTable), 6 * 20 * 20);
}

// Files may store a cell twice; then three or four faces share a square and
// the table's greedy pairing decides, so every face goes to the table. Once
// the editor has removed the first record of every cell, the repeated
// records left are each their cell's only used block.
TEST_F(SectorFacesEquivalenceTest, RepeatedCellsFromFiles) {
    std::mt19937 random(5);
    for (double repeats : {0.05, 0.5, 1.0}) {
        SCOPED_TRACE(::testing::Message() << "repeats " << repeats);
        TamoSectorData data = randomData(random, 6, 0.8, 2, false, repeats);
        std::unique_ptr<TamoSector> sector = sectorOf(data);
        expectSameAsEveryFace(*sector, Path::Every, 11);

        for (const MapBlock& block : data.blocks)
            sector->setBlock(block.x, block.y, block.z, false);
        expectSameAsEveryFace(*sector, repeats == 1.0 ? Path::Visible : Path::AnyPath, 12);
    }
}

// Neighbours whose touching faces differ while other faces agree: a
// material shared across one wall but not the opposite one, equal materials
// facing the same way, one field of the material apart, and a material whose
// faces are all hidden (its bucket exists, empty, in its place).
TEST_F(SectorFacesEquivalenceTest, TouchingFacesOfNearlyEqualMaterials) {
    TamoSectorData data;
    data.size = 4;
    FaceMaterial plain, inner, shifted;
    plain.texture = 100;
    inner.texture = 120;
    shifted = inner;
    shifted.scaleV = 2;
    const auto block = [&](int32_t x, int32_t y, int32_t z) {
        MapBlock b;
        b.x = x, b.y = y, b.z = z;
        b.used = true;
        std::fill(std::begin(b.faces), std::end(b.faces), plain);
        data.blocks.push_back(b);
        return data.blocks.size() - 1;
    };
    // A pair whose shared wall has its own material on both sides.
    const size_t a = block(0, 0, 0), b = block(1, 0, 0);
    data.blocks[a].faces[FaceRightX] = inner;
    data.blocks[b].faces[FaceLeftX] = inner;
    // A pair where the sides facing the same way agree but the touching ones
    // do not.
    const size_t c = block(0, 2, 0), d = block(0, 3, 0);
    data.blocks[c].faces[FaceTop] = inner;
    data.blocks[d].faces[FaceTop] = inner;
    // One field apart on the touching faces.
    const size_t e = block(3, 0, 2), f = block(3, 0, 3);
    data.blocks[e].faces[FaceBackZ] = inner;
    data.blocks[f].faces[FaceFrontZ] = shifted;
    std::unique_ptr<TamoSector> sector = sectorOf(data);
    expectSameAsEveryFace(*sector, Path::Visible, 21);

    ASSERT_TRUE(sector->fillQuadTable());
    const OptimizedQuadHashTable& table = *sector->quadTable;
    bool emptyInnerBucket = false;
    for (int32_t k = 0; k < table.bucketCount(); ++k)
        emptyInnerBucket = emptyInnerBucket || table.bucketSize(k) == 0;
    EXPECT_TRUE(emptyInnerBucket) << "the wall material's bucket is made though all is hidden";
}

// Edits in a sector: blocks placed and removed through the editor, painted
// faces and building sides that turn into roofs before each rebuild.
TEST_F(SectorFacesEquivalenceTest, SectorsEditedThroughTheEditor) {
    std::mt19937 random(13);
    std::unique_ptr<TamoSector> sector(core->createSector({0, 0, 0}, 20));
    const std::vector<FaceMaterial> colours = palette(random, 4);
    for (int step = 0; step < 6; ++step) {
        for (int n = 0; n < 400; ++n) {
            core->material = colours[random() % colours.size()];
            const int32_t x = static_cast<int32_t>(random() % 20);
            const int32_t y = static_cast<int32_t>(random() % 6);
            const int32_t z = static_cast<int32_t>(random() % 20);
            sector->setBlock(x, y, z, random() % 4 != 0);
        }
        for (MapBlock& block : sector->blocks)
            if (random() % 5 == 0)
                block.faces[random() % 6] = colours[random() % colours.size()];
        sector->rebuild();  // building sides get their roofs here
        expectSameAsEveryFace(*sector, Path::AnyPath, static_cast<unsigned>(step));
    }
}

// Block sizes where whole-number corners stay exact in a float, and sizes
// where they do not (those hand over every face), and a sector drawn by a
// table of another kind, which sees every face through addFace.
TEST_F(SectorFacesEquivalenceTest, BlockSizesAndTablesOfOtherKinds) {
    std::mt19937 random(17);
    const TamoSectorData data = randomData(random, 8, 0.9, 2, false);
    const int32_t width = core->blockWidth, height = core->blockHeight;
    struct Size {
        int32_t width, height;
        Path path;
    };
    for (const Size& s : {Size{1, 1, Path::Visible}, Size{3, 7, Path::Visible},
                          Size{1 << 21, 5, Path::Visible}, Size{1 << 22, 5, Path::Every},
                          Size{10, 3 << 21, Path::Every}, Size{0, 15, Path::Every}}) {
        SCOPED_TRACE(::testing::Message() << "block " << s.width << " x " << s.height);
        core->blockWidth = s.width;
        core->blockHeight = s.height;
        std::unique_ptr<TamoSector> sector = sectorOf(data);
        expectSameAsEveryFace(*sector, s.path);
    }
    core->blockWidth = width;
    core->blockHeight = height;

    class CountingTable : public MyOptimizedQuadHashTable {
    public:
        using MyOptimizedQuadHashTable::MyOptimizedQuadHashTable;
        bool addFace(const Vector3& p1, const Vector3& p2, int32_t orientation, int32_t texture,
                     int32_t offsetU, int32_t offsetV, int32_t rotation, int32_t scaleU,
                     int32_t scaleV) override {
            ++faces;
            return OptimizedQuadHashTable::addFace(p1, p2, orientation, texture, offsetU, offsetV,
                                                   rotation, scaleU, scaleV);
        }
        int32_t faces = 0;
    };
    std::unique_ptr<TamoSector> sector = sectorOf(data);
    CountingTable* counting = new CountingTable(core->blockWidth, core->blockHeight, nullptr,
                                                OptimizedQuadHashTable::Shortcuts::none());
    sector->quadTable.reset(counting);
    expectSameAsEveryFace(*sector, Path::Every);
    EXPECT_EQ(counting->faces, usedCount(*sector) * 6);
}

// The picture a sector draws from inside and from outside, textured so that
// texture coordinates show, is the one drawn from every face.
TEST_F(SectorFacesEquivalenceTest, PictureMatchesTheOneDrawnFromEveryFace) {
    for (int32_t id = 100; id < 113; ++id) {
        std::vector<uint8_t> rgba;
        for (int32_t i = 0; i < 64; ++i)
            rgba.insert(rgba.end(),
                        {static_cast<uint8_t>(id * 23 + i * 5), static_cast<uint8_t>(i * 31),
                         static_cast<uint8_t>(id * 7 + i), 255});
        ASSERT_TRUE(gl->textures->uploadTexture(rgba.data(), 8, 8, id, 0));
    }
    class EveryFaceTable : public MyOptimizedQuadHashTable {
    public:
        using MyOptimizedQuadHashTable::MyOptimizedQuadHashTable;
    };
    const auto picture = [&](TamoSector& sector, Vector3 eye, Vector3 direction) {
        gl->eye = eye;
        gl->direction = direction;
        gl->up = {0, 1, 0};
        gl->applyProjection();
        gl->applyCamera();
        glClearColor(0, 0, 0, 1);
        gl->clear();
        glColor4f(1, 1, 1, 1);
        sector.needsRebuild = true;
        sector.drawSector();
        std::vector<uint8_t> pixels(static_cast<size_t>(gl->width * gl->height * 4));
        glReadPixels(0, 0, gl->width, gl->height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    struct View {
        Vector3 eye, direction;
    };
    const View views[] = {{{45, 70, 45}, {1, 0, 0.3f}},
                          {{45, 70, 45}, {-0.2f, -1, 0.1f}},
                          {{-60, 200, -60}, {1, -1, 1}}};
    std::mt19937 random(29);
    for (bool perFace : {false, true}) {
        std::unique_ptr<TamoSector> sector = sectorOf(randomData(random, 10, 0.6, 3, perFace));
        std::vector<std::vector<uint8_t>> fast;
        for (const View& view : views)
            fast.push_back(picture(*sector, view.eye, view.direction));
        sector->quadTable.reset(new EveryFaceTable(core->blockWidth, core->blockHeight, nullptr,
                                                   OptimizedQuadHashTable::Shortcuts::none()));
        for (size_t v = 0; v < fast.size(); ++v) {
            size_t lit = 0;
            for (size_t p = 0; p + 3 < fast[v].size(); p += 4)
                lit += (fast[v][p] | fast[v][p + 1] | fast[v][p + 2]) != 0 ? 1 : 0;
            EXPECT_GT(lit, fast[v].size() / 4 / 10) << "view " << v << " shows blocks";
            EXPECT_TRUE(picture(*sector, views[v].eye, views[v].direction) == fast[v])
                << "view " << v << (perFace ? " with a material per face" : "");
        }
    }
}

}  // namespace
