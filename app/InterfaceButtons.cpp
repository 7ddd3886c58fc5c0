#include "app/InterfaceButtons.h"

void InterfaceButtons::fill(int32_t W, int32_t H) {
    addRegion(always, ButtonQuit, 8, 2, 37, 27);
    addRegion(always, ButtonSave, 45, 1, 81, 28);
    addRegion(always, ButtonLoad, 87, 0, 125, 27);
    addRegion(always, ButtonEditMode, W - 76, 1, W - 41, 27);
    addRegion(always, ButtonView, W - 40, 1, W - 1, 27);

    addRegion(blockEditing, ButtonTextureNext, W - 124, H - 126, W - 107, H - 108);
    addRegion(blockEditing, ButtonTexturePrevious, W - 19, H - 125, W - 4, H - 112);
    addRegion(blockEditing, ButtonScaleUUp, W - 38, H - 124, W - 26, H - 113);
    addRegion(blockEditing, ButtonScaleUDown, W - 102, H - 123, W - 90, H - 113);
    addRegion(blockEditing, ButtonScaleVUp, W - 122, H - 104, W - 110, H - 92);
    addRegion(blockEditing, ButtonScaleVDown, W - 123, H - 39, W - 109, H - 25);
    addRegion(blockEditing, ButtonOffsetUDown, W - 106, H - 17, W - 93, H - 6);
    addRegion(blockEditing, ButtonOffsetUUp, W - 35, H - 19, W - 23, H - 6);
    addRegion(blockEditing, ButtonOffsetVDown, W - 16, H - 36, W - 4, H - 23);
    addRegion(blockEditing, ButtonOffsetVUp, W - 18, H - 106, W - 5, H - 93);
    addRegion(blockEditing, ButtonRotate, W - 176, H - 119, W - 130, H - 84);
    addRegion(blockEditing, 17, W - 170, H - 74, W - 151, H - 56);
    addRegion(blockEditing, 18, W - 149, H - 74, W - 130, H - 56);
    addRegion(blockEditing, 19, W - 170, H - 53, W - 152, H - 35);
    addRegion(blockEditing, 20, W - 149, H - 53, W - 130, H - 35);
    addRegion(blockEditing, 21, W - 170, H - 31, W - 152, H - 14);
    addRegion(blockEditing, 22, W - 150, H - 31, W - 129, H - 14);

    addRegion(planView, ButtonLevelUp, 2, H - 76, 36, H - 42);
    addRegion(planView, ButtonLevelDown, 2, H - 39, 36, H - 3);

    addRegion(spriteEditing, ButtonSpriteTypeNext, W - 118, H - 89, W - 89, H - 67);
    addRegion(spriteEditing, ButtonSpriteTypePrevious, W - 118, H - 64, W - 89, H - 40);
}

void InterfaceButtons::clear() {
    clearRegions(spriteEditing);
    clearRegions(planView);
    clearRegions(blockEditing);
    clearRegions(always);
}

int32_t InterfaceButtons::hit(int32_t x, int32_t y, int32_t editMode, bool view3D) const {
    int32_t id = hitRegion(always, x, y);
    if (id == 0) {
        if (editMode == 0)
            id = hitRegion(blockEditing, x, y);
        else if (editMode == 1)
            id = hitRegion(spriteEditing, x, y);
    }
    if (id == 0 && !view3D)
        id = hitRegion(planView, x, y);
    return id;
}

int32_t InterfaceButtons::takeClick(bool& leftButtonDown, int32_t x, int32_t y, int32_t editMode,
                                    bool view3D) const {
    if (!leftButtonDown)
        return 0;
    const int32_t id = hit(x, y, editMode, view3D);
    if (id == 0)
        return 0;
    leftButtonDown = false;
    return id;
}
