#include "app/ButtonActions.h"

#include <gtest/gtest.h>

#include "app/InterfaceButtons.h"
#include "engine/TamoEngineCore.h"

namespace {

// The actions below touch only the core's state, never its GL context,
// sheet or font.
class ButtonActionsTest : public ::testing::Test {
protected:
    ButtonActionsTest() : core(nullptr, nullptr, nullptr, 100, 3, 4) { core.textureCount = 12; }
    TamoEngineCore core;
};

}  // namespace

TEST_F(ButtonActionsTest, WindowLevelButtonsAreHandedBack) {
    EXPECT_EQ(performButtonAction(core, ButtonQuit), ButtonFollowUp::Quit);
    EXPECT_EQ(performButtonAction(core, ButtonSave), ButtonFollowUp::SaveMapFile);
    EXPECT_EQ(performButtonAction(core, ButtonLoad), ButtonFollowUp::LoadMapFile);
    EXPECT_EQ(performButtonAction(core, 0), ButtonFollowUp::None);
    EXPECT_EQ(performButtonAction(core, 27), ButtonFollowUp::None);
    EXPECT_EQ(core.material, (FaceMaterial{100, 0, 0, 0, 1, 1}));
}

TEST_F(ButtonActionsTest, ModeButtonsToggle) {
    EXPECT_EQ(performButtonAction(core, ButtonEditMode), ButtonFollowUp::None);
    EXPECT_EQ(core.editMode, 1);
    performButtonAction(core, ButtonView);
    EXPECT_FALSE(core.view3D);
    performButtonAction(core, ButtonEditMode);
    performButtonAction(core, ButtonView);
    EXPECT_EQ(core.editMode, 0);
    EXPECT_TRUE(core.view3D);
}

TEST_F(ButtonActionsTest, MaterialButtonsChangeTheirOwnValue) {
    performButtonAction(core, ButtonTexturePrevious);
    EXPECT_EQ(core.material.texture, 111);
    performButtonAction(core, ButtonTextureNext);
    EXPECT_EQ(core.material.texture, 100);
    performButtonAction(core, ButtonScaleUUp);
    EXPECT_EQ(core.material.scaleU, 2);
    EXPECT_EQ(core.material.scaleV, 1);
    performButtonAction(core, ButtonScaleVUp);
    performButtonAction(core, ButtonScaleVUp);
    performButtonAction(core, ButtonScaleVDown);
    EXPECT_EQ(core.material.scaleV, 2);
    performButtonAction(core, ButtonScaleUDown);
    performButtonAction(core, ButtonScaleUDown);
    EXPECT_EQ(core.material.scaleU, 1);
    performButtonAction(core, ButtonOffsetUDown);
    EXPECT_EQ(core.material.offsetU, -1);
    performButtonAction(core, ButtonOffsetUUp);
    performButtonAction(core, ButtonOffsetUUp);
    EXPECT_EQ(core.material.offsetU, 1);
    performButtonAction(core, ButtonOffsetVUp);
    EXPECT_EQ(core.material.offsetV, 1);
    performButtonAction(core, ButtonOffsetVDown);
    performButtonAction(core, ButtonOffsetVDown);
    EXPECT_EQ(core.material.offsetV, -1);
    performButtonAction(core, ButtonRotate);
    EXPECT_EQ(core.material.rotation, 1);
}

TEST_F(ButtonActionsTest, PresetsSetTheWholeMaterialWithoutTimeStamp) {
    core.material = FaceMaterial{105, 3, -2, 3, 4, 5};
    for (int32_t id = ButtonFirstPreset; id <= ButtonLastPreset; ++id) {
        core.material.offsetU = 7;
        core.material.rotation = 2;
        performButtonAction(core, id);
        EXPECT_EQ(core.material, (FaceMaterial{id + 84, 0, 0, 0, 1, 1})) << "button " << id;
    }
    EXPECT_EQ(core.materialShownAt, 0);
}

TEST_F(ButtonActionsTest, LevelButtonsStepTheLevelWithoutBounds) {
    core.currentLevel = 0;
    performButtonAction(core, ButtonLevelDown);
    performButtonAction(core, ButtonLevelDown);
    EXPECT_EQ(core.currentLevel, -2);
    performButtonAction(core, ButtonLevelUp);
    EXPECT_EQ(core.currentLevel, -1);
}
