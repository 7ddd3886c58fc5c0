#pragma once
#include <cstdint>

#include "app/ButtonRegionList.h"
#include "media/InterfaceLayout.h"

// The main window's region lists: always consulted (the file and mode
// panels), block editing (edit mode 0: the panel's buttons, then the
// material preview, which opens the texture palette), sprite editing (edit
// mode 1) and the plan view's level panel. The rectangles come from the
// interface layout.
class InterfaceButtons {
public:
    // Lays the panels' regions out for a screen of width x height; done once.
    void fill(int32_t width, int32_t height);
    // Empties the lists, sprite-editing list first and the always list last.
    void clear();

    // The button under (x, y) among the lists that the modes offer, or 0.
    int32_t hit(int32_t x, int32_t y, int32_t editMode, bool view3D) const;

    // Answers a pending left press or double click (the second click of a
    // quick pair is a press on a button too): when it lies on an offered
    // button, clears both flags and returns the id (the caller plays the click
    // and acts). Otherwise returns 0 and leaves them pending for the avatar.
    int32_t takeClick(bool& leftButtonDown, bool& leftDoubleClick, int32_t x, int32_t y,
                      int32_t editMode, bool view3D) const;

    const ButtonRegionList& alwaysList() const { return always; }
    const ButtonRegionList& blockList() const { return blockEditing; }
    const ButtonRegionList& blockPictureList() const { return blockPictures; }
    const ButtonRegionList& planList() const { return planView; }
    const ButtonRegionList& spriteList() const { return spriteEditing; }

private:
    ButtonRegionList& listFor(InterfacePanel panel);

    ButtonRegionList always;
    ButtonRegionList blockEditing;
    ButtonRegionList blockPictures;
    ButtonRegionList planView;
    ButtonRegionList spriteEditing;
};
