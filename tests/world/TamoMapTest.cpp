#include <memory>
#include <random>
#include <utility>
#include <vector>

#include <GL/gl.h>

#include "media/SkyDome.h"
#include "media/SpriteSheet.h"
#include "platform/SystemClock.h"
#include "support/FakeTicks.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class TamoMapTest : public TestWorld {};

bool blockAt(TamoMap* map, const Vector3& p) {
    const int32_t i = map->findSector(p);
    return i >= 0 && map->sector(i)->hasBlockAt(p);
}

TEST_F(TamoMapTest, ANewMapHoldsTheStartSectorWithOneBlockAndTheEyeThere) {
    ASSERT_EQ(map->sectorCount(), 1);
    EXPECT_EQ(map->sector(0)->getOrigin(), Vector3(40000, 60000, 40000));
    EXPECT_EQ(map->sector(0)->size, 20);
    EXPECT_EQ(usedBlocks(map->sector(0)), 1);
    EXPECT_TRUE(map->sector(0)->hasBlockAt(Vector3(40005, 60007.5f, 40005)));
    EXPECT_EQ(gl->eye, Vector3(40000, 60000, 40000));
}

TEST_F(TamoMapTest, SectorsSitOnTheGridAndBoundsAreInclusive) {
    EXPECT_EQ(map->findOrCreateSector(Vector3(40199.9f, 60010, 40010)), 0);
    // On the far face: still the start sector, though no cell of it holds the point.
    const Vector3 farFace(40200, 60010, 40010);
    EXPECT_EQ(map->findOrCreateSector(farFace), 0);
    map->sector(0)->setBlockAt(farFace, true);
    EXPECT_EQ(usedBlocks(map->sector(0)), 1);
    EXPECT_EQ(map->sectorCount(), 1);

    EXPECT_EQ(map->findOrCreateSector(Vector3(40250, 60010, 40010)), 1);
    EXPECT_EQ(map->sector(1)->getOrigin(), Vector3(40200, 60000, 40000));
    // A point on the shared face belongs to the sector earlier in the list.
    EXPECT_EQ(map->findSector(farFace), 0);
    EXPECT_EQ(map->findOrCreateSector(Vector3(40250, 60010, 40010)), 1);
    EXPECT_EQ(map->findSector(Vector3(0, 0, 0)), -1);
}

TEST_F(TamoMapTest, NegativeCoordinatesSnapDownToTheGrid) {
    const int32_t i = map->findOrCreateSector(Vector3(-5, -1, -199.5f));
    EXPECT_EQ(map->sector(i)->getOrigin(), Vector3(-200, -300, -200));
    const int32_t j = map->findOrCreateSector(Vector3(-200.5f, 301, 0.5f));
    EXPECT_EQ(map->sector(j)->getOrigin(), Vector3(-400, 300, 0));
}

TEST_F(TamoMapTest, TheLineWalkLeavesOutItsLastCell) {
    std::vector<std::pair<int32_t, int32_t>> cells;
    auto record = [&](int32_t x, int32_t y) {
        cells.emplace_back(x, y);
        return true;
    };
    TamoMap::walkLine(3, 3, 6, 4, record);
    EXPECT_EQ(cells, (std::vector<std::pair<int32_t, int32_t>>{{3, 3}, {4, 3}, {5, 4}}));

    cells.clear();
    TamoMap::walkLine(2, 2, 2, 2, record);
    EXPECT_EQ(cells, (std::vector<std::pair<int32_t, int32_t>>{{2, 2}}));

    cells.clear();  // y-major, walking backwards
    TamoMap::walkLine(0, 0, -1, -3, record);
    EXPECT_EQ(cells, (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {0, -1}, {-1, -2}}));

    cells.clear();  // the visitor can stop the walk
    TamoMap::walkLine(0, 0, 10, 0, [&](int32_t x, int32_t y) {
        cells.emplace_back(x, y);
        return x < 1;
    });
    EXPECT_EQ(cells.size(), 2u);
}

TEST_F(TamoMapTest, APlanStrokePaintsTheCurrentLevel) {
    core->view3D = false;
    core->planScrollX = 0;
    core->planScrollY = 0;
    core->currentLevel = 2;
    // Window pixels of the centres of cells (3, 3) and (6, 4).
    map->editBlockLine(3 * 16 + 8, 3 * 16 + 8, 6 * 16 + 8, 4 * 16 + 8, true);
    const float y = 2 * 15 + 7.5f;
    EXPECT_TRUE(blockAt(map, Vector3(35, y, 35)));
    EXPECT_TRUE(blockAt(map, Vector3(45, y, 35)));
    EXPECT_TRUE(blockAt(map, Vector3(55, y, 45)));
    EXPECT_FALSE(blockAt(map, Vector3(65, y, 45)));
    EXPECT_FALSE(blockAt(map, Vector3(35, y - 15, 35)));  // other levels untouched
    EXPECT_EQ(map->sector(map->findSector(Vector3(35, y, 35)))->getOrigin(), Vector3(0, 0, 0));

    map->editBlockLine(4 * 16 + 8, 3 * 16 + 8, 4 * 16 + 8, 3 * 16 + 8, false);
    EXPECT_FALSE(blockAt(map, Vector3(45, y, 35)));

    core->view3D = true;  // strokes belong to the plan view only
    map->editBlockLine(0, 0, 0, 0, true);
    EXPECT_FALSE(blockAt(map, Vector3(5, 7.5f + 30, 5)));
}

TEST_F(TamoMapTest, PlanCellsLeftOfZeroAreTheCellsDrawnThere) {
    core->view3D = false;
    core->planScrollX = -16;
    core->planScrollY = 0;
    core->currentLevel = 0;
    // Pixel 11 shows plan x -5, inside cell -1 (x from -10 to 0).
    map->editBlockLine(11, 8, 11, 8, true);
    EXPECT_TRUE(blockAt(map, Vector3(-5, 7.5f, 5)));
    EXPECT_FALSE(blockAt(map, Vector3(5, 7.5f, 5)));
}

TEST_F(TamoMapTest, TheRayMarchFindsTheFirstUsedBlock) {
    const Vector3 start(40005, 60007.5f, 39950);
    const Vector3 end(40005, 60007.5f, 40100);
    Vector3 hit;
    int32_t sector = 77;
    map->marchRay(start, end, 1.0f, &hit, &sector);
    EXPECT_EQ(sector, 0);
    EXPECT_NEAR(hit.z, 40000.0f, 1.0f);
    EXPECT_TRUE(map->sector(0)->hasBlockAt(hit));

    sector = 77;
    map->marchRay(start + Vector3(0, 100, 0), end + Vector3(0, 100, 0), 1.0f, &hit, &sector);
    EXPECT_EQ(sector, 77);
    EXPECT_EQ(hit, end + Vector3(0, 100, 0));

    // A step that cannot advance ends at once instead of looping for ever.
    map->marchRay(start, end, 0.0f, &hit, &sector);
    EXPECT_EQ(hit, end);
    map->marchRay(start, end, -1.0f, &hit, &sector);
    EXPECT_EQ(hit, end);
}

// A plan frame draws a sector's records by level; a block painted at a lower
// level after one at a higher level comes first there and must stay within
// reach of the cursor ray.
TEST_F(TamoMapTest, BlocksPaintedInThePlanStayReachableAfterTheSort) {
    core->view3D = false;
    core->planScrollX = 4000 * 16;  // plan cell 4000 is the start sector's cell 0
    core->planScrollY = 4000 * 16;
    core->currentLevel = 4002;
    map->editBlockLine(5 * 16 + 8, 8, 5 * 16 + 8, 8, true);  // cell (5, 2, 0)
    map->draw();
    core->currentLevel = 4000;
    map->editBlockLine(10 * 16 + 8, 8, 10 * 16 + 8, 8, true);  // cell (10, 0, 0)
    map->draw();
    core->view3D = true;
    ASSERT_TRUE(map->sector(0)->hasBlockAt(Vector3(40105, 60007.5f, 40005)));

    Vector3 hit;
    int32_t sector = 77;
    map->marchRay(Vector3(40105, 60007.5f, 39950), Vector3(40105, 60007.5f, 40100), 1.0f, &hit,
                  &sector);
    EXPECT_EQ(sector, 0);
    EXPECT_NEAR(hit.z, 40000.0f, 1.0f);
}

// The edits on a ray and its hit need no cursor: with no cursor source the
// cursor operations do nothing, while the same edits along a given ray work.
TEST_F(TamoMapTest, EditsAlongARayNeedNoCursor) {
    const Ray down{Vector3(40005, 60100, 40005), Vector3(0, -1, 0)};
    Vector3 point;
    int32_t index = -7;
    EXPECT_FALSE(map->pickAtCursor(1000, 1.0f, &point, &index));
    EXPECT_EQ(index, -7);
    map->editBlockAtCursor(true);
    EXPECT_EQ(usedBlocks(map->sector(0)), 1);

    BlockHit hit;
    ASSERT_TRUE(map->pick(down, 1000, 1.0f, &hit));
    EXPECT_EQ(hit.sector, 0);
    map->editBlockAt(hit, down, true, core->material);  // on top of the start block
    EXPECT_TRUE(blockAt(map, Vector3(40005, 60022.5f, 40005)));
    ASSERT_TRUE(map->pick(down, 1000, 0.1f, &hit));
    core->material.texture = 109;
    map->paintFaceAt(hit);
    EXPECT_EQ(map->sector(0)->findBlock(0, 1, 0)->faces[FaceTop].texture, 109);
    core->material.texture = 100;
    map->pickMaterialAt(hit);
    EXPECT_EQ(core->material.texture, 109);
    map->editBlockAt(hit, down, false, core->material);
    EXPECT_FALSE(blockAt(map, Vector3(40005, 60022.5f, 40005)));

    // A ray that meets nothing leaves the sector alone and ends at its end.
    const Ray up{Vector3(40005, 60100, 40005), Vector3(0, 1, 0)};
    hit.sector = -7;
    EXPECT_FALSE(map->pick(up, 50, 1.0f, &hit));
    EXPECT_EQ(hit.sector, -7);
    EXPECT_EQ(hit.point, Vector3(40005, 60150, 40005));

    // A cell far from every sector gets a sector of its own.
    EXPECT_TRUE(map->setBlockAt(Vector3(-5, 7.5f, 5), true));
    EXPECT_EQ(map->sectorCount(), 2);
    EXPECT_TRUE(blockAt(map, Vector3(-5, 7.5f, 5)));
}

TEST_F(TamoMapTest, PlacingOnTheFarFaceOfASectorCreatesItsNeighbour) {
    attachAvatar();
    map->sector(0)->setBlock(19, 0, 0, true);
    lookAt(Vector3(40250, 60007.5f, 40005), Vector3(-1, 0, 0));
    map->editBlockAtCursor(true);
    ASSERT_EQ(map->sectorCount(), 2);
    EXPECT_EQ(map->sector(1)->getOrigin(), Vector3(40200, 60000, 40000));
    EXPECT_TRUE(map->sector(1)->hasBlockAt(Vector3(40205, 60007.5f, 40005)));

    // Removing takes the block under the cursor, the new one.
    map->editBlockAtCursor(false);
    EXPECT_FALSE(map->sector(1)->hasBlockAt(Vector3(40205, 60007.5f, 40005)));
    EXPECT_TRUE(map->sector(0)->hasBlockAt(Vector3(40195, 60007.5f, 40005)));
}

TEST_F(TamoMapTest, BlockEditsAtTheCursorBelongToThe3DView) {
    attachAvatar();
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    core->view3D = false;
    map->editBlockAtCursor(true);
    EXPECT_EQ(usedBlocks(map->sector(0)), 1);
    core->view3D = true;
    map->editBlockAtCursor(true);  // on top of the start block
    EXPECT_EQ(usedBlocks(map->sector(0)), 2);
    EXPECT_TRUE(map->sector(0)->hasBlockAt(Vector3(40005, 60022.5f, 40005)));
}

TEST_F(TamoMapTest, PaintingAndPickingTakeTheFaceUnderTheCursor) {
    attachAvatar();
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    core->material.texture = 107;
    core->material.rotation = 3;
    map->paintFaceAtCursor();
    MapBlock* block = map->sector(0)->findBlock(0, 0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->faces[FaceTop].texture, 107);
    EXPECT_EQ(block->faces[FaceBottom].texture, 100);

    core->material = FaceMaterial();
    map->pickMaterialAtCursor();
    EXPECT_EQ(core->material.texture, 107);
    EXPECT_EQ(core->material.rotation, 3);
}

TEST_F(TamoMapTest, TheCursorRayThroughEmptySpaceMeetsNothing) {
    attachAvatar();
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, 1, 0));
    Vector3 hit;
    int32_t sector = -1;
    EXPECT_FALSE(map->pickAtCursor(1000, 1.0f, &hit, &sector));
    const Vector3 start = gl->unproject(320, 240);
    Vector3 n = start - gl->eye;
    normalise(n);
    const Vector3 end = start + n * 1000.0f;
    EXPECT_NEAR(hit.x, end.x, 1e-2f);
    EXPECT_NEAR(hit.y, end.y, 1e-2f);
    EXPECT_NEAR(hit.z, end.z, 1e-2f);
}

TEST_F(TamoMapTest, ACursorOutsideTheWindowCastsFromTheOriginAndMeetsNothing) {
    attachAvatar();
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    window->mouseX = 700;
    Vector3 hit;
    int32_t sector = -1;
    EXPECT_FALSE(map->pickAtCursor(1000, 1.0f, &hit, &sector));
    EXPECT_EQ(sector, -1);
    map->editBlockAtCursor(true);
    EXPECT_EQ(usedBlocks(map->sector(0)), 1);
    EXPECT_EQ(map->sectorCount(), 1);
}

TEST_F(TamoMapTest, AfterLoadingNoSectorsTheFirstBlockMakesOne) {
    writeFile(path("none.map"), Bytes().i32(0).i32(0).data());
    {
        FileStream stream(path("none.map").c_str(), "rb");
        std::string why;
        ASSERT_TRUE(map->load(stream, &why)) << why;
    }
    EXPECT_EQ(map->sectorCount(), 0);
    map->draw();  // draws nothing and does not fail
    core->view3D = false;
    map->editBlockLine(8, 8, 8, 8, true);
    ASSERT_EQ(map->sectorCount(), 1);
    EXPECT_TRUE(map->sector(0)->hasBlockAt(Vector3(5, 7.5f, 5)));
}

TEST_F(TamoMapTest, DrawingShowsTheWorldFromTheLowestSectorUp) {
    // A block far below and one at the start: both are compiled and drawn.
    map->findOrCreateSector(Vector3(40005, 59700, 40005));
    map->sector(1)->setBlock(0, 19, 0, true);
    gl->eye = Vector3(40005 - 60, 60007.5f, 40005);
    gl->direction = Vector3(1, 0, 0);
    gl->up = Vector3(0, 1, 0);
    gl->applyCamera();
    gl->clear();
    map->draw();
    for (int32_t i = 0; i < map->sectorCount(); ++i)
        EXPECT_FALSE(map->sector(i)->needsRebuild) << i;
    // The start block straight ahead covers the middle of the picture.
    const Pixel centre = readPixel(320, 240);
    EXPECT_GT(int(centre.r) + centre.g + centre.b, 0);
}

// Culling leaves out only what cannot show: from random cameras in and
// around a crafted city (sectors at three heights, blocks on sector edges,
// sectors beyond the far plane, sprite objects), every frame drawn with
// culling equals the frame drawn without it, pixel for pixel, and culling
// leaves out sectors, quads and objects. The sectors' quads drawn from
// vertex buffers and from display lists give the same frame too, with the
// alpha test on and off (one texture has transparent texels), and so does
// the frame with the sky drawn first, as before, and behind the sectors.
TEST_F(TamoMapTest, CullingLeavesEveryFrameUnchanged) {
    uploadBlockTextures();
    const std::vector<uint8_t> sheetRgb = sheetImage(64, 16);
    SpriteSheet sheet(gl, sheetRgb.data(), 64, 16, 5, 0);
    core->spriteSheet = &sheet;
    // Both frames of a view show the same step of the objects' animation.
    setTickSource(fakeTicks);
    fakeNow = 1000;

    std::mt19937 random(14);
    const auto below = [&](int32_t n) { return static_cast<int32_t>(random() % n); };
    const Vector3 centre = buildSectorCity(random);

    // The map alone; with an opaque sky of two colours as the frame draws
    // it (behind the sectors), and as before (first).
    enum Sky { NoSky, SkyAsNow, SkyAsBefore };
    const uint8_t skyTexels[8] = {40, 90, 200, 255, 90, 200, 40, 255};
    ASSERT_TRUE(gl->textures->uploadTexture(skyTexels, 1, 2, 1, 0));
    SkyDome sky(*gl, 0.95f * gl->frustum.far, 16, 20, 1);
    const auto frame = [&](bool cull, Sky withSky = NoSky) {
        core->cullToView = cull;
        gl->applyCamera();
        gl->clear();
        if (withSky == SkyAsBefore)
            sky.drawSkyDome(gl->eye, 0.0f);
        if (withSky == SkyAsNow)
            map->drawWithSky(sky);
        else
            map->draw();
        sprites->drawSprites();
        std::vector<uint8_t> pixels(static_cast<size_t>(gl->width * gl->height * 4));
        glReadPixels(0, 0, gl->width, gl->height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    int32_t sectorsLeftOut = 0, objectsLeftOut = 0, framesShowingBlocks = 0;
    for (int32_t view = 0; view < 24; ++view) {
        const auto coordinate = [&](float spread) {
            return (below(2001) - 1000) / 1000.0f * spread;
        };
        gl->eye = centre + Vector3(coordinate(1000), coordinate(400), coordinate(1000));
        Vector3 direction(coordinate(1), coordinate(1), coordinate(1));
        gl->direction = normalise(direction);
        gl->up = std::abs(gl->direction.y) > 0.9f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
        const std::vector<uint8_t> culled = frame(true);
        const DrawCounts counts = map->lastDrawCounts();
        const int32_t objectsDrawn = sprites->lastDrawnCount();
        const std::vector<uint8_t> everything = frame(false);
        ASSERT_TRUE(culled == everything) << "view " << view;
        EXPECT_EQ(map->lastDrawCounts().sectorsDrawn, map->lastDrawCounts().sectorsTotal);
        EXPECT_EQ(map->lastDrawCounts().quadsTotal, counts.quadsTotal);
        ASSERT_TRUE(frame(true, SkyAsNow) == frame(true, SkyAsBefore)) << "view " << view;
        sectorsLeftOut += counts.sectorsTotal - counts.sectorsDrawn;
        objectsLeftOut += sprites->count() - objectsDrawn;
        if (counts.quadsDrawn > 0 && culled != std::vector<uint8_t>(culled.size(), 0))
            ++framesShowingBlocks;
        // The other way of keeping the quads, every sector compiled again.
        const auto redrawn = [&](bool buffers, Sky withSky) {
            gl->allowVertexBuffers(buffers);
            for (int32_t i = 0; i < map->sectorCount(); ++i)
                map->sector(i)->needsRebuild = true;
            return frame(true, withSky);
        };
        if (view % 2)
            gl->disableAlphaTest();
        else
            gl->enableAlphaTest();
        const bool buffers = gl->vertexBuffers();
        const std::vector<uint8_t> fromBuffers = redrawn(buffers, SkyAsNow);
        EXPECT_EQ(map->sector(0)->quadBuffer.holdsQuads(), buffers);
        ASSERT_TRUE(redrawn(false, view % 4 < 2 ? SkyAsNow : SkyAsBefore) == fromBuffers)
            << "view " << view;
        EXPECT_FALSE(map->sector(0)->quadBuffer.holdsQuads());
        gl->allowVertexBuffers(true);
        gl->disableAlphaTest();
    }
    core->spriteSheet = nullptr;
    setTickSource(nullptr);
    EXPECT_GT(sectorsLeftOut, 24 * 81 / 3);
    EXPECT_GT(objectsLeftOut, 24 * 81 / 3);
    EXPECT_GT(framesShowingBlocks, 12);
    EXPECT_TRUE(gl->vertexBuffers()) << "this driver offers OpenGL 1.5: both ways were compared";
}

}  // namespace
