#pragma once
#include <cstdint>
#include <vector>

#include "engine/Selection.h"
#include "world/EditChoices.h"
#include "world/FaceMaterial.h"

// The editor's state, its one owner: what the world is looked at and edited
// with (EditChoices: view, material, plan scroll and level, sprite type and
// team), the edit mode, the loaded textures the material steps through, when
// the material and the mode last changed (for the head-up display) and the
// selection. The operations are the state's own changes; the panel buttons,
// the keys and the engine core's operations of the same names come here.
class EditorState : public EditChoices {
public:
    static constexpr int32_t EditBlocks = 0;
    static constexpr int32_t EditSprites = 1;

    // The material starts as texture firstTextureId, offsets 0, rotation 0,
    // scales 1.
    explicit EditorState(int32_t firstTextureId);

    void toggleView();
    // Blocks and sprite objects in turn; shows the mode's name from now.
    void toggleEditMode();
    // The current material just changed: show it from now.
    void touchMaterial();
    // A material picked up from a face becomes the current one, shown.
    void takeMaterial(const FaceMaterial& picked);
    void levelUp();
    void levelDown();
    // Steps the texture through the loaded ones (the raw files' and the
    // pictures'), wrapping at both ends.
    void stepTexture(int32_t delta);
    void rotateMaterial();
    // Adds delta to scale u (alongU) or v as a signed byte; below 1 gives 1.
    // A negative (mirrored) scale stays negative: its size changes so, -3
    // and delta 1 give -4, -1 and delta -1 stay -1.
    void changeScale(int32_t delta, bool alongU);
    void changeOffset(int32_t delta, bool alongU);
    // Steps the sprite type through groups types, wrapping.
    void stepSpriteType(int32_t delta, int32_t groups);

    int32_t firstTextureId;
    int32_t editMode = EditBlocks;
    int32_t textureCount = 0;
    // The ids of the textures made of picture files, ascending.
    std::vector<int32_t> pictureTextureIds;
    int32_t materialShownAt = 0;  // system tick of the last material change; 0: not shown
    int32_t modeShownAt = 0;      // likewise of the edit mode
    // The box the region operations work on; set by the avatar's Shift-drag.
    Selection selection;
};
