#include "app/InterfaceButtons.h"

void InterfaceButtons::fill(int32_t width, int32_t height) {
    // The layout lists the buttons in id order, which keeps each list in id order.
    for (const ButtonLayout& button : Buttons) {
        const ScreenRect r = button.onScreen(width, height);
        addRegion(listFor(button.panel), button.id, r.left, r.top, r.right, r.bottom);
    }
    const ScreenRect r = PaletteButton.onScreen(width, height);
    addRegion(blockPictures, PaletteButton.id, r.left, r.top, r.right, r.bottom);
}

ButtonRegionList& InterfaceButtons::listFor(InterfacePanel panel) {
    switch (panel) {
    case PanelBlock:
        return blockEditing;
    case PanelSprite:
        return spriteEditing;
    case PanelLevel:
        return planView;
    default:
        return always;
    }
}

void InterfaceButtons::clear() {
    clearRegions(spriteEditing);
    clearRegions(planView);
    clearRegions(blockPictures);
    clearRegions(blockEditing);
    clearRegions(always);
}

int32_t InterfaceButtons::hit(int32_t x, int32_t y, int32_t editMode, bool view3D) const {
    int32_t id = hitRegion(always, x, y);
    if (id == 0) {
        if (editMode == 0)
            id = hitRegion(blockEditing, x, y);
        if (id == 0 && editMode == 0)
            id = hitRegion(blockPictures, x, y);
        else if (editMode == 1)
            id = hitRegion(spriteEditing, x, y);
    }
    if (id == 0 && !view3D)
        id = hitRegion(planView, x, y);
    return id;
}

int32_t InterfaceButtons::takeClick(bool& leftButtonDown, bool& leftDoubleClick, int32_t x,
                                    int32_t y, int32_t editMode, bool view3D) const {
    if (!leftButtonDown && !leftDoubleClick)
        return 0;
    const int32_t id = hit(x, y, editMode, view3D);
    if (id == 0)
        return 0;
    leftButtonDown = false;
    leftDoubleClick = false;
    return id;
}
