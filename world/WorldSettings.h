#pragma once
#include <cstdint>

#include "platform/DynArray.h"
#include "world/FaceMaterial.h"

class BitmapFont;
class GLContext;
class SpriteSheet;

// Average colour of one loaded block texture, used to tint plan-view cells.
struct TextureColour {
    int32_t textureId;
    int32_t red;
    int32_t green;
    int32_t blue;
};

// What the world's objects read from their owner: the shared constants, the
// resources they draw with and the user's editing state. The engine core owns
// the one instance (its fields of the same names refer into it) and hands it
// down; the world reads it live, and changes only the current material.
struct WorldSettings {
    GLContext* glContext = nullptr;
    SpriteSheet* spriteSheet = nullptr;  // the world sprite sheet
    BitmapFont* font = nullptr;
    int32_t planCellSize = 16;  // plan-view pixels per block cell
    int32_t blockWidth = 10;    // world units per block along x and z
    int32_t blockHeight = 15;   // world units per block along y
    int32_t planTileCurrent = 3;
    int32_t planTileOther = 4;
    bool view3D = true;
    // The 3D view draws only the sectors and sprite objects whose bounds meet
    // the view volume; off, it draws them all (the same picture, slower).
    bool cullToView = true;
    FaceMaterial material;  // what new blocks and painted faces receive
    float planScrollX = 0.0f;
    float planScrollY = 0.0f;
    int32_t currentLevel = 0;
    int32_t spriteType = 0;
    int32_t spriteTeam = 0;
    int32_t materialShownAt = 0;  // system tick of the last material change; 0: not shown
    DynArray<TextureColour> textureColours;

    // Colour of the first record of textureId; false, outputs untouched, when
    // there is none.
    bool getTextureColour(int32_t textureId, int32_t& red, int32_t& green, int32_t& blue) const;
    // The current material just changed: show it from now.
    void touchMaterial();
};
