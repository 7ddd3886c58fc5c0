#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "world/MyOptimizedQuadHashTable.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/TestFaceCorners.h"
#include "world/TestHost.h"

namespace {

using Material = TestFaceMaterial;

void addFace(OptimizedQuadHashTable& table, int32_t x, int32_t y, int32_t z, int32_t face,
             const Material& m = Material()) {
    const Vector3 cell(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    const TestFaceCorners& c = FaceCorners[face];
    ASSERT_TRUE(table.addFace(c.p1 + cell, c.p2 + cell, c.orientation, m.texture, m.offsetU,
                              m.offsetV, m.rotation, m.scaleU, m.scaleV));
}

void addBlock(OptimizedQuadHashTable& table, int32_t x, int32_t y, int32_t z,
              const Material& m = Material()) {
    for (int32_t face = 0; face < 6; ++face)
        addFace(table, x, y, z, face, m);
}

Vector3 extent(const QuadRecord& q) {
    return q.max - q.min;
}

Vector3 cross3(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot3(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// True when the quad winds counter-clockwise seen from the side away from
// the solid's centre, i.e. its front faces outwards.
bool facesAwayFrom(const QuadRecord& q, const Vector3& solidCentre) {
    const Vector3 normal = cross3(q.q[1] - q.q[0], q.q[2] - q.q[1]);
    const Vector3 normal2 = cross3(q.q[3] - q.q[2], q.q[0] - q.q[3]);
    const Vector3 centre = (q.q[0] + q.q[2]) * 0.5f;
    return dot3(normal, centre - solidCentre) > 0.0f && dot3(normal2, centre - solidCentre) > 0.0f;
}

class QuadTableTest : public ::testing::Test {
protected:
    TestHost core{nullptr, nullptr, nullptr, 100, 3, 4};
    OptimizedQuadHashTable table{core.blockWidth, core.blockHeight};
};

TEST_F(QuadTableTest, AddFaceBuildsTheVertexOrderOfEachPlane) {
    addFace(table, 0, 0, 0, 1);  // top, orientation 0
    addFace(table, 0, 0, 0, 0);  // bottom, orientation 1
    addFace(table, 0, 0, 0, 4);  // z = 0 side
    addFace(table, 0, 0, 0, 2);  // x = 0 side
    const std::vector<QuadRecord> quads = table.liveQuads();
    ASSERT_EQ(quads.size(), 4u);
    // Top and bottom share a key (axis 0, same material), so one bucket.
    ASSERT_EQ(table.bucketCount(), 3);
    const QuadRecord& top = quads[0];
    EXPECT_EQ(top.axis, 0);
    EXPECT_EQ(top.q[0], Vector3(0, 15, 0));
    EXPECT_EQ(top.q[1], Vector3(0, 15, 10));
    EXPECT_EQ(top.q[2], Vector3(10, 15, 10));
    EXPECT_EQ(top.q[3], Vector3(10, 15, 0));
    const QuadRecord& bottom = quads[1];
    EXPECT_EQ(bottom.q[1], Vector3(10, 0, 0));
    EXPECT_EQ(bottom.q[3], Vector3(0, 0, 10));
    EXPECT_EQ(bottom.orientation, 1);
    const QuadRecord& side = quads[2];
    EXPECT_EQ(side.axis, 2);
    EXPECT_EQ(side.q[0], Vector3(0, 15, 0));
    EXPECT_EQ(side.q[1], Vector3(10, 15, 0));
    EXPECT_EQ(side.q[2], Vector3(10, 0, 0));
    EXPECT_EQ(side.q[3], Vector3(0, 0, 0));
    EXPECT_EQ(side.min, Vector3(0, 0, 0));
    EXPECT_EQ(side.max, Vector3(10, 15, 0));
    EXPECT_EQ(quads[3].axis, 1);
    EXPECT_EQ(quads[3].q[1], Vector3(0, 0, 0));
}

TEST_F(QuadTableTest, CornersAgreeingInNoCoordinateAreRefused) {
    EXPECT_FALSE(table.addFace({0, 0, 0}, {1, 1, 1}, 0, 100, 0, 0, 0, 1, 1));
    EXPECT_EQ(table.bucketCount(), 0);
}

TEST_F(QuadTableTest, QuadsOfOneKeyShareABucketThatDoublesWhenFull) {
    for (int32_t x = 0; x < 33; ++x)
        addFace(table, x, 0, 0, 1);
    Material other;
    other.texture = 101;
    addFace(table, 0, 0, 5, 1, other);
    addFace(table, 0, 0, 5, 2, other);  // same material, other axis: own bucket
    ASSERT_EQ(table.bucketCount(), 3);
    EXPECT_EQ(table.bucketSize(0), 33);
    EXPECT_EQ(table.bucketCapacity(0), 64);
    EXPECT_EQ(table.bucketSize(1), 1);
    EXPECT_EQ(table.bucketCapacity(1), 32);
    EXPECT_EQ(table.record(1, 0).texture, 101);
    EXPECT_EQ(table.record(2, 0).axis, 1);
    table.clear();
    EXPECT_EQ(table.bucketCount(), 0);
}

TEST_F(QuadTableTest, TwoTouchingEqualBlocksGiveTenQuadsThenSix) {
    // A promise of no hidden pairs is withdrawn by the faces added after it
    // and by clearing.
    table.markNoHiddenPairs();
    addBlock(table, 0, 0, 0);
    table.markNoHiddenPairs();
    table.clear();
    addBlock(table, 0, 0, 0);
    table.markNoHiddenPairs();
    addBlock(table, 1, 0, 0);
    table.removeHiddenPairs();
    EXPECT_EQ(table.liveQuads().size(), 10u);
    table.mergeQuads();
    const std::vector<QuadRecord> quads = table.liveQuads();
    ASSERT_EQ(quads.size(), 6u);
    int32_t longSides = 0, ends = 0;
    for (const QuadRecord& q : quads) {
        const Vector3 e = extent(q);
        if (e.x == 20.0f)
            ++longSides;
        else if (e.x == 0.0f && e.y == 15.0f && e.z == 10.0f)
            ++ends;
        EXPECT_TRUE(facesAwayFrom(q, {10.0f, 7.5f, 5.0f}));
    }
    EXPECT_EQ(longSides, 4);
    EXPECT_EQ(ends, 2);
}

TEST_F(QuadTableTest, TouchingFacesOfDifferentTexturesBothStay) {
    addBlock(table, 0, 0, 0);
    Material other;
    other.texture = 102;
    addBlock(table, 1, 0, 0, other);
    table.removeHiddenPairs();
    EXPECT_EQ(table.liveQuads().size(), 12u);
    table.mergeQuads();
    EXPECT_EQ(table.liveQuads().size(), 12u);
}

TEST_F(QuadTableTest, RotationOrOffsetKeepsFacesApart) {
    Material turned;
    turned.rotation = 1;
    Material shifted;
    shifted.offsetU = 1;
    Material shiftedV;
    shiftedV.offsetV = 2;
    Material scaled;
    scaled.scaleU = 2;
    addFace(table, 0, 0, 0, 1);
    addFace(table, 1, 0, 0, 1, turned);
    addFace(table, 2, 0, 0, 1, shifted);
    addFace(table, 3, 0, 0, 1, shiftedV);
    addFace(table, 4, 0, 0, 1, scaled);
    table.removeHiddenPairs();
    table.mergeQuads();
    EXPECT_EQ(table.liveQuads().size(), 5u);
}

TEST_F(QuadTableTest, FacesOfOneSideFacingOppositeWaysNeverMerge) {
    // The top of one block and the bottom of the block beside it above.
    addFace(table, 0, 0, 0, 1);
    addFace(table, 1, 1, 0, 0);
    table.removeHiddenPairs();
    table.mergeQuads();
    EXPECT_EQ(table.liveQuads().size(), 2u);
}

TEST_F(QuadTableTest, FloorOfThreeByThreeTopIsOneQuadWithPlanarRepeats) {
    for (int32_t x = 0; x < 3; ++x)
        for (int32_t z = 0; z < 3; ++z)
            addBlock(table, x, 0, z);
    table.removeHiddenPairs();
    table.mergeQuads();
    std::vector<QuadRecord> tops;
    for (const QuadRecord& q : table.liveQuads()) {
        if (q.axis == 0 && q.q[0].y == 15.0f)
            tops.push_back(q);
        EXPECT_TRUE(facesAwayFrom(q, {15.0f, 7.5f, 15.0f}));
    }
    ASSERT_EQ(tops.size(), 1u);
    EXPECT_EQ(tops[0].min, Vector3(0, 15, 0));
    EXPECT_EQ(tops[0].max, Vector3(30, 15, 30));
    EXPECT_EQ(table.liveQuads().size(), 6u);
    EXPECT_EQ(table.texCoord(tops[0], 0), Vector2(0, 0));
    EXPECT_EQ(table.texCoord(tops[0], 2), Vector2(3, 3));

    QuadRecord wide = tops[0];
    wide.scaleU = 3;
    wide.scaleV = 3;
    EXPECT_EQ(table.texCoord(wide, 2), Vector2(1, 1));
    EXPECT_EQ(table.texCoord(wide, 1), Vector2(0, 1));
}

TEST_F(QuadTableTest, MergeResultDoesNotDependOnCompaction) {
    auto build = [this](unsigned seed) {
        table.clear();
        std::srand(seed);
        for (int32_t x = 0; x < 4; ++x)
            for (int32_t z = 0; z < 3; ++z)
                addBlock(table, x, z % 2, z);
        table.removeHiddenPairs();
        table.mergeQuads();
        return table.liveQuads();
    };
    const std::vector<QuadRecord> reference = build(1);
    for (unsigned seed = 2; seed < 12; ++seed) {
        const std::vector<QuadRecord> other = build(seed);
        ASSERT_EQ(other.size(), reference.size());
        for (size_t i = 0; i < other.size(); ++i)
            for (int v = 0; v < 4; ++v)
                EXPECT_EQ(other[i].q[v], reference[i].q[v]) << "seed " << seed;
    }
}

TEST_F(QuadTableTest, ABucketCompactedToNothingTakesNewQuads) {
    // Find a seed whose first draw compacts.
    unsigned seed = 1;
    for (;; ++seed) {
        std::srand(seed);
        if (std::rand() % 3 == 0)
            break;
    }
    addFace(table, 0, 0, 0, 3);  // x = 1 side of one block ...
    addFace(table, 1, 0, 0, 2);  // ... against the x = 0 side of the next
    table.removeHiddenPairs();
    std::srand(seed);
    table.mergeQuads();
    EXPECT_EQ(table.bucketSize(0), 0);
    addFace(table, 5, 0, 0, 2);
    EXPECT_EQ(table.liveQuads().size(), 1u);
}

TEST_F(QuadTableTest, EveryQuadOfASingleBlockFacesOutwards) {
    addBlock(table, 2, 3, 4);
    const std::vector<QuadRecord> quads = table.liveQuads();
    ASSERT_EQ(quads.size(), 6u);
    for (const QuadRecord& q : quads)
        EXPECT_TRUE(facesAwayFrom(q, {25.0f, 52.5f, 45.0f}));
}

TEST_F(QuadTableTest, MergedWallsKeepTheirWindingOnEveryAxis) {
    // An L of blocks in x and a column in y: long merged faces on every axis
    // and both orientations.
    for (int32_t x = 0; x < 3; ++x)
        addBlock(table, x, 0, 0);
    for (int32_t y = 0; y < 3; ++y)
        addBlock(table, 5, y, 0);
    for (int32_t z = 0; z < 3; ++z)
        addBlock(table, 8, 0, z);
    table.removeHiddenPairs();
    table.mergeQuads();
    const std::vector<QuadRecord> quads = table.liveQuads();
    EXPECT_EQ(quads.size(), 18u);
    for (const QuadRecord& q : quads) {
        Vector3 centre{15.0f, 7.5f, 5.0f};
        if (q.min.x >= 50.0f && q.max.x <= 60.0f)
            centre = {55.0f, 22.5f, 5.0f};
        else if (q.min.x >= 80.0f)
            centre = {85.0f, 7.5f, 15.0f};
        EXPECT_TRUE(facesAwayFrom(q, centre))
            << "axis " << int(q.axis) << " orientation " << int(q.orientation);
    }
}

TEST_F(QuadTableTest, RotationsTurnTheMappingOnHorizontalFaces) {
    // Top face of cell (1, 0, 2): q0 lies at a = 1, b = 2 blocks.
    Material m;
    m.offsetU = 1;
    m.offsetV = 2;
    m.scaleU = 2;
    m.scaleV = 4;
    for (int32_t rotation = 0; rotation < 4; ++rotation) {
        m.rotation = rotation;
        addFace(table, 1, 0, 2, 1, m);
    }
    const std::vector<QuadRecord> q = table.liveQuads();
    ASSERT_EQ(q.size(), 4u);
    // a + ou = 2, b + ov = 4, ou - a = 0, ov - b = 0
    EXPECT_EQ(table.texCoord(q[0], 0), Vector2(2.0f / 2, 4.0f / 4));
    EXPECT_EQ(table.texCoord(q[1], 0), Vector2(4.0f / 4, 0.0f / 2));
    EXPECT_EQ(table.texCoord(q[2], 0), Vector2(0.0f / 2, 0.0f / 4));
    EXPECT_EQ(table.texCoord(q[3], 0), Vector2(0.0f / 4, 2.0f / 2));
    // Vertex 2 at a = 2, b = 3: rotation 1 turns (s, t) a quarter one way,
    // rotation 3 the other.
    EXPECT_EQ(table.texCoord(q[1], 2), Vector2((3.0f + 2) / 4, (1.0f - 2) / 2));
    EXPECT_EQ(table.texCoord(q[3], 2), Vector2((2.0f - 3) / 4, (2.0f + 1) / 2));
    EXPECT_EQ(table.texCoord(q[2], 2), Vector2((1.0f - 2) / 2, (2.0f - 3) / 4));
}

TEST_F(QuadTableTest, RotationsOnVerticalFacesTurnTheOtherWay) {
    // z = 0 side of cell (1, 2, 0): q0 = (10, 45, 0), a = 1, b = 3.
    // x = 0 side of cell (0, 2, 4): q0 = (0, 45, 40), a = 4 (z), b = 3.
    for (int32_t rotation = 0; rotation < 4; ++rotation) {
        Material m;
        m.rotation = rotation;
        addFace(table, 1, 2, 0, 4, m);
        addFace(table, 0, 2, 4, 2, m);
    }
    const std::vector<QuadRecord> q = table.liveQuads();
    ASSERT_EQ(q.size(), 8u);
    std::vector<QuadRecord> zSide, xSide;
    for (const QuadRecord& r : q)
        (r.axis == 2 ? zSide : xSide).push_back(r);
    ASSERT_EQ(zSide.size(), 4u);
    EXPECT_EQ(table.texCoord(zSide[0], 0), Vector2(1, 3));
    EXPECT_EQ(table.texCoord(zSide[1], 0), Vector2(-3, 1));
    EXPECT_EQ(table.texCoord(zSide[2], 0), Vector2(-1, -3));
    EXPECT_EQ(table.texCoord(zSide[3], 0), Vector2(3, -1));
    ASSERT_EQ(xSide.size(), 4u);
    EXPECT_EQ(table.texCoord(xSide[0], 0), Vector2(4, 3));
    EXPECT_EQ(table.texCoord(xSide[1], 0), Vector2(-3, 4));
    EXPECT_EQ(table.texCoord(xSide[3], 2), Vector2(2, -5));
}

TEST(MyQuadTableTest, BuildingSideIsStretchedOnceOverAMergedWall) {
    MyTestHost core(nullptr, nullptr, nullptr, 100, 3, 4);
    MyOptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
    Material side;
    side.texture = 103;
    for (int32_t x = 0; x < 4; ++x)
        addFace(table, x, 0, 0, 4, side);
    table.removeHiddenPairs();
    table.mergeQuads();
    const std::vector<QuadRecord> quads = table.liveQuads();
    ASSERT_EQ(quads.size(), 1u);
    EXPECT_EQ(extent(quads[0]), Vector3(40, 15, 0));
    // Every corner of the wall takes one corner of the picture.
    std::vector<Vector2> corners;
    for (int32_t v = 0; v < 4; ++v)
        corners.push_back(table.texCoord(quads[0], v));
    for (const Vector2& expected : {Vector2(0, 0), Vector2(1, 0), Vector2(1, 1), Vector2(0, 1)})
        EXPECT_NE(std::find(corners.begin(), corners.end(), expected), corners.end());

    // Other textures keep the planar mapping: four repeats along the wall.
    OptimizedQuadHashTable plain(core.blockWidth, core.blockHeight);
    Material brick;
    brick.texture = 107;
    for (int32_t x = 0; x < 4; ++x)
        addFace(plain, x, 0, 0, 4, brick);
    plain.removeHiddenPairs();
    plain.mergeQuads();
    ASSERT_EQ(plain.liveQuads().size(), 1u);
    EXPECT_EQ(table.texCoord(plain.liveQuads()[0], 2), Vector2(4, 1));
}

// Seen from outside, a building side stands upright (the picture's top row
// along the quad's top edge) and unmirrored (s grows to the viewer's right),
// on every side and whether the face is single or merged into a wall.
TEST(MyQuadTableTest, BuildingSidesStandUprightAndUnmirroredOnEverySide) {
    MyTestHost core(nullptr, nullptr, nullptr, 100, 3, 4);
    Material side;
    side.texture = 104;
    for (int32_t face = 2; face < 6; ++face) {
        for (int32_t length : {1, 3}) {
            MyOptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
            for (int32_t i = 0; i < length; ++i) {
                // Walls along z for the x sides, along x for the z sides.
                const bool xSide = face == 2 || face == 3;
                addFace(table, xSide ? 0 : i, 0, xSide ? i : 0, face, side);
            }
            table.removeHiddenPairs();
            table.mergeQuads();
            const std::vector<QuadRecord> quads = table.liveQuads();
            ASSERT_EQ(quads.size(), 1u) << "face " << face;
            const QuadRecord& q = quads[0];
            const Vector3 outward = cross3(q.q[1] - q.q[0], q.q[2] - q.q[1]);
            const Vector3 right = cross3(outward * -1.0f, Vector3(0, 1, 0));
            float lowRight = dot3(q.q[0], right), highRight = lowRight;
            for (const Vector3& v : q.q) {
                lowRight = std::min(lowRight, dot3(v, right));
                highRight = std::max(highRight, dot3(v, right));
            }
            for (int32_t v = 0; v < 4; ++v) {
                const Vector2 st = table.texCoord(q, v);
                const float expectedS = (dot3(q.q[v], right) - lowRight) / (highRight - lowRight);
                const float expectedT = (q.max.y - q.q[v].y) / (q.max.y - q.min.y);
                EXPECT_FLOAT_EQ(st.x, expectedS) << "face " << face << " length " << length;
                EXPECT_FLOAT_EQ(st.y, expectedT) << "face " << face << " length " << length;
            }
        }
    }
}

TEST(MyQuadTableTest, BaseTableTilesBuildingSidesPerBlock) {
    TestHost core(nullptr, nullptr, nullptr, 100, 3, 4);
    OptimizedQuadHashTable table(core.blockWidth, core.blockHeight);
    Material side;
    side.texture = 101;
    for (int32_t x = 0; x < 4; ++x)
        addFace(table, x, 0, 0, 4, side);
    table.removeHiddenPairs();
    table.mergeQuads();
    ASSERT_EQ(table.liveQuads().size(), 1u);
    EXPECT_EQ(table.texCoord(table.liveQuads()[0], 2), Vector2(4, 1));
}

}  // namespace
