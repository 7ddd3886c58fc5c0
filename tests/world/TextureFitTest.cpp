#include <GL/gl.h>

#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "world/CellBox.h"
#include "world/MapFile.h"
#include "world/RegionEdit.h"
#include "world/TestWorld.h"
#include "world/TextureFit.h"
#include "world/WorldHistory.h"
#include "world/WorldMesh.h"

using namespace testworld;

namespace {

constexpr int32_t Normals[6][3] = {{0, -1, 0}, {0, 1, 0},  {-1, 0, 0},
                                   {1, 0, 0},  {0, 0, -1}, {0, 0, 1}};

// The literal planar mapping of the quad table: a point in world units
// relative to its sector's origin on a face with material m.
Vector2 planar(const FaceMaterial& m, int32_t face, const Vector3& p) {
    const int32_t axis = face < 2 ? 0 : face < 4 ? 1 : 2;
    const float a = axis == 1 ? p.z / 10 : p.x / 10;
    const float b = axis == 0 ? p.z / 10 : p.y / 15;
    const float ou = m.offsetU, ov = m.offsetV, su = m.scaleU, sv = m.scaleV;
    switch (m.rotation) {
    case 1:
        return axis == 0 ? Vector2((b + ov) / sv, (ou - a) / su)
                         : Vector2((ov - b) / sv, (a + ou) / su);
    case 2:
        return {(ou - a) / su, (ov - b) / sv};
    case 3:
        return axis == 0 ? Vector2((ov - b) / sv, (a + ou) / su)
                         : Vector2((b + ov) / sv, (ou - a) / su);
    default:
        return {(a + ou) / su, (b + ov) / sv};
    }
}

// A flat patch of blocks in one plane, as a grid: whether each cell holds a
// block, its texture, and whether a block stands in front of it.
struct Patch {
    int32_t face = 0;
    int32_t axisA = 0, axisB = 0;  // world axes of the grid's columns and rows
    int32_t base[3] = {0, 0, 0};   // world cell of grid cell (0, 0)
    int32_t columns = 0, rows = 0;
    std::vector<int32_t> texture;  // 0: no block
    std::vector<bool> covered;

    // The world cell of grid cell k (row by row).
    void cellOf(int32_t k, int32_t c[3]) const {
        std::copy(base, base + 3, c);
        c[axisA] += k % columns;
        c[axisB] += k / columns;
    }
    // The grid cells reached from cell k0 edge to edge through open cells of
    // its texture: a plain flood fill.
    std::vector<bool> region(int32_t k0) const {
        std::vector<bool> in(texture.size(), false);
        std::vector<int32_t> todo{k0};
        in[k0] = true;
        while (!todo.empty()) {
            const int32_t k = todo.back(), x = k % columns, y = k / columns;
            todo.pop_back();
            for (const int32_t n : {x > 0 ? k - 1 : -1, x + 1 < columns ? k + 1 : -1,
                                    y > 0 ? k - columns : -1, y + 1 < rows ? k + columns : -1})
                if (n >= 0 && !in[n] && texture[n] == texture[k0] && !covered[n])
                    in[n] = true, todo.push_back(n);
        }
        return in;
    }
};

class TextureFitTest : public TestWorld {
protected:
    void TearDown() override {
        history.reset();  // before the map it reports to
        TestWorld::TearDown();
    }
    // A fresh world without the start block.
    void newWorld() {
        history.reset();
        delete map;
        map = new TamoMap(core);
        core->map = map;
        RegionEdit(*map, *sprites, nullptr).remove(CellBox::single(4000, 4000, 4000));
        history = std::make_unique<WorldHistory>(*map, *sprites);
    }

    void put(const int32_t c[3], const FaceMaterial& m) {
        RegionEdit(*map, *sprites, nullptr).fill(CellBox::single(c[0], c[1], c[2]), m);
    }

    // Scales of either sign: continue must carry mirrored pictures on too.
    FaceMaterial randomMaterial(int32_t texture) {
        const auto r = [&](unsigned n) { return static_cast<int32_t>(rng() % n); };
        const auto scale = [&] { return int8_t((1 + r(4)) * (r(2) ? 1 : -1)); };
        const int32_t offsetU = r(11) - 5, offsetV = r(11) - 5;
        const uint8_t rotation = static_cast<uint8_t>(r(4));
        const int8_t scaleU = scale();
        return {texture, offsetU, offsetV, rotation, scaleU, scale()};
    }

    // A random patch near a corner of four sectors, built into the world.
    Patch randomPatch() {
        Patch p;
        p.face = static_cast<int32_t>(rng() % 6);
        const int32_t normal = p.face / 2 == 0 ? 1 : p.face / 2 == 1 ? 0 : 2;
        p.axisA = normal == 0 ? 1 : 0;
        p.axisB = normal == 2 ? 1 : 2;
        for (int32_t& b : p.base)
            b = 4000 + static_cast<int32_t>(rng() % 17) - 8;
        p.columns = 1 + static_cast<int32_t>(rng() % 10);
        p.rows = 1 + static_cast<int32_t>(rng() % 10);
        for (int32_t k = 0; k < p.columns * p.rows; ++k) {
            const unsigned pick = rng() % 10;
            p.texture.push_back(pick == 0 ? 0 : pick < 8 ? 113 : 114);
            p.covered.push_back(rng() % 8 == 0);
            int32_t c[3];
            p.cellOf(k, c);
            if (p.texture.back() != 0)
                put(c, randomMaterial(p.texture.back()));
            if (p.covered.back()) {
                for (int32_t a = 0; a < 3; ++a)
                    c[a] += Normals[p.face][a];
                put(c, randomMaterial(115));
            }
        }
        return p;
    }

    // The material of a face of the block in world cell c, and its sector's origin.
    FaceMaterial laidOn(const int32_t c[3], int32_t face, Vector3* origin = nullptr) {
        const Vector3 centre = CellBox::cellCentre(c[0], c[1], c[2], 10, 15);
        const TamoSector& sector = *map->sector(map->findSector(centre));
        int32_t x = 0, y = 0, z = 0;
        EXPECT_TRUE(sector.cellOf(centre, x, y, z));
        if (origin)
            *origin = sector.origin;
        return sector.findBlock(x, y, z)->faces[face];
    }

    std::mt19937 rng{20261209};
    std::unique_ptr<WorldHistory> history;
};

// Right and down of an upright, unmirrored picture seen from outside a face
// (floors and roofs with their top towards -z, as the plan view shows them),
// then turned. A viewer outside looks along -n; with up, her right is
// forward x up, as a camera's is.
void pictureAxes(int32_t face, int32_t turns, Vector3* s, Vector3* t) {
    const Vector3 n(Normals[face][0], Normals[face][1], Normals[face][2]);
    const Vector3 up = face < 2 ? Vector3(0, 0, -1) : Vector3(0, 1, 0);
    const Vector3 right = cross(-n, up);
    const Vector3 down = -up;
    const Vector3 axes[4][2] = {{right, down}, {down, -right}, {-right, -down}, {-down, right}};
    *s = axes[turns & 3][0];
    *t = axes[turns & 3][1];
}

// Random patches of blocks with holes, other textures and covered faces,
// across sector edges, on all six faces: fit covers the bounding rectangle
// of the flood-filled region once (every vertex of the drawn quads), upright
// and unmirrored seen from outside, touches nothing else, and is one undoable
// step; continue from any face of what fit laid changes nothing. Continue
// gives every face of the region the start face's picture exactly, across
// sectors too, mirrored ones included.
TEST_F(TextureFitTest, RandomRegionsMatchOnePictureOverTheRectangle) {
    int32_t fits = 0, continued = 0;
    for (int round = 0; round < 60; ++round) {
        newWorld();
        const Patch p = randomPatch();
        history->clear();
        std::vector<int32_t> starts;
        for (int32_t k = 0; k < p.columns * p.rows; ++k)
            if (p.texture[k] != 0 && !p.covered[k])
                starts.push_back(k);
        if (starts.empty())
            continue;
        const int32_t k0 = starts[rng() % starts.size()];
        const std::vector<bool> in = p.region(k0);
        int32_t low[3] = {INT32_MAX, INT32_MAX, INT32_MAX},
                high[3] = {INT32_MIN, INT32_MIN, INT32_MIN};
        int64_t size = 0;
        for (int32_t k = 0; k < p.columns * p.rows; ++k) {
            if (!in[k])
                continue;
            ++size;
            int32_t c[3];
            p.cellOf(k, c);
            for (int32_t a = 0; a < 3; ++a)
                low[a] = std::min(low[a], c[a]), high[a] = std::max(high[a], c[a]);
        }
        int32_t start[3];
        p.cellOf(k0, start);
        const std::vector<uint8_t> before = MapFile::snapshotWorld(*map, *sprites);
        TextureFit fit(*map, history.get());
        std::ostringstream trace;
        trace << "round " << round << " face " << p.face << " size " << size;
        const bool fitting = rng() % 3 != 0;
        if (fitting) {
            FaceMaterial m;
            m.texture = 116;
            m.rotation = static_cast<uint8_t>(rng() % 4);
            const TextureFit::Result r = fit.fit(start, p.face, m);
            ASSERT_TRUE(r.done) << trace.str() << " " << r.why;
            ASSERT_EQ(r.faces, size) << trace.str();
            ++fits;
            // The rectangle's corners in world units and the picture's axes.
            const Vector3 lo(low[0] * 10.0f, low[1] * 15.0f, low[2] * 10.0f);
            const Vector3 hi((high[0] + 1) * 10.0f, (high[1] + 1) * 15.0f, (high[2] + 1) * 10.0f);
            Vector3 sAxis, tAxis;
            pictureAxes(p.face, m.rotation, &sAxis, &tAxis);
            auto along = [&](const Vector3& axis, const Vector3& point) {
                const float from = std::min(dot(lo, axis), dot(hi, axis));
                const float to = std::max(dot(lo, axis), dot(hi, axis));
                return (dot(point, axis) - from) / (to - from);
            };
            WorldMesh mesh;
            mesh.addBlocks(*map);
            for (const WorldMesh::Part& part : mesh.blocks) {
                if (part.texture != 116)
                    continue;
                for (const WorldMesh::Quad& quad : part.quads) {
                    for (int v = 0; v < 4; ++v) {
                        ASSERT_NEAR(quad.texCoord[v].x, along(sAxis, quad.corner[v]), 1e-4)
                            << trace.str() << " turns " << int(m.rotation);
                        ASSERT_NEAR(quad.texCoord[v].y, along(tAxis, quad.corner[v]), 1e-4)
                            << trace.str() << " turns " << int(m.rotation);
                    }
                }
            }
            // What fit laid continues itself without a seam: from any of its
            // faces, continue finds nothing to change.
            std::vector<int32_t> inRegion;
            for (int32_t k = 0; k < p.columns * p.rows; ++k)
                if (in[k])
                    inRegion.push_back(k);
            int32_t from[3];
            p.cellOf(inRegion[rng() % inRegion.size()], from);
            const std::vector<uint8_t> fitted = MapFile::snapshotWorld(*map, *sprites);
            const TextureFit::Result again = fit.continueFrom(from, p.face);
            ASSERT_TRUE(again.done) << trace.str() << " " << again.why;
            ASSERT_EQ(again.faces, size) << trace.str();
            ASSERT_EQ(MapFile::snapshotWorld(*map, *sprites), fitted) << trace.str();
        } else {
            const TextureFit::Result r = fit.continueFrom(start, p.face);
            ASSERT_TRUE(r.done) << trace.str() << " " << r.why;
            ASSERT_EQ(r.faces, size) << trace.str();
            ++continued;
            Vector3 startOrigin;
            const FaceMaterial first = laidOn(start, p.face, &startOrigin);
            for (int32_t k = 0; k < p.columns * p.rows; ++k) {
                if (!in[k])
                    continue;
                int32_t c[3];
                p.cellOf(k, c);
                Vector3 origin;
                const FaceMaterial m = laidOn(c, p.face, &origin);
                ASSERT_EQ((FaceMaterial{m.texture, 0, 0, m.rotation, m.scaleU, m.scaleV}),
                          (FaceMaterial{first.texture, 0, 0, first.rotation, first.scaleU,
                                        first.scaleV}));
                // At the face's corners its own mapping gives the start face's.
                for (int32_t corner = 0; corner < 8; ++corner) {
                    int32_t d[3] = {corner & 1, (corner >> 1) & 1, (corner >> 2) & 1};
                    const Vector3 point((c[0] + d[0]) * 10.0f, (c[1] + d[1]) * 15.0f,
                                        (c[2] + d[2]) * 10.0f);
                    const Vector2 own = planar(m, p.face, point - origin);
                    const Vector2 wanted = planar(first, p.face, point - startOrigin);
                    ASSERT_NEAR(own.x, wanted.x, 1e-4) << trace.str();
                    ASSERT_NEAR(own.y, wanted.y, 1e-4) << trace.str();
                }
            }
        }
        // One step: undo gives the world before, redo the world after (a
        // continue that found every face continued already leaves none).
        const std::vector<uint8_t> after = MapFile::snapshotWorld(*map, *sprites);
        if (after == before) {
            ASSERT_EQ(history->undoableCount(), 0u) << trace.str();
            continue;
        }
        ASSERT_EQ(history->undoableCount(), 1u) << trace.str();
        ASSERT_TRUE(history->undo());
        ASSERT_EQ(MapFile::snapshotWorld(*map, *sprites), before) << trace.str();
        ASSERT_TRUE(history->redo());
        ASSERT_EQ(MapFile::snapshotWorld(*map, *sprites), after) << trace.str();
    }
    EXPECT_GT(fits, 10);
    EXPECT_GT(continued, 5);
}

// A region 128 blocks across is refused and changes nothing, one of 127 is
// stretched with scale 127, no block under the start is refused; the face
// under the pointer is the one the ray enters, also near the edges of a
// block taller than wide, where another face's centre lies nearer.
TEST_F(TextureFitTest, LimitsAndTheFaceTheRayEnters) {
    const int32_t start[3] = {4000, 4000, 4000};
    for (const int32_t width : {128, 127}) {
        newWorld();
        RegionEdit(*map, *sprites, nullptr)
            .fill(CellBox(3990, 4000, 4000, 3990 + width - 1, 4001, 4000), FaceMaterial{113});
        history->clear();
        const std::vector<uint8_t> before = MapFile::snapshotWorld(*map, *sprites);
        const TextureFit::Result r =
            TextureFit(*map, history.get()).fit(start, FaceFrontZ, FaceMaterial{116});
        EXPECT_EQ(r.done, width == 127) << r.why;
        if (!r.done) {
            EXPECT_NE(r.why.find("127"), std::string::npos) << r.why;
            EXPECT_EQ(MapFile::snapshotWorld(*map, *sprites), before);
            EXPECT_EQ(history->undoableCount(), 0u);
        }
    }
    const int32_t far[3] = {4100, 4001, 4000};
    EXPECT_EQ(laidOn(far, FaceFrontZ).scaleU, 127);
    EXPECT_EQ(laidOn(far, FaceFrontZ).scaleV, 2);
    const int32_t nowhere[3] = {0, 0, 0};
    EXPECT_FALSE(TextureFit(*map, history.get()).continueFrom(nowhere, FaceTop).done);

    newWorld();
    put(start, FaceMaterial{});
    const Vector3 centre = CellBox::cellCentre(start[0], start[1], start[2], 10, 15);
    for (int32_t face = 0; face < 6; ++face)
        for (const float edge : {-0.45f, 0.45f}) {
            const Vector3 n(Normals[face][0], Normals[face][1], Normals[face][2]);
            // From outside, at a point of the face close to one of its edges.
            Vector3 target = centre + Vector3(n.x * 5.0f, n.y * 7.5f, n.z * 5.0f);
            (face < 2 ? target.x : target.y) += edge * (face < 2 ? 10.0f : 15.0f);
            const Ray ray{target + n * 0.5f + Vector3(0.3f, 0.2f, 0.1f), -n};
            BlockHit hit;
            int32_t found[3], which = -1;
            ASSERT_TRUE(map->pick(ray, 100, TamoMap::FaceEditStep, &hit));
            ASSERT_TRUE(TextureFit(*map, nullptr).faceAt(hit, ray, found, &which));
            EXPECT_EQ(which, face) << "edge " << edge;
            EXPECT_TRUE(std::equal(found, found + 3, start));
        }
}

// Drawn, a fitted picture of four coloured quarters (red, green over blue,
// white) shows them where they belong, seen from outside every kind of face,
// the walls facing -x and +z and the faces seen from below included: a
// picture mirrored left to right would swap red and green.
TEST_F(TextureFitTest, EveryFaceShowsTheFittedPictureTheRightWayRound) {
    const uint8_t quarters[4][4] = {
        {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}};
    ASSERT_TRUE(gl->textures->uploadTexture(&quarters[0][0], 2, 2, 116, 0));
    // Which of the colours a pixel shows, as its bright channels.
    const auto colour = [](const Pixel& p) {
        return (p.r > 128) | (p.g > 128) << 1 | (p.b > 128) << 2;
    };
    const int32_t shown[4] = {1, 2, 4, 7};
    for (int32_t face = 0; face < 6; ++face) {
        newWorld();
        // Four by four blocks in the face's plane, across sector edges.
        const int32_t normal = face / 2 == 0 ? 1 : face / 2 == 1 ? 0 : 2;
        int32_t high[3] = {4001, 4001, 4001}, low[3] = {3998, 3998, 3998};
        low[normal] = high[normal] = 4000;
        RegionEdit(*map, *sprites, nullptr)
            .fill(CellBox(low[0], low[1], low[2], high[0], high[1], high[2]), FaceMaterial{113});
        int32_t cell[3] = {3999, 3999, 3999};
        cell[normal] = 4000;
        ASSERT_TRUE(TextureFit(*map, nullptr).fit(cell, face, FaceMaterial{116}).done);

        const Vector3 n(Normals[face][0], Normals[face][1], Normals[face][2]);
        const Vector3 centre((low[0] + high[0] + 1) * 5.0f, (low[1] + high[1] + 1) * 7.5f,
                             (low[2] + high[2] + 1) * 5.0f);
        gl->eye = centre + n * 40.0f;
        gl->direction = -n;
        gl->up = face < 2 ? Vector3(0, 0, -1) : Vector3(0, 1, 0);
        gl->applyProjection();
        gl->applyCamera();
        glClearColor(0, 0, 0, 1);
        gl->clear();
        glColor4f(1, 1, 1, 1);
        map->draw();
        // Top left, top right, bottom left, bottom right of the window.
        const int32_t spots[4][2] = {{220, 160}, {420, 160}, {220, 320}, {420, 320}};
        for (int32_t k = 0; k < 4; ++k)
            EXPECT_EQ(colour(readPixel(spots[k][0], spots[k][1])), shown[k])
                << "face " << face << " spot " << k;
    }
}

}  // namespace
