#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "world/LiteralRayMarch.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class RayMarchEquivalenceTest : public TestWorld {
protected:
    float w() const { return static_cast<float>(core->blockWidth); }
    float h() const { return static_cast<float>(core->blockHeight); }

    // Fills grid sectors in a box from a corner with random blocks, through
    // the map as the editor does.
    void fillGridSectors(std::mt19937& random, const Vector3& corner, int32_t blocks,
                         const Vector3& extent = Vector3(600, 600, 600)) {
        std::uniform_real_distribution<float> x(0.0f, extent.x), y(0.0f, extent.y),
            z(0.0f, extent.z);
        for (int32_t n = 0; n < blocks; ++n) {
            const Vector3 p = corner + Vector3(x(random), y(random), z(random));
            const int32_t i = map->findOrCreateSector(p);
            ASSERT_GE(i, 0);
            map->sector(i)->setBlockAt(p, random() % 7 != 0);
        }
    }

    // A world file of sectors with odd sizes and origins: touching,
    // overlapping, off the grid, and with cells stored twice.
    void loadOddSectors(std::mt19937& random) {
        Bytes file;
        struct Odd {
            int32_t size;
            Vector3 origin;
        };
        const Odd odd[] = {
            {7, {40013.7f, 60001.25f, 39990.5f}},
            {7, {40013.7f + 70.0f, 60001.25f, 39990.5f}},  // touches the first along x
            {13, {40050.0f, 60020.0f, 40010.0f}},          // overlaps both
            {1, {39980.0f, 60000.0f, 40000.0f}},
            {25, {39800.0f, 59700.0f, 39800.0f}},  // larger than the grid's
            {3, {-0.0f, 0.0f, -35.5f}},            // near the world origin
        };
        file.i32(static_cast<int32_t>(std::size(odd)));
        for (const Odd& s : odd) {
            const int32_t count = s.size * s.size * s.size / 3 + 1;
            file.sectorHeader(s.size, s.origin.x, s.origin.y, s.origin.z, count);
            for (int32_t b = 0; b < count; ++b)
                file.block(static_cast<int32_t>(random() % s.size),
                           static_cast<int32_t>(random() % s.size),
                           static_cast<int32_t>(random() % s.size));
        }
        file.i32(0);  // no sprite objects
        writeFile(path("odd.map"), file.data());
        std::string why;
        ASSERT_TRUE(MapFile::loadWorld(path("odd.map").c_str(), *map, *sprites, &why)) << why;
        // Some records removed again: their cells stay in the sector.
        for (int32_t i = 0; i < map->sectorCount(); ++i)
            for (const MapBlock& b : std::vector<MapBlock>(map->sector(i)->blocks.begin(),
                                                           map->sector(i)->blocks.end()))
                if (random() % 5 == 0)
                    map->sector(i)->setBlock(b.x, b.y, b.z, false);
    }

    // The first sector in list order whose box holds p, asking every one.
    int32_t literalFindSector(const Vector3& p) const {
        for (int32_t i = 0; i < map->sectorCount(); ++i)
            if (map->sector(i)->containsPoint(p))
                return i;
        return -1;
    }

    // Points inside, on the faces, edges and corners of used blocks.
    std::vector<Vector3> targets(std::mt19937& random) {
        std::vector<Vector3> points;
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int32_t i = 0; i < map->sectorCount(); ++i) {
            const TamoSector* s = map->sector(i);
            for (const MapBlock& b : s->blocks) {
                if (!b.used || random() % 4 != 0)
                    continue;
                const bool corner = random() % 3 == 0;
                const float fx = corner ? static_cast<float>(random() % 2) : unit(random);
                const float fy = corner ? static_cast<float>(random() % 2) : unit(random);
                const float fz = corner ? static_cast<float>(random() % 2) : unit(random);
                points.push_back(s->origin +
                                 Vector3((b.x + fx) * w(), (b.y + fy) * h(), (b.z + fz) * w()));
            }
        }
        return points;
    }

    // Rays towards each target from random directions and distances (some
    // starting inside blocks), marched both ways with several steps.
    // Along borders, the rays are often parallel to an axis or a diagonal of
    // the cells and start a whole number of units from the target, so that
    // samples fall exactly on cell borders, and often end just at the
    // target or a quarter unit short, so that the last sample decides.
    // Returns how many marches met a block.
    size_t expectSameHits(std::mt19937& random, const std::vector<Vector3>& points, size_t rays,
                          const std::vector<float>& steps, float farthest = 900.0f,
                          bool alongBorders = false) {
        size_t met = 0;
        std::normal_distribution<float> gauss(0.0f, 1.0f);
        std::uniform_real_distribution<float> distance(-20.0f, farthest);
        for (size_t r = 0; r < rays && !points.empty(); ++r) {
            const Vector3& target = points[random() % points.size()];
            Vector3 direction(gauss(random), gauss(random), gauss(random));
            if (random() % 5 == 0)
                direction = Vector3(static_cast<float>(random() % 3) - 1.0f, 0.0f, 1.0f);
            float away = distance(random), reach = 1000.0f;
            if (alongBorders) {
                const auto sign = [&] { return random() % 2 ? 1.0f : -1.0f; };
                const int32_t axis = static_cast<int32_t>(random() % 4);
                if (axis < 3)
                    direction = Vector3(axis == 0 ? sign() : 0, axis == 1 ? sign() : 0,
                                        axis == 2 ? sign() : 0);
                if (random() % 4 == 0)
                    direction = Vector3(sign(), 0, sign());
                away = std::round(away);
                if (random() % 2 == 0)
                    reach = std::max(0.0f, away - (random() % 2 ? 0.25f : 0.0f));
            }
            direction = normalise(direction);
            const Vector3 start = target - direction * away;
            const Vector3 end = start + direction * reach;
            // The sectors found by grid cell are those a walk of the list finds.
            for (const Vector3& p : {target, start, end})
                EXPECT_EQ(map->findSector(p), literalFindSector(p)) << "ray " << r;
            for (float step : steps) {
                Vector3 hitFast, hitLiteral;
                int32_t indexFast = -7, indexLiteral = -7;
                map->marchRay(start, end, step, &hitFast, &indexFast);
                literal::marchRay(*map, w(), h(), start, end, step, &hitLiteral, &indexLiteral);
                EXPECT_EQ(indexFast, indexLiteral) << "ray " << r << " step " << step;
                EXPECT_EQ(std::memcmp(&hitFast, &hitLiteral, sizeof hitFast), 0)
                    << "ray " << r << " step " << step;
                if (indexFast != indexLiteral || hitFast != hitLiteral)
                    return met;
                met += indexLiteral >= 0 ? 1 : 0;
            }
        }
        return met;
    }
};

TEST_F(RayMarchEquivalenceTest, GridSectorsBuiltByEditingMeetTheSameBlocks) {
    std::mt19937 random(41);
    fillGridSectors(random, Vector3(39800, 59800, 39800), 2500);
    ASSERT_GT(map->sectorCount(), 8);
    EXPECT_GT(expectSameHits(random, targets(random), 300, {1.0f, 3.0f}), 300u);
    EXPECT_GT(expectSameHits(random, targets(random), 12, {0.1f, 0.37f}), 12u);
}

TEST_F(RayMarchEquivalenceTest, SectorsReadFromAFileWithOddSizesAndOrigins) {
    std::mt19937 random(8);
    loadOddSectors(random);
    ASSERT_EQ(map->sectorCount(), 6);
    // Grid sectors placed among them afterwards overlap the odd ones.
    fillGridSectors(random, Vector3(39900, 59900, 39900), 400);
    EXPECT_GT(expectSameHits(random, targets(random), 300, {1.0f, 2.5f}), 300u);
    EXPECT_GT(expectSameHits(random, targets(random), 12, {0.1f}), 6u);
}

// Edits in both views, plan frames (which order each sector's records by
// level to draw them), loads and rays in random order: whatever changed or
// replaced the records, the march meets what the literal march meets. The edits follow a
// wandering cursor, so new blocks often widen their sector's extent and sit
// below blocks placed before them, and rays aim at the blocks edited last.
TEST_F(RayMarchEquivalenceTest, EditsPlanSortsLoadsAndRaysInterleaved) {
    std::mt19937 random(29);
    const Vector3 corner(39800, 59800, 39800);
    fillGridSectors(random, corner, 60);
    Vector3 at = corner + Vector3(300, 300, 300);
    auto wander = [&] {
        const auto stride = [&](float cell, int32_t most) {
            return cell *
                   static_cast<float>(static_cast<int32_t>(random() % (2 * most + 1)) - most);
        };
        at = at + Vector3(stride(w(), 4), stride(h(), 3), stride(w(), 4));
        for (float* axis : {&at.x, &at.y, &at.z})
            *axis = std::clamp(*axis, 39800.0f, 40400.0f);
    };
    std::vector<Vector3> recent;
    size_t met = 0;
    for (int round = 0; round < 200; ++round) {
        switch (random() % 8) {
        case 0:
        case 1:
        case 2:  // blocks placed and removed in the 3D view
            for (int n = 0; n < 3; ++n) {
                wander();
                const int32_t i = map->findOrCreateSector(at);
                ASSERT_GE(i, 0);
                map->sector(i)->setBlockAt(at, random() % 6 != 0);
                recent.push_back(at);
            }
            break;
        case 3:
        case 4: {  // a plan stroke through the cursor's cell at its level
            wander();
            core->view3D = false;
            core->currentLevel = static_cast<int32_t>(std::floor(at.y / h()));
            core->planScrollX = std::floor(at.x / w()) * 16 - 100;
            core->planScrollY = std::floor(at.z / w()) * 16 - 100;
            const int32_t cells = static_cast<int32_t>(random() % 5) - 2;
            map->editBlockLine(108, 108, 108 + cells * 16, 108, true);
            recent.push_back(at);
            core->view3D = true;
            break;
        }
        case 5:
        case 6:  // a plan frame orders every sector by level
            core->view3D = false;
            core->currentLevel = static_cast<int32_t>(std::floor(at.y / h()));
            map->draw();
            core->view3D = true;
            break;
        default: {  // the world saved and loaded again: only used records remain
            std::string why;
            ASSERT_TRUE(MapFile::saveWorld(path("round.map").c_str(), *map, *sprites, &why)) << why;
            ASSERT_TRUE(MapFile::loadWorld(path("round.map").c_str(), *map, *sprites, &why)) << why;
            break;
        }
        }
        if (random() % 3 != 0)
            continue;  // several changes between rays, as between clicks
        // Rays from near the blocks, those edited last among them, so that
        // few other blocks stand in the way.
        std::vector<Vector3> points = targets(random);
        points.insert(points.end(), recent.end() - std::min<size_t>(recent.size(), 8),
                      recent.end());
        met += expectSameHits(random, points, 24, {1.0f}, 80.0f);
        if (HasFailure())
            return;
    }
    EXPECT_GT(met, 150u);
}

// A flat city of a hundred sectors with few blocks, so that long rays cross
// many sectors before they meet one, and blocks around the world origin (all
// signs, coordinates in many binades) and across the binade borders at 32768
// and 65536 (the samples' rounding changes along the ray).
TEST_F(RayMarchEquivalenceTest, RaysAlongBordersAcrossManySectorsAndBinades) {
    std::mt19937 random(61);
    fillGridSectors(random, Vector3(39000, 59990, 39000), 1200, Vector3(2000, 20, 2000));
    fillGridSectors(random, Vector3(-300, -300, -300), 500);
    fillGridSectors(random, Vector3(65236, 32468, -65836), 500);
    ASSERT_GT(map->sectorCount(), 150);
    EXPECT_GT(expectSameHits(random, targets(random), 400, {1.0f, 2.5f}, 900.0f, true), 400u);
    EXPECT_GT(expectSameHits(random, targets(random), 30, {0.1f}, 900.0f, true), 15u);
}

TEST_F(RayMarchEquivalenceTest, RaysThatCannotAdvanceOrMissEverything) {
    std::mt19937 random(3);
    fillGridSectors(random, Vector3(39800, 59800, 39800), 300);
    const Vector3 start(40005, 60007.5f, 40005);
    for (float step : {0.0f, -1.0f, 1.0f}) {
        for (const Vector3& end : {start, Vector3(40005, 61000, 40005), Vector3(0, 0, 0)}) {
            Vector3 hitFast, hitLiteral;
            int32_t indexFast = -7, indexLiteral = -7;
            map->marchRay(start, end, step, &hitFast, &indexFast);
            literal::marchRay(*map, w(), h(), start, end, step, &hitLiteral, &indexLiteral);
            EXPECT_EQ(indexFast, indexLiteral);
            EXPECT_EQ(hitFast, hitLiteral);
        }
    }
    // A step too small for the distance to add up to the end (its sum stops
    // at 65536): the samples never end. From 20 units before a block the ray
    // meets it where the literal march does; rising above every block it
    // meets nothing, and the march still ends.
    const TamoSector& s = *map->sector(0);
    const MapBlock* b = &*std::find_if(s.blocks.begin(), s.blocks.end(),
                                       [](const MapBlock& block) { return block.used; });
    const Vector3 inside =
        s.origin + Vector3((b->x + 0.5f) * w(), (b->y + 0.5f) * h(), (b->z + 0.5f) * w());
    const Vector3 before = inside - Vector3(0, 0, 20);
    for (const Vector3& end : {before + Vector3(0, 0, 1e5f), before + Vector3(0, 1e5f, 0)}) {
        Vector3 hitFast;
        int32_t indexFast = -7;
        map->marchRay(before + Vector3(0, end.y > before.y ? 600 : 0, 0), end, 0.004f, &hitFast,
                      &indexFast);
        if (end.y > before.y) {
            EXPECT_EQ(hitFast, end);
            EXPECT_EQ(indexFast, -7);
            continue;
        }
        Vector3 hitLiteral;
        int32_t indexLiteral = -7;
        literal::marchRay(*map, w(), h(), before, end, 0.004f, &hitLiteral, &indexLiteral);
        EXPECT_GE(indexLiteral, 0);
        EXPECT_EQ(indexFast, indexLiteral);
        EXPECT_EQ(hitFast, hitLiteral);
    }
    // Far from every sector: nothing is met and the end comes back.
    Vector3 hit;
    int32_t index = -7;
    map->marchRay(Vector3(0, 0, 0), Vector3(1000, 0, 0), 0.1f, &hit, &index);
    EXPECT_EQ(hit, Vector3(1000, 0, 0));
    EXPECT_EQ(index, -7);
}

}  // namespace
