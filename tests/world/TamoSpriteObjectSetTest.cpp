#include <memory>

#include <GL/gl.h>

#include "media/BitmapFont.h"
#include "media/SpriteSheet.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

class TamoSpriteObjectSetTest : public TestWorld {};

using Frame = TamoSpriteObjectSet::FrameChoice;

TEST_F(TamoSpriteObjectSetTest, NewObjectsTakeIdsInTurnAndTheCoreTypeAndTeam) {
    core->spriteType = 3;
    core->spriteTeam = 2;
    sprites->addAt(Vector3(1, 2, 3));
    sprites->addAt(Vector3(1, 2, 3));
    ASSERT_EQ(sprites->count(), 2);
    EXPECT_EQ(sprites->object(0).id, 0);
    EXPECT_EQ(sprites->object(1).id, 1);
    EXPECT_EQ(sprites->object(1).position, Vector3(1, 2, 3));
    EXPECT_EQ(sprites->object(1).type, 3);
    EXPECT_EQ(sprites->object(1).team, 2);
    EXPECT_EQ(sprites->object(1).height, 30.0f);
    EXPECT_EQ(sprites->object(1).angle, 0.0f);
    EXPECT_TRUE(sprites->object(1).name.empty());
    EXPECT_FALSE(sprites->object(1).selected);
    sprites->clearAll();
    EXPECT_EQ(sprites->count(), 0);
    sprites->addAt(Vector3(0, 0, 0));
    EXPECT_EQ(sprites->object(0).id, 0);
}

TEST_F(TamoSpriteObjectSetTest, DraggingSelectsWithinTheRadiusAndMovesEverySelectedObject) {
    sprites->addAt(Vector3(0, 0, 0));
    sprites->addAt(Vector3(7.9f, 0, 0));
    sprites->addAt(Vector3(0, 0, 8.0f));  // exactly at the radius: not near enough
    sprites->addAt(Vector3(100, 0, 0));
    sprites->object(3).selected = true;  // selected earlier, far away
    sprites->moveSelectedTo(Vector3(0, 0, 0));
    EXPECT_TRUE(sprites->object(0).selected);
    EXPECT_TRUE(sprites->object(1).selected);
    EXPECT_FALSE(sprites->object(2).selected);
    EXPECT_EQ(sprites->object(1).position, Vector3(0, 0, 0));
    EXPECT_EQ(sprites->object(3).position, Vector3(0, 0, 0));
    EXPECT_EQ(sprites->object(2).position, Vector3(0, 0, 8));

    sprites->moveSelectedTo(Vector3(50, 1, 50));
    EXPECT_EQ(sprites->object(0).position, Vector3(50, 1, 50));
    EXPECT_EQ(sprites->object(1).position, Vector3(50, 1, 50));
    EXPECT_EQ(sprites->object(2).position, Vector3(0, 0, 8));

    sprites->deselectAll();
    for (int32_t i = 0; i < sprites->count(); ++i)
        EXPECT_FALSE(sprites->object(i).selected);
}

TEST_F(TamoSpriteObjectSetTest, TurningFacesTheHitPoint) {
    sprites->addAt(Vector3(10, 0, 10));
    sprites->object(0).selected = true;
    sprites->turnSelectedTowards(Vector3(30, 0, 10));
    EXPECT_NEAR(sprites->object(0).angle, 0.0f, 1e-4f);
    sprites->turnSelectedTowards(Vector3(10, 5, 30));
    EXPECT_NEAR(sprites->object(0).angle, 90.0f, 1e-4f);
    sprites->turnSelectedTowards(Vector3(-10, 0, 10));
    EXPECT_NEAR(sprites->object(0).angle, 180.0f, 1e-4f);
    sprites->turnSelectedTowards(Vector3(10, 0, -10));
    EXPECT_NEAR(sprites->object(0).angle, 270.0f, 1e-4f);
    // A hit near an unselected object selects it and turns it as well.
    sprites->addAt(Vector3(100, 0, 100));
    sprites->turnSelectedTowards(Vector3(100, 0, 105));
    EXPECT_TRUE(sprites->object(1).selected);
    EXPECT_NEAR(sprites->object(1).angle, 90.0f, 1e-4f);
}

TEST_F(TamoSpriteObjectSetTest, DeletingRemovesRunsOfSelectedObjects) {
    for (int i = 0; i < 6; ++i)
        sprites->addAt(Vector3(static_cast<float>(i * 100), 0, 0));
    for (int i : {1, 2, 3, 5})
        sprites->object(i).selected = true;
    sprites->deleteSelected();
    ASSERT_EQ(sprites->count(), 2);
    EXPECT_EQ(sprites->object(0).id, 0);
    EXPECT_EQ(sprites->object(1).id, 4);

    sprites->object(1).selected = true;
    sprites->object(0).selected = true;
    sprites->deleteSelected();
    EXPECT_EQ(sprites->count(), 0);
    sprites->addAt(Vector3(0, 0, 0));
    EXPECT_EQ(sprites->object(0).id, 6);  // ids are not reused
}

TEST_F(TamoSpriteObjectSetTest, TypedNamesGrowAndShrinkOnSelectedObjectsOnly) {
    sprites->addAt(Vector3(0, 0, 0));
    sprites->addAt(Vector3(100, 0, 0));
    sprites->object(0).selected = true;
    sprites->appendNameChar('A');
    sprites->appendNameChar('B');
    EXPECT_EQ(sprites->object(0).name, "AB");
    EXPECT_EQ(sprites->object(1).name, "");
    sprites->eraseLastNameChar();
    EXPECT_EQ(sprites->object(0).name, "A");
    sprites->eraseLastNameChar();
    sprites->eraseLastNameChar();
    EXPECT_EQ(sprites->object(0).name, "");

    for (int i = 0; i < 250; ++i)
        sprites->appendNameChar('Z');
    EXPECT_EQ(sprites->object(0).name, std::string(199, 'Z'));
    sprites->eraseLastNameChar();
    sprites->appendNameChar('Y');
    EXPECT_EQ(sprites->object(0).name.back(), 'Y');
    EXPECT_EQ(sprites->object(0).name.size(), 199u);
}

TEST_F(TamoSpriteObjectSetTest, ThePlanViewLeavesObjectsAlone) {
    sprites->addAt(Vector3(0, 0, 0));
    sprites->object(0).selected = true;
    sprites->object(0).name = "X";
    core->view3D = false;
    sprites->appendNameChar('A');
    sprites->eraseLastNameChar();
    sprites->deselectAll();
    sprites->deleteSelected();
    sprites->addAtCursor();
    ASSERT_EQ(sprites->count(), 1);
    EXPECT_EQ(sprites->object(0).name, "X");
    EXPECT_TRUE(sprites->object(0).selected);
    sprites->clearAll();  // works in both views
    EXPECT_EQ(sprites->count(), 0);
}

TEST_F(TamoSpriteObjectSetTest, FrameAndMirroringFollowTheViewQuadrant) {
    const Vector2 view(1, 0);
    // Heading along the view: the eye sees its back.
    EXPECT_NEAR(TamoSpriteObjectSet::relativeAngle(view, 0.0f), 0.0f, 1e-3f);
    EXPECT_NEAR(TamoSpriteObjectSet::relativeAngle(view, 90.0f), 90.0f, 1e-3f);
    EXPECT_NEAR(TamoSpriteObjectSet::relativeAngle(view, 270.0f), -90.0f, 1e-3f);
    EXPECT_NEAR(TamoSpriteObjectSet::relativeAngle(Vector2(0, 1), 0.0f), -90.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(TamoSpriteObjectSet::relativeAngle(view, 180.0f)), 180.0f, 1e-3f);

    auto same = [](Frame a, Frame b) { return a.frame == b.frame && a.mirrored == b.mirrored; };
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(10, 0), {1, false}));  // away
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(-44, 1), {1, true}));
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(170, 0), {0, false}));  // towards
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(-136, 1), {0, true}));
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(90, 0), {2, false}));  // side
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(45, 1), {3, false}));
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(-90, 0), {2, true}));
    EXPECT_TRUE(same(TamoSpriteObjectSet::chooseFrame(-135, 1), {3, true}));
}

TEST_F(TamoSpriteObjectSetTest, AnimationAlternatesEvery250MsExceptForThreeFrameGroups) {
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(0, 4), 0);
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(249, 4), 0);
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(250, 4), 1);
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(499, 4), 1);
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(500, 4), 0);
    EXPECT_EQ(TamoSpriteObjectSet::animationStep(4294967295u, 2), 1);
    for (uint32_t tick : {0u, 250u, 750u, 100000u})
        EXPECT_EQ(TamoSpriteObjectSet::animationStep(tick, 3), 0) << tick;
}

class SpriteDrawingTest : public TamoSpriteObjectSetTest {
protected:
    void SetUp() override {
        TamoSpriteObjectSetTest::SetUp();
        const std::vector<uint8_t> rgb = sheetImage(64, 16);
        sheet = std::make_unique<SpriteSheet>(gl, rgb.data(), 64, 16, 5, 0);
        // A plain white font texture: every glyph shows as a block in the text colour.
        std::vector<uint8_t> white(256 * 128 * 4, 255);
        gl->textures->uploadTexture(white.data(), 256, 128, 2, 0);
        font = std::make_unique<BitmapFont>(gl, 2);
        core->spriteSheet = sheet.get();
        core->font = font.get();
        gl->eye = Vector3(0, 2, 0);
        gl->direction = Vector3(1, 0, 0);
        gl->up = Vector3(0, 1, 0);
        gl->applyCamera();
        gl->clear();
    }
    void TearDown() override {
        core->spriteSheet = nullptr;
        core->font = nullptr;
        TamoSpriteObjectSetTest::TearDown();
    }

    // The colours left and right of the middle of an object 10 units ahead.
    std::pair<Pixel, Pixel> sidesOfObject() {
        const Vector3 middle = gl->project(Vector3(10, 2, 0));
        const int32_t x = static_cast<int32_t>(middle.x);
        const int32_t y = static_cast<int32_t>(middle.y);
        return {readPixel(x - 40, y), readPixel(x + 40, y)};
    }

    bool isWhite(Pixel p) { return p.r == 255 && p.g == 255 && p.b == 255; }

    std::unique_ptr<SpriteSheet> sheet;
    std::unique_ptr<BitmapFont> font;
};

TEST_F(SpriteDrawingTest, TheObjectShowsTheFrameForItsHeading) {
    sprites->addAt(Vector3(10, 0, 0));
    sprites->object(0).angle = 180.0f;  // looks towards the eye: frame 0, red
    sprites->drawSprites();
    std::pair<Pixel, Pixel> sides = sidesOfObject();
    const Pixel coloured = isWhite(sides.first) ? sides.second : sides.first;
    EXPECT_TRUE(isWhite(sides.first) != isWhite(sides.second));
    EXPECT_EQ(coloured.r, 255);
    EXPECT_EQ(coloured.g, 0);

    gl->clear();
    sprites->object(0).angle = 0.0f;  // looks away: frame 1, green
    sprites->drawSprites();
    sides = sidesOfObject();
    const Pixel away = isWhite(sides.first) ? sides.second : sides.first;
    EXPECT_EQ(away.g, 255);
    EXPECT_EQ(away.r, 0);
}

TEST_F(SpriteDrawingTest, SideViewsAreMirroredByTheSideSeen) {
    sprites->addAt(Vector3(10, 0, 0));
    sprites->object(0).angle = 90.0f;
    sprites->drawSprites();
    const std::pair<Pixel, Pixel> right = sidesOfObject();
    gl->clear();
    sprites->object(0).angle = 270.0f;
    sprites->drawSprites();
    const std::pair<Pixel, Pixel> left = sidesOfObject();
    // The white half changes sides between the two headings.
    EXPECT_NE(isWhite(right.first), isWhite(left.first));
    EXPECT_NE(isWhite(right.second), isWhite(left.second));
}

// Yellow pixels of the back buffer inside a window rectangle.
int32_t countYellow(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    std::vector<uint8_t> rgba(640 * 480 * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int32_t n = 0;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            const uint8_t* p = &rgba[static_cast<size_t>(((479 - y) * 640 + x) * 4)];
            n += (p[0] == 255 && p[1] == 255 && p[2] == 0) ? 1 : 0;
        }
    return n;
}

TEST_F(SpriteDrawingTest, LabelsAreDrawnOnlyForSelectedObjectsInFrontOfTheEye) {
    sprites->addAt(Vector3(60, -34, 0));  // label point (60, 2, 0): the middle of the picture
    sprites->object(0).name = "AB";
    sprites->drawSprites();
    EXPECT_EQ(countYellow(280, 200, 360, 280), 0);  // not selected: no label

    sprites->object(0).selected = true;
    gl->clear();
    sprites->drawSprites();
    EXPECT_GT(countYellow(280, 200, 360, 280), 20);

    // The same object behind the eye: its label point projects through the
    // eye onto the picture, but no label is drawn.
    gl->direction = Vector3(-1, 0, 0);
    gl->applyCamera();
    gl->clear();
    sprites->drawSprites();
    EXPECT_EQ(countYellow(0, 0, 640, 480), 0);
}

TEST_F(SpriteDrawingTest, NothingIsDrawnInThePlanView) {
    sprites->addAt(Vector3(10, 0, 0));
    core->view3D = false;
    sprites->drawSprites();
    const std::pair<Pixel, Pixel> sides = sidesOfObject();
    EXPECT_FALSE(isWhite(sides.first) || isWhite(sides.second));
}

}  // namespace
