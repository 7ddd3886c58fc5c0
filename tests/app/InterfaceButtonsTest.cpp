#include "app/InterfaceButtons.h"

#include <gtest/gtest.h>

#include "app/ButtonActions.h"
#include "engine/TamoEngineCore.h"

namespace {

InterfaceButtons filled() {
    InterfaceButtons buttons;
    buttons.fill(640, 480);
    return buttons;
}

}  // namespace

TEST(InterfaceButtons, ListsHoldTheirRegionsInTableOrder) {
    const InterfaceButtons buttons = filled();
    ASSERT_EQ(buttons.alwaysList().count(), 5);
    ASSERT_EQ(buttons.blockList().count(), 17);
    ASSERT_EQ(buttons.planList().count(), 2);
    ASSERT_EQ(buttons.spriteList().count(), 2);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(buttons.alwaysList()[i].id, i + 1);
    for (int32_t i = 0; i < 17; ++i)
        EXPECT_EQ(buttons.blockList()[i].id, i + 6);
    const ButtonRegion& first = buttons.blockList()[0];
    EXPECT_EQ(first.left, 516);
    EXPECT_EQ(first.top, 354);
    EXPECT_EQ(first.right, 533);
    EXPECT_EQ(first.bottom, 372);
    const ButtonRegion& view = buttons.alwaysList()[4];
    EXPECT_EQ(view.left, 600);
    EXPECT_EQ(view.right, 639);
}

TEST(InterfaceButtons, QuitBoundsAndAlwaysListInEveryMode) {
    const InterfaceButtons buttons = filled();
    for (int32_t mode = 0; mode <= 1; ++mode) {
        for (bool view3D : {true, false}) {
            EXPECT_EQ(buttons.hit(8, 2, mode, view3D), ButtonQuit);
            EXPECT_EQ(buttons.hit(37, 27, mode, view3D), ButtonQuit);
            EXPECT_EQ(buttons.hit(38, 27, mode, view3D), ButtonNone);
            EXPECT_EQ(buttons.hit(620, 10, mode, view3D), ButtonView);
            EXPECT_EQ(buttons.hit(580, 10, mode, view3D), ButtonEditMode);
        }
    }
}

TEST(InterfaceButtons, EditModeChoosesTheBlockOrSpritePanel) {
    const InterfaceButtons buttons = filled();
    // Texture-next button of the block panel (516..533, 354..372).
    EXPECT_EQ(buttons.hit(520, 360, 0, true), ButtonTextureNext);
    EXPECT_EQ(buttons.hit(520, 360, 1, true), ButtonNone);
    // Sprite type next (522..551, 391..413) lies inside the block panel's area too.
    EXPECT_EQ(buttons.hit(530, 400, 1, true), ButtonSpriteTypeNext);
    EXPECT_NE(buttons.hit(530, 400, 0, true), ButtonSpriteTypeNext);
    EXPECT_EQ(buttons.hit(530, 420, 1, true), ButtonSpriteTypePrevious);
    // Presets of the block panel.
    EXPECT_EQ(buttons.hit(640 - 160, 480 - 60, 0, true), 17);
    EXPECT_EQ(buttons.hit(640 - 140, 480 - 20, 0, true), 22);
}

TEST(InterfaceButtons, LevelButtonsOnlyInThePlanView) {
    const InterfaceButtons buttons = filled();
    EXPECT_EQ(buttons.hit(10, 420, 0, true), ButtonNone);
    EXPECT_EQ(buttons.hit(10, 420, 0, false), ButtonLevelUp);
    EXPECT_EQ(buttons.hit(10, 460, 1, false), ButtonLevelDown);
    EXPECT_EQ(buttons.hit(10, 460, 1, true), ButtonNone);
}

TEST(InterfaceButtons, HeldPressActsOnceAndMissLeavesPressPending) {
    const InterfaceButtons buttons = filled();
    bool leftButtonDown = true;
    bool leftDoubleClick = false;
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, 20, 10, 0, true), ButtonQuit);
    EXPECT_FALSE(leftButtonDown);
    // Still held over the button: the flag stays clear, so nothing acts again.
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, 20, 10, 0, true), ButtonNone);
    EXPECT_FALSE(leftButtonDown);

    leftButtonDown = true;
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, 320, 240, 0, true), ButtonNone);
    EXPECT_TRUE(leftButtonDown);
    // Dragged onto a button while held: it acts then.
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, 100, 10, 0, true), ButtonLoad);
    EXPECT_FALSE(leftButtonDown);
}

// The second click of a quick pair arrives as a double click, not a press: on
// a button it acts as a press does, once; off the buttons it stays for the
// avatar (block mode ignores it, sprite mode adds a figure on a right one).
TEST(InterfaceButtons, ADoubleClickOnAButtonActsOnceLikeAPress) {
    const InterfaceButtons buttons = filled();
    bool leftButtonDown = true;
    bool leftDoubleClick = false;
    const ScreenRect r = buttonLayout(ButtonTextureNext).onScreen(640, 480);
    const int32_t x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    const int32_t id = ButtonTextureNext;
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, x, y, 0, true), id);
    leftButtonDown = false;  // released
    leftDoubleClick = true;  // the second click
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, x, y, 0, true), id);
    EXPECT_FALSE(leftDoubleClick);
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, x, y, 0, true), ButtonNone);

    leftDoubleClick = true;
    EXPECT_EQ(buttons.takeClick(leftButtonDown, leftDoubleClick, 320, 240, 0, true), ButtonNone);
    EXPECT_TRUE(leftDoubleClick);
    EXPECT_FALSE(leftButtonDown);
}

TEST(InterfaceButtons, ClearEmptiesEveryList) {
    InterfaceButtons buttons = filled();
    buttons.clear();
    EXPECT_EQ(buttons.alwaysList().count(), 0);
    EXPECT_EQ(buttons.blockList().count(), 0);
    EXPECT_EQ(buttons.planList().count(), 0);
    EXPECT_EQ(buttons.spriteList().count(), 0);
    EXPECT_EQ(buttons.hit(20, 10, 0, true), ButtonNone);
}

// Every button of the layout is hit at its four corners, at any screen size,
// exactly while its panel is offered.
TEST(InterfaceButtons, EveryLayoutButtonIsHitWhereItsPanelIsOffered) {
    for (const ScreenPoint screen : {ScreenPoint{640, 480}, ScreenPoint{1024, 600}}) {
        InterfaceButtons buttons;
        buttons.fill(screen.x, screen.y);
        for (const ButtonLayout& b : Buttons) {
            SCOPED_TRACE(b.id);
            const ScreenRect r = b.onScreen(screen.x, screen.y);
            const int32_t mode = b.panel == PanelSprite ? 1 : 0;
            const bool view3D = b.panel != PanelLevel;
            for (const ScreenPoint p :
                 {ScreenPoint{r.left, r.top}, ScreenPoint{r.right, r.top},
                  ScreenPoint{r.left, r.bottom}, ScreenPoint{r.right, r.bottom}}) {
                EXPECT_EQ(buttons.hit(p.x, p.y, mode, view3D), b.id);
                if (b.panel == PanelBlock || b.panel == PanelSprite) {
                    EXPECT_NE(buttons.hit(p.x, p.y, 1 - mode, view3D), b.id);
                }
                if (b.panel == PanelLevel) {
                    EXPECT_EQ(buttons.hit(p.x, p.y, mode, true), ButtonNone);
                }
            }
        }
    }
}

// The material preview opens the palette in edit mode 0 only, in both
// views; the window is told so, and the material stays as it was.
TEST(InterfaceButtons, TheMaterialPreviewOpensThePaletteInBlockEditing) {
    const InterfaceButtons buttons = filled();
    const ScreenRect r = PaletteButton.onScreen(640, 480);
    EXPECT_EQ(r.left, 640 - 181 + MaterialPreview.left);
    EXPECT_EQ(r.bottom, 480 - 130 + MaterialPreview.bottom);
    for (const bool view3D : {true, false}) {
        EXPECT_EQ(buttons.hit(r.left, r.top, 0, view3D), ButtonPalette);
        EXPECT_EQ(buttons.hit(r.right, r.bottom, 0, view3D), ButtonPalette);
        EXPECT_NE(buttons.hit(r.left, r.top, 1, view3D), ButtonPalette);
    }
    EXPECT_EQ(buttons.hit(r.left - 1, r.top, 0, true), ButtonNone);
    TamoEngineCore core(nullptr, nullptr, nullptr, 100, 3, 4);
    const FaceMaterial before = core.material;
    EXPECT_EQ(performButtonAction(core, ButtonPalette), ButtonFollowUp::OpenPalette);
    EXPECT_EQ(core.material, before);
}
