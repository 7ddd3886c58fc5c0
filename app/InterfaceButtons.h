#pragma once
#include <cstdint>

#include "app/ButtonRegionList.h"

// Ids of the panel buttons; the number is also the region id.
enum ButtonId : int32_t {
    ButtonNone = 0,
    ButtonQuit = 1,
    ButtonSave = 2,
    ButtonLoad = 3,
    ButtonEditMode = 4,
    ButtonView = 5,
    ButtonTextureNext = 6,
    ButtonTexturePrevious = 7,
    ButtonScaleUUp = 8,
    ButtonScaleUDown = 9,
    ButtonScaleVUp = 10,
    ButtonScaleVDown = 11,
    ButtonOffsetUDown = 12,
    ButtonOffsetUUp = 13,
    ButtonOffsetVDown = 14,
    ButtonOffsetVUp = 15,
    ButtonRotate = 16,
    ButtonFirstPreset = 17,
    ButtonLastPreset = 22,
    ButtonLevelUp = 23,
    ButtonLevelDown = 24,
    ButtonSpriteTypeNext = 25,
    ButtonSpriteTypePrevious = 26,
};

// The main window's four region lists: always consulted, block editing
// (edit mode 0), sprite editing (edit mode 1) and the plan view's level panel.
class InterfaceButtons {
public:
    // Lays the panels' regions out for a screen of width x height; done once.
    void fill(int32_t width, int32_t height);
    // Empties the lists, sprite-editing list first and the always list last.
    void clear();

    // The button under (x, y) among the lists that the modes offer, or 0.
    int32_t hit(int32_t x, int32_t y, int32_t editMode, bool view3D) const;

    // Answers a pending left press: when it lies on an offered button, clears
    // leftButtonDown and returns the id (the caller plays the click and acts).
    // Otherwise returns 0 and leaves the press pending for the avatar.
    int32_t takeClick(bool& leftButtonDown, int32_t x, int32_t y, int32_t editMode,
                      bool view3D) const;

    const ButtonRegionList& alwaysList() const { return always; }
    const ButtonRegionList& blockList() const { return blockEditing; }
    const ButtonRegionList& planList() const { return planView; }
    const ButtonRegionList& spriteList() const { return spriteEditing; }

private:
    ButtonRegionList always;
    ButtonRegionList blockEditing;
    ButtonRegionList planView;
    ButtonRegionList spriteEditing;
};
