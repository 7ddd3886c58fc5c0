#include <SDL.h>

#include "engine/MyTamoEngineCore.h"
#include "engine/TamoEditorUserAvatar.h"
#include "platform/Geometry.h"
#include "world/CellBox.h"
#include "world/TestWorld.h"

using namespace testworld;

namespace {

using AvatarWorld = BasicTestWorld<MyTamoEngineCore, TamoEditorUserAvatar>;

class TamoEditorUserAvatarTest : public AvatarWorld {
protected:
    void SetUp() override {
        AvatarWorld::SetUp();
        attachAvatar();
        gl->eye = Vector3(0, 0, 0);
    }

    // An input with the cursor resting inside the client area, off every edge.
    AvatarInput quiet(float frameTime = 100.0f) const {
        AvatarInput in;
        in.cursorScreenX = window->clientLeft() + 100;
        in.cursorScreenY = window->clientTop() + 100;
        in.frameTime = frameTime;
        return in;
    }

    void expectEye(float x, float y, float z) {
        EXPECT_NEAR(gl->eye.x, x, 1e-3f);
        EXPECT_NEAR(gl->eye.y, y, 1e-3f);
        EXPECT_NEAR(gl->eye.z, z, 1e-3f);
    }

    int32_t startBlocks() { return usedBlocks(map->sector(0)); }
};

TEST_F(TamoEditorUserAvatarTest, WalkingMovesHalfAUnitPerMillisecondAlongTheFlatView) {
    AvatarInput in = quiet(100.0f);
    in.upArrow = true;
    avatar->updateWith(in);
    expectEye(50, 0, 0);
    in = quiet(100.0f);
    in.leftArrow = true;
    avatar->updateWith(in);
    expectEye(50, 0, -50);
    in = quiet(40.0f);
    in.downArrow = true;
    in.rightArrow = true;
    avatar->updateWith(in);
    expectEye(30, 0, -30);
    in = quiet(100.0f);
    in.upArrow = in.downArrow = true;  // opposite arrows cancel
    avatar->updateWith(in);
    expectEye(30, 0, -30);
}

TEST_F(TamoEditorUserAvatarTest, WalkingAtYaw90GoesAlongZAndNeverChangesHeight) {
    avatar->setYaw(90.0f);
    avatar->setPitch(60.0f);
    AvatarInput in = quiet(100.0f);
    in.upArrow = true;
    avatar->updateWith(in);
    EXPECT_NEAR(gl->direction.x, 0.0f, 1e-4f);
    EXPECT_NEAR(gl->direction.z, 0.5f, 1e-4f);
    EXPECT_NEAR(gl->direction.y, 0.866f, 1e-3f);
    expectEye(0, 0, 50);
}

TEST_F(TamoEditorUserAvatarTest, TheCursorOnAClientEdgeTurnsTheView) {
    AvatarInput in = quiet(1000.0f);
    in.cursorScreenX = window->clientLeft();
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), -100.0f, 1e-3f);
    in.cursorScreenX = window->clientLeft() + 639;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), 0.0f, 1e-3f);
    in = quiet(100.0f);
    in.cursorScreenY = window->clientTop() + 479;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getPitch(), -10.0f, 1e-3f);

    avatar->setPitch(89.0f);
    in = quiet(100.0f);
    in.cursorScreenY = window->clientTop();
    avatar->updateWith(in);
    EXPECT_EQ(avatar->getPitch(), 90.0f);
    avatar->setPitch(-95.0f);
    avatar->updateWith(quiet());
    EXPECT_EQ(avatar->getPitch(), -90.0f);
}

TEST_F(TamoEditorUserAvatarTest, EdgesAreThoseOfTheClientAreaNotOfTheScreen) {
    window->moveTo(100, 60);
    ASSERT_GT(window->clientLeft(), 0);
    ASSERT_GT(window->clientTop(), 0);
    AvatarInput in = quiet(100.0f);
    in.cursorScreenX = 0;  // the screen's edge lies outside the client area here
    in.cursorScreenY = 0;
    avatar->updateWith(in);
    EXPECT_EQ(avatar->getYaw(), 0.0f);
    EXPECT_EQ(avatar->getPitch(), 0.0f);
    in.cursorScreenX = window->clientLeft();
    in.cursorScreenY = window->clientTop();
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), -10.0f, 1e-3f);
    EXPECT_NEAR(avatar->getPitch(), 10.0f, 1e-3f);

    core->view3D = false;
    core->planScrollX = core->planScrollY = 0;
    in.cursorScreenX = 0;
    in.cursorScreenY = 0;
    avatar->updateWith(in);
    EXPECT_EQ(core->planScrollX, 0.0f);
    in.cursorScreenX = window->clientLeft() + 639;
    in.cursorScreenY = window->clientTop() + 479;
    avatar->updateWith(in);
    EXPECT_NEAR(core->planScrollX, 20.0f, 1e-3f);
    EXPECT_NEAR(core->planScrollY, 20.0f, 1e-3f);
}

TEST_F(TamoEditorUserAvatarTest, ALargerWindowTurnsAtItsOwnEdgesOnly) {
    // 1280 x 720 shows the picture 1.5 times larger between bars of 160
    // pixels: the bars' outer pixels are the edges, the picture's are not.
    SDL_SetWindowSize(reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler")), 1280, 720);
    SDL_Delay(30);
    ASSERT_EQ(window->pictureFit().left, 160);
    const int32_t left = window->clientLeft();
    const int32_t top = window->clientTop();
    AvatarInput in = quiet(100.0f);
    for (int32_t x : {1, 159, 160, 1119, 1278}) {
        in.cursorScreenX = left + x;
        avatar->updateWith(in);
        EXPECT_EQ(avatar->getYaw(), 0.0f) << x;
    }
    for (int32_t y : {1, 718}) {
        in.cursorScreenY = top + y;
        avatar->updateWith(in);
        EXPECT_EQ(avatar->getPitch(), 0.0f) << y;
    }
    in.cursorScreenX = left;
    in.cursorScreenY = top + 719;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), -10.0f, 1e-3f);
    EXPECT_NEAR(avatar->getPitch(), -10.0f, 1e-3f);
    in.cursorScreenX = left + 1279;
    in.cursorScreenY = top;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), 0.0f, 1e-3f);
    EXPECT_NEAR(avatar->getPitch(), 0.0f, 1e-3f);
}

TEST_F(TamoEditorUserAvatarTest, FlyingTurnsWithTheMouseWithoutLimitAndMovesAlongTheView) {
    AvatarInput in = quiet(100.0f);
    in.space = true;
    window->mouseX = 400;
    window->mouseY = 300;
    avatar->updateWith(in);  // the first frame only centres the cursor
    EXPECT_TRUE(avatar->isMouseLookActive());
    EXPECT_EQ(avatar->getYaw(), 0.0f);
    EXPECT_EQ(window->mouseX, 320);
    EXPECT_EQ(window->mouseY, 240);

    window->mouseX = 330;
    window->mouseY = 244;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getYaw(), 5.0f, 1e-4f);
    EXPECT_NEAR(avatar->getPitch(), 2.0f, 1e-4f);
    EXPECT_EQ(window->mouseX, 320);

    avatar->setPitch(89.0f);
    window->mouseY = 244;
    avatar->updateWith(in);
    EXPECT_NEAR(avatar->getPitch(), 91.0f, 1e-4f);
    avatar->updateWith(quiet());
    EXPECT_EQ(avatar->getPitch(), 90.0f);
    EXPECT_FALSE(avatar->isMouseLookActive());

    avatar->setYaw(0.0f);
    avatar->setPitch(0.0f);
    gl->eye = Vector3(0, 0, 0);
    window->leftButtonDown = true;
    avatar->updateWith(in);  // centres again after the space bar was up, and flies
    expectEye(50, 0, 0);
    window->rightButtonDown = true;  // the right button wins: backwards
    avatar->updateWith(in);
    expectEye(0, 0, 0);
    EXPECT_TRUE(window->leftButtonDown);  // flying consumes no press
    EXPECT_EQ(startBlocks(), 1);
}

TEST_F(TamoEditorUserAvatarTest, AClickPlacesOneBlockHoweverLongItIsHeld) {
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    avatar->setPitch(-90.0f);
    window->leftButtonDown = true;
    avatar->updateWith(quiet());
    EXPECT_EQ(startBlocks(), 2);
    EXPECT_FALSE(window->leftButtonDown);
    avatar->updateWith(quiet());
    EXPECT_EQ(startBlocks(), 2);

    window->rightButtonDown = true;
    avatar->updateWith(quiet());
    EXPECT_EQ(startBlocks(), 1);
    EXPECT_FALSE(window->rightButtonDown);
}

TEST_F(TamoEditorUserAvatarTest, TabWithAButtonPaintsAndPicksEveryFrame) {
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    avatar->setPitch(-90.0f);
    AvatarInput in = quiet();
    in.tab = true;
    window->leftButtonDown = true;
    core->material.texture = 104;
    avatar->updateWith(in);
    MapBlock* block = map->sector(0)->findBlock(0, 0, 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->faces[FaceTop].texture, 104);
    EXPECT_TRUE(window->leftButtonDown);
    core->material.texture = 108;
    avatar->updateWith(in);
    EXPECT_EQ(block->faces[FaceTop].texture, 108);
    EXPECT_EQ(startBlocks(), 1);  // no block placed while tab is held

    window->leftButtonDown = false;
    window->rightButtonDown = true;
    core->material.texture = 100;
    avatar->updateWith(in);
    EXPECT_EQ(core->material.texture, 108);
    EXPECT_TRUE(window->rightButtonDown);
}

TEST_F(TamoEditorUserAvatarTest, SpriteModeAddsOneObjectPerDoubleClickAndDeselectsOnRelease) {
    core->editMode = 1;
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    avatar->setPitch(-90.0f);
    window->rightButtonDown = true;
    window->rightDoubleClick = true;
    avatar->updateWith(quiet());
    ASSERT_EQ(sprites->count(), 1);
    EXPECT_FALSE(window->rightDoubleClick);
    EXPECT_NEAR(sprites->object(0).position.y, 60015.0f, 1.0f);
    avatar->updateWith(quiet());
    EXPECT_EQ(sprites->count(), 1);
    EXPECT_TRUE(sprites->object(0).selected);  // held right button: turning it

    window->rightButtonDown = false;
    avatar->updateWith(quiet());
    EXPECT_FALSE(sprites->object(0).selected);

    // Holding the left button drags it along with the cursor.
    window->leftButtonDown = true;
    avatar->updateWith(quiet());
    EXPECT_TRUE(sprites->object(0).selected);
    EXPECT_TRUE(window->leftButtonDown);
    EXPECT_EQ(startBlocks(), 1);
}

TEST_F(TamoEditorUserAvatarTest, APlanStrokeFollowsTheCursorFromFrameToFrame) {
    core->view3D = false;
    core->planScrollX = core->planScrollY = 0;
    core->currentLevel = 0;
    window->mouseX = 100;
    window->mouseY = 100;
    avatar->updateWith(quiet());  // remembers (100, 100)
    window->leftButtonDown = true;
    window->mouseX = 140;
    avatar->updateWith(quiet());
    // Cells 8 and 7 of the row at z cell 6 (pixels 140 and 100 lie in cells 8 and 6).
    auto blockAt = [&](int32_t cx, int32_t cz) {
        const Vector3 p(cx * 10 + 5.0f, 7.5f, cz * 10 + 5.0f);
        const int32_t i = map->findSector(p);
        return i >= 0 && map->sector(i)->hasBlockAt(p);
    };
    EXPECT_TRUE(blockAt(8, 6));
    EXPECT_TRUE(blockAt(7, 6));
    EXPECT_FALSE(blockAt(6, 6));
    EXPECT_TRUE(window->leftButtonDown);

    window->leftButtonDown = false;
    window->rightButtonDown = true;
    window->mouseX = 120;  // erases from cell 7 back towards cell 8
    avatar->updateWith(quiet());
    EXPECT_FALSE(blockAt(7, 6));
    EXPECT_TRUE(blockAt(8, 6));
}

TEST_F(TamoEditorUserAvatarTest, DraggingThePlanScrollsByTheMouseOffset) {
    core->view3D = false;
    core->planScrollX = core->planScrollY = 0;
    AvatarInput in = quiet(50.0f);
    in.space = true;
    avatar->updateWith(in);  // centres the cursor
    window->mouseX = 330;
    window->mouseY = 235;
    avatar->updateWith(in);
    EXPECT_NEAR(core->planScrollX, 10 * 50 * 0.2f, 1e-3f);
    EXPECT_NEAR(core->planScrollY, -5 * 50 * 0.2f, 1e-3f);
    EXPECT_EQ(window->mouseX, 320);
}

TEST_F(TamoEditorUserAvatarTest, ShiftDragSelectsTheBoxBetweenBlocksAndEditsNothing) {
    lookAt(Vector3(40005, 60100, 40005), Vector3(0, -1, 0));
    avatar->setPitch(-90.0f);
    for (int32_t x = 4001; x <= 4003; ++x)
        for (int32_t z = 4000; z <= 4002; z += 2)
            map->setBlockAt(CellBox::cellCentre(x, 4000, z, 10, 15), true);
    map->setBlockAt(CellBox::cellCentre(4000, 4000, 4002, 10, 15), true);
    avatar->updateWith(quiet());  // aims the camera
    const int32_t blocks = startBlocks();
    auto pointAt = [&](int32_t x, int32_t z) {
        const Vector3 p = gl->project(Vector3(x * 10 + 5.0f, 60015.0f, z * 10 + 5.0f));
        window->mouseX = static_cast<int32_t>(p.x);
        window->mouseY = static_cast<int32_t>(p.y);
    };
    AvatarInput held = quiet();
    held.shift = held.leftHeld = true;
    // Where a paste goes: the cell a click would place a block into.
    int32_t cell[3] = {0, 0, 0};
    pointAt(4000, 4000);
    ASSERT_TRUE(avatar->placeCellUnderCursor(cell));
    EXPECT_EQ(CellBox::single(cell[0], cell[1], cell[2]), CellBox::single(4000, 4001, 4000));

    // Shift + click: the one block.
    pointAt(4001, 4000);
    window->leftButtonDown = true;
    avatar->updateWith(held);
    EXPECT_FALSE(window->leftButtonDown);
    avatar->updateWith(quiet());  // released
    ASSERT_TRUE(core->selection.active());
    EXPECT_EQ(core->selection.box(), CellBox::single(4001, 4000, 4000));
    EXPECT_FALSE(avatar->isSelecting());

    // A drag, Shift let go on the way, ending off the blocks: the box keeps
    // the last block reached.
    pointAt(4000, 4000);
    window->leftButtonDown = true;
    avatar->updateWith(held);
    AvatarInput dragging = quiet();
    dragging.leftHeld = true;
    pointAt(4003, 4002);
    avatar->updateWith(dragging);
    EXPECT_EQ(core->selection.box(), CellBox(4000, 4000, 4000, 4003, 4000, 4002));
    window->mouseX = 639;  // no block under the pointer
    avatar->updateWith(dragging);
    avatar->updateWith(quiet());
    EXPECT_EQ(core->selection.box(), CellBox(4000, 4000, 4000, 4003, 4000, 4002));
    EXPECT_EQ(startBlocks(), blocks);
    EXPECT_EQ(map->sectorCount(), 1);

    // A Shift press on nothing selects nothing; a press without Shift places
    // a block as ever and keeps the selection.
    window->mouseX = 0;
    window->mouseY = 0;
    window->leftButtonDown = true;
    avatar->updateWith(held);
    EXPECT_EQ(core->selection.box(), CellBox(4000, 4000, 4000, 4003, 4000, 4002));
    pointAt(4001, 4000);
    window->leftButtonDown = true;
    avatar->updateWith(quiet());
    EXPECT_EQ(startBlocks(), blocks + 1);
    EXPECT_TRUE(core->selection.active());

    // The plan view: the rectangle of cells on the current level, nothing drawn.
    core->toggleView();
    core->planScrollX = core->planScrollY = 0;
    core->currentLevel = 4001;
    window->mouseX = 100;  // cell 6
    window->mouseY = 40;   // cell 2
    window->leftButtonDown = true;
    avatar->updateWith(held);
    window->mouseX = 20;  // cell 1
    window->mouseY = 90;  // cell 5
    avatar->updateWith(dragging);
    avatar->updateWith(quiet());
    EXPECT_EQ(core->selection.box(), CellBox(1, 4001, 2, 6, 4001, 5));
    EXPECT_EQ(map->sectorCount(), 1);
    EXPECT_EQ(startBlocks(), blocks + 1);
}

TEST_F(TamoEditorUserAvatarTest, WithCtrlHeldTheArrowsDoNotWalk) {
    AvatarInput in = quiet(100.0f);
    in.upArrow = in.leftArrow = true;
    in.control = true;
    avatar->updateWith(in);
    expectEye(0, 0, 0);
    in.control = false;
    avatar->updateWith(in);
    expectEye(50, 0, -50);
}

TEST_F(TamoEditorUserAvatarTest, ThePointerStateIsACopyThatConsumesNothing) {
    window->mouseX = 12;
    window->mouseY = 34;
    window->leftButtonDown = true;
    const PointerState a = avatar->getPointerState();
    const PointerState b = avatar->getPointerState();
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.mouseX, 12);
    EXPECT_EQ(a.mouseY, 34);
    EXPECT_TRUE(a.leftButtonDown);
    EXPECT_FALSE(a.rightButtonDown);
    EXPECT_TRUE(window->leftButtonDown);
}

}  // namespace
