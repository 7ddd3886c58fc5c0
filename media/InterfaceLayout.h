#pragma once
#include <cstdint>

// Where the interface panels, their buttons and the pictures drawn over them
// lie on the screen. The main window draws and hit-tests from this table and
// the media generator paints the panel pictures from it, so a button's
// picture and its clickable rectangle cannot drift apart.

// A panel is frame 0 of the interface-sheet group of the same number.
enum InterfacePanel : int32_t {
    PanelFile = 0,    // quit, save, load
    PanelMode = 1,    // edit mode and view toggles
    PanelBlock = 2,   // block material, shown in edit mode 0
    PanelSprite = 3,  // sprite type, shown in edit mode 1
    PanelLevel = 4,   // level up and down, shown in the plan view
    InterfacePanelCount = 5,
};

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
    // The presets set the material to one of the six facades, textures 101 to 106.
    ButtonPreset1 = 17,
    ButtonPreset2 = 18,
    ButtonPreset3 = 19,
    ButtonPreset4 = 20,
    ButtonPreset5 = 21,
    ButtonPreset6 = 22,
    ButtonFirstPreset = ButtonPreset1,
    ButtonLastPreset = ButtonPreset6,
    ButtonLevelUp = 23,
    ButtonLevelDown = 24,
    ButtonSpriteTypeNext = 25,
    ButtonSpriteTypePrevious = 26,
    ButtonCount = 26,
    // The material preview on the block panel opens the texture palette.
    // It is no button of the panel's picture, so it is not in Buttons.
    ButtonPalette = 30,
};

struct ScreenPoint {
    int32_t x, y;
};

// Bounds inclusive on all four sides; y grows downwards.
struct ScreenRect {
    int32_t left, top, right, bottom;

    constexpr ScreenRect movedBy(int32_t dx, int32_t dy) const {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    constexpr ScreenRect grownBy(int32_t margin) const {
        return {left - margin, top - margin, right + margin, bottom + margin};
    }
};

// A panel lies flush with the screen edges it is anchored to, so its corner
// follows the screen size.
struct PanelLayout {
    bool alongRight;   // flush with the right edge, else with the left
    bool alongBottom;  // flush with the bottom edge, else with the top
    int32_t width, height;

    constexpr ScreenPoint corner(int32_t screenWidth, int32_t screenHeight) const {
        return {alongRight ? screenWidth - width : 0, alongBottom ? screenHeight - height : 0};
    }
};

constexpr PanelLayout Panels[InterfacePanelCount] = {
    {false, false, 132, 30},  // file: (0, 0)
    {true, false, 80, 30},    // mode: (W - 80, 0)
    {true, true, 181, 130},   // block: (W - 181, H - 130)
    {true, true, 139, 130},   // sprite: (W - 139, H - 130)
    {false, true, 40, 80},    // level: (0, H - 80)
};

// A button's clickable rectangle on its panel. Its x bounds count from the
// screen edge its panel is flush with, and so do its y bounds: on a panel at
// the right edge, left -124 stands for W - 124.
struct ButtonLayout {
    ButtonId id;
    InterfacePanel panel;
    ScreenRect bounds;

    constexpr ScreenRect onScreen(int32_t screenWidth, int32_t screenHeight) const {
        const PanelLayout& p = Panels[panel];
        return bounds.movedBy(p.alongRight ? screenWidth : 0, p.alongBottom ? screenHeight : 0);
    }
    // In the coordinates of the panel picture (its top-left pixel is 0, 0).
    constexpr ScreenRect onPanel() const {
        const PanelLayout& p = Panels[panel];
        return bounds.movedBy(p.alongRight ? p.width : 0, p.alongBottom ? p.height : 0);
    }
};

// In id order.
constexpr ButtonLayout Buttons[ButtonCount] = {
    {ButtonQuit, PanelFile, {8, 2, 37, 27}},
    {ButtonSave, PanelFile, {45, 1, 81, 28}},
    {ButtonLoad, PanelFile, {87, 0, 125, 27}},
    {ButtonEditMode, PanelMode, {-76, 1, -41, 27}},
    {ButtonView, PanelMode, {-40, 1, -1, 27}},
    {ButtonTextureNext, PanelBlock, {-124, -126, -107, -108}},
    {ButtonTexturePrevious, PanelBlock, {-19, -125, -4, -112}},
    {ButtonScaleUUp, PanelBlock, {-38, -124, -26, -113}},
    {ButtonScaleUDown, PanelBlock, {-102, -123, -90, -113}},
    {ButtonScaleVUp, PanelBlock, {-122, -104, -110, -92}},
    {ButtonScaleVDown, PanelBlock, {-123, -39, -109, -25}},
    {ButtonOffsetUDown, PanelBlock, {-106, -17, -93, -6}},
    {ButtonOffsetUUp, PanelBlock, {-35, -19, -23, -6}},
    {ButtonOffsetVDown, PanelBlock, {-16, -36, -4, -23}},
    {ButtonOffsetVUp, PanelBlock, {-18, -106, -5, -93}},
    {ButtonRotate, PanelBlock, {-176, -119, -130, -84}},
    {ButtonPreset1, PanelBlock, {-170, -74, -151, -56}},
    {ButtonPreset2, PanelBlock, {-149, -74, -130, -56}},
    {ButtonPreset3, PanelBlock, {-170, -53, -152, -35}},
    {ButtonPreset4, PanelBlock, {-149, -53, -130, -35}},
    {ButtonPreset5, PanelBlock, {-170, -31, -152, -14}},
    {ButtonPreset6, PanelBlock, {-150, -31, -129, -14}},
    {ButtonLevelUp, PanelLevel, {2, -76, 36, -42}},
    {ButtonLevelDown, PanelLevel, {2, -39, 36, -3}},
    {ButtonSpriteTypeNext, PanelSprite, {-118, -89, -89, -67}},
    {ButtonSpriteTypePrevious, PanelSprite, {-118, -64, -89, -40}},
};

constexpr bool buttonsInIdOrder() {
    for (int32_t i = 0; i < ButtonCount; ++i)
        if (Buttons[i].id != i + 1)
            return false;
    return true;
}
static_assert(buttonsInIdOrder(), "buttonLayout finds a button by its id");

constexpr const ButtonLayout& buttonLayout(ButtonId id) {
    return Buttons[id - 1];
}

// What the main window draws over the block and sprite panels, in panel
// coordinates: the current material's texture stretched over the material
// preview, frame 0 of the current sprite type over the sprite preview, and
// the material's five numbers centred on their spots.
constexpr ScreenRect MaterialPreview = {78, 25, 156, 104};  // on PanelBlock
constexpr ScreenRect SpritePreview = {59, 34, 122, 100};    // on PanelSprite
// A click on the material preview opens the texture palette.
constexpr ButtonLayout PaletteButton = {
    ButtonPalette, PanelBlock,
    MaterialPreview.movedBy(-Panels[PanelBlock].width, -Panels[PanelBlock].height)};

// The frame statistics (F3): four lines of half-size text in the bottom-left
// corner, right of the level panel (the only panel there, in the plan view).
constexpr PanelLayout StatisticsArea = {false, true, 180, 40};
constexpr ScreenPoint StatisticsText = {Panels[PanelLevel].width + 4, 3};  // in the area
constexpr float StatisticsTextScale = 0.5f;
constexpr ScreenPoint RotationNumberSpot = {27, 27};  // inside ButtonRotate
constexpr ScreenPoint ScaleUNumberSpot = {115, 12};
constexpr ScreenPoint ScaleVNumberSpot = {65, 63};
constexpr ScreenPoint OffsetUNumberSpot = {118, 118};
constexpr ScreenPoint OffsetVNumberSpot = {170, 64};
