#pragma once
#include <cstdint>

#include "platform/DynArray.h"

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

// The world's own values: its constants, the resources it draws with and the
// plan view's tiles and colours. The world's host owns the one instance and
// hands it down; the world only reads it.
struct WorldSettings {
    GLContext* glContext = nullptr;
    SpriteSheet* spriteSheet = nullptr;  // the world sprite sheet
    BitmapFont* font = nullptr;
    int32_t planCellSize = 16;  // plan-view pixels per block cell
    int32_t blockWidth = 10;    // world units per block along x and z
    int32_t blockHeight = 15;   // world units per block along y
    int32_t planTileCurrent = 3;
    int32_t planTileOther = 4;
    // The 3D view draws only the sectors and sprite objects whose bounds meet
    // the view volume; off, it draws them all (the same picture, slower).
    bool cullToView = true;
    DynArray<TextureColour> textureColours;

    // Colour of the first record of textureId; false, outputs untouched, when
    // there is none.
    bool getTextureColour(int32_t textureId, int32_t& red, int32_t& green, int32_t& blue) const;
    // Gives the first record of colour.textureId its colour, or appends one;
    // false when the table could not grow.
    bool setTextureColour(const TextureColour& colour);
};
