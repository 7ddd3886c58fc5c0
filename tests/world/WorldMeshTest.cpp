#include "world/WorldMesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "media/SpriteSheet.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TestWorld.h"

namespace {

using testworld::TestWorld;

// A quad as comparable numbers: corners then texture coordinates.
using QuadKey = std::vector<float>;

QuadKey keyOf(const Vector3 (&corners)[4], const Vector2 (&st)[4]) {
    QuadKey key;
    for (int v = 0; v < 4; ++v)
        key.insert(key.end(), {corners[v].x, corners[v].y, corners[v].z, st[v].x, st[v].y});
    return key;
}

// One frame of 8 x 10 texels at (1, 1) on a 16 x 16 sheet.
std::vector<uint8_t> oneFrameSheet() {
    std::vector<uint8_t> rgb(16 * 16 * 3, 90);
    const auto mark = [&](int x, int y, const uint8_t* colour) {
        std::copy(colour, colour + 3, rgb.begin() + (y * 16 + x) * 3);
    };
    mark(0, 0, SpriteSheet::NewGroupMark);
    mark(9, 0, SpriteSheet::EndMark);
    mark(9, 11, SpriteSheet::EndMark);
    return rgb;
}

}  // namespace

class WorldMeshTest : public TestWorld {};

// The mesh holds exactly the quads the sectors compile into their display
// lists, texture coordinates included, at the sectors' places in the world.
TEST_F(WorldMeshTest, BlockQuadsAreTheCompiledQuadsOfRandomWorlds) {
    std::mt19937 random(41);
    const int32_t textures[] = {100, 101, 104, 113, 118};
    for (int round = 0; round < 3; ++round) {
        const Vector3 start = map->sector(0)->origin;
        for (int i = 0; i < 200; ++i) {
            core->material.texture = textures[random() % 5];
            core->material.rotation = static_cast<uint8_t>(random() % 4);
            // Across the boundary of two sectors along x, some of it in the air.
            const Vector3 p = start + Vector3(150.0f + float(random() % 10) * 10.0f + 5.0f,
                                              float(random() % 6) * 15.0f + 7.0f,
                                              float(random() % 8) * 10.0f + 5.0f);
            map->setBlockAt(p, random() % 4 != 0);
        }
        map->draw();  // compiles every sector, as a frame does

        std::vector<QuadKey> compiled;
        for (int32_t s = 0; s < map->sectorCount(); ++s) {
            const TamoSector& sector = *map->sector(s);
            for (const QuadRecord& quad : sector.quadTable->liveQuads()) {
                Vector3 corners[4];
                Vector2 st[4];
                for (int v = 0; v < 4; ++v) {
                    corners[v] = sector.origin + quad.q[v];
                    st[v] = sector.quadTable->texCoord(quad, v);
                }
                compiled.push_back(keyOf(corners, st));
            }
        }
        WorldMesh mesh;
        mesh.addBlocks(*map);
        std::vector<QuadKey> exported;
        int32_t lastTexture = -1;
        for (const WorldMesh::Part& part : mesh.blocks) {
            EXPECT_GT(part.texture, lastTexture) << "one part per texture, ascending";
            lastTexture = part.texture;
            for (const WorldMesh::Quad& quad : part.quads)
                exported.push_back(keyOf(quad.corner, quad.texCoord));
        }
        ASSERT_GT(map->sectorCount(), 1);
        EXPECT_EQ(mesh.quadCount(), static_cast<int32_t>(compiled.size()));
        std::sort(compiled.begin(), compiled.end());
        std::sort(exported.begin(), exported.end());
        EXPECT_EQ(exported, compiled) << "round " << round;
        // Reading the mesh leaves the sectors drawing as before.
        EXPECT_FALSE(map->sector(0)->needsRebuild);
    }
}

// A figure is an upright quad of its front frame at half a texel a unit,
// standing on its position and facing the way it heads.
TEST_F(WorldMeshTest, SpritesAreUprightQuadsFacingTheirHeading) {
    const std::vector<uint8_t> rgb = oneFrameSheet();
    SpriteSheet sheet(nullptr, rgb.data(), 16, 16, 5, 0);
    ASSERT_TRUE(sheet.isValidFrame(0, 0));
    std::vector<SpriteObject> objects(3);
    const float angles[] = {0.0f, 90.0f, 225.0f};
    for (int i = 0; i < 3; ++i) {
        objects[i].position = {100.0f * i, 50.0f, 7.0f};
        objects[i].angle = angles[i];
        objects[i].name = "figure " + std::to_string(i);
    }
    objects[2].type = 4;  // no such group: not drawn, not exported
    sprites->replaceAll(std::move(objects));

    WorldMesh mesh;
    mesh.addSprites(*sprites, &sheet);
    mesh.addSprites(*sprites, nullptr);
    ASSERT_EQ(mesh.sprites.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const WorldMesh::Part& part = mesh.sprites[i];
        EXPECT_EQ(part.name, "figure " + std::to_string(i));
        EXPECT_EQ(part.texture, 5);
        ASSERT_EQ(part.quads.size(), 1u);
        const WorldMesh::Quad& q = part.quads[0];
        const Vector3 foot = sprites->object(i).position;
        const Vector3 across = q.corner[1] - q.corner[0];
        const Vector3 up = q.corner[3] - q.corner[0];
        EXPECT_NEAR(std::sqrt(dot(across, across)), 4.0f, 1e-4f);  // 8 texels
        EXPECT_NEAR(up.y, 5.0f, 1e-4f);                            // 10 texels
        EXPECT_NEAR(std::abs(up.x) + std::abs(up.z), 0.0f, 1e-4f);
        EXPECT_NEAR(distance((q.corner[0] + q.corner[1]) * 0.5f, foot), 0.0f, 1e-3f);
        // Counter-clockwise seen from ahead: the normal is the heading.
        const Vector3 normal = cross(across, up);
        const float radians = angles[i] * 3.14159265f / 180.0f;
        EXPECT_GT(dot(normal, Vector3(std::cos(radians), 0.0f, std::sin(radians))), 19.9f);
        // The frame's texels, upright and unmirrored.
        EXPECT_FLOAT_EQ(q.texCoord[0].x, 1.0f / 16.0f);
        EXPECT_FLOAT_EQ(q.texCoord[1].x, 9.0f / 16.0f);
        EXPECT_FLOAT_EQ(q.texCoord[0].y, 11.0f / 16.0f);
        EXPECT_FLOAT_EQ(q.texCoord[3].y, 1.0f / 16.0f);
    }
    Vector3 low, high;
    ASSERT_TRUE(mesh.bounds(&low, &high));
    EXPECT_FLOAT_EQ(low.y, 50.0f);
    EXPECT_FLOAT_EQ(high.y, 55.0f);
    EXPECT_FALSE(WorldMesh().bounds(&low, &high));
}

// Figures set in rows at a few headings: no two figures' quads share a plane
// (they would flicker in a viewer), and each moves only along its own normal,
// by no more than a hair for every figure before it.
TEST_F(WorldMeshTest, CoplanarFiguresAreSetApartAlongTheirNormals) {
    const std::vector<uint8_t> rgb = oneFrameSheet();
    SpriteSheet sheet(nullptr, rgb.data(), 16, 16, 5, 0);
    std::mt19937 random(17);
    const float headings[] = {0.0f, 90.0f, 180.0f, 270.0f, 45.0f};
    std::vector<SpriteObject> objects(120);
    for (size_t i = 0; i < objects.size(); ++i) {
        objects[i].id = static_cast<int32_t>(i);
        objects[i].angle = headings[random() % 5];
        // Rows along x and z on a coarse grid: many share a plane.
        objects[i].position = {40000.0f + 4.0f * float(random() % 4),
                               60000.0f + 15.0f * float(random() % 2),
                               40000.0f + 4.0f * float(random() % 4)};
    }
    sprites->replaceAll(std::vector<SpriteObject>(objects));
    WorldMesh mesh;
    mesh.addSprites(*sprites, &sheet);
    ASSERT_EQ(mesh.sprites.size(), objects.size());

    struct Plane {
        Vector3 normal;
        double distance;
    };
    std::vector<Plane> planes;
    for (size_t i = 0; i < objects.size(); ++i) {
        const WorldMesh::Quad& q = mesh.sprites[i].quads[0];
        Vector3 normal = cross(q.corner[1] - q.corner[0], q.corner[3] - q.corner[0]);
        normal = normal * (1.0f / std::sqrt(dot(normal, normal)));
        const Vector3 foot = (q.corner[0] + q.corner[1]) * 0.5f;
        const Vector3 moved = foot - objects[i].position;
        // Along the normal only, and within i hairs.
        EXPECT_LT(distance(moved, normal * dot(moved, normal)), 1e-2f) << i;
        EXPECT_LE(std::abs(dot(moved, normal)),
                  WorldMesh::CoplanarHair * static_cast<float>(i) + 1e-2f)
            << i;
        planes.push_back({normal, double(normal.x) * foot.x + double(normal.z) * foot.z});
    }
    int32_t sharedBefore = 0;
    for (size_t i = 0; i < planes.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            const float parallel = dot(planes[i].normal, planes[j].normal);
            if (std::abs(parallel) < 0.9999f)
                continue;
            const double other = parallel > 0 ? planes[j].distance : -planes[j].distance;
            EXPECT_GT(std::abs(planes[i].distance - other), WorldMesh::CoplanarHair * 0.5)
                << "figures " << j << " and " << i << " share a plane";
            // Did they before? Then this test saw what it is about.
            const Vector3 a = objects[i].position, b = objects[j].position;
            sharedBefore += std::abs(dot(planes[i].normal, a - b)) < 1e-3f;
        }
    EXPECT_GT(sharedBefore, 100);
}
