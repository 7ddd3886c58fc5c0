#pragma once
#include <cstdint>

#include "platform/PointerState.h"
#include "world/CursorSource.h"

class TamoEngineCore;
class Window;

// What the avatar reads from the platform once per update: the keys it
// reacts to, the cursor in screen pixels and the frame time.
struct AvatarInput {
    bool space = false;
    bool tab = false;
    bool leftArrow = false;
    bool upArrow = false;
    bool rightArrow = false;
    bool downArrow = false;
    // Ctrl turns the arrows into commands (the camera does not walk); Shift
    // with the left button draws a selection instead of editing.
    bool control = false;
    bool shift = false;
    bool leftHeld = false;  // the left button is down now
    int32_t cursorScreenX = -1;
    int32_t cursorScreenY = -1;
    float frameTime = 0.0f;  // milliseconds of the previous frame
};

// The user's presence in the world: turns keys, mouse buttons and the cursor
// into camera moves (3D view) or plan scrolling (plan view), and into edits
// of the map and the sprite objects. Every speed is scaled by the frame time.
class TamoEditorUserAvatar : public CursorSource {
public:
    // Virtual-key codes read by the avatar.
    static constexpr int32_t KeySpace = 0x20;
    static constexpr int32_t KeyTab = 0x09;
    static constexpr int32_t KeyLeft = 0x25;
    static constexpr int32_t KeyUp = 0x26;
    static constexpr int32_t KeyRight = 0x27;
    static constexpr int32_t KeyDown = 0x28;

    TamoEditorUserAvatar(Window* window, TamoEngineCore* core);
    virtual ~TamoEditorUserAvatar();
    TamoEditorUserAvatar(const TamoEditorUserAvatar&) = delete;
    TamoEditorUserAvatar& operator=(const TamoEditorUserAvatar&) = delete;

    // The per-frame step: reads the platform's keys, cursor and frame time,
    // then acts on them.
    virtual void update();
    // A copy of the window's mouse fields; changes nothing. The world's
    // cursor operations read the cursor here.
    PointerState getPointerState() const override;
    virtual void edit3D();
    virtual void editPlan();
    virtual void flyWithMouse();
    virtual void walkWithKeys();
    virtual void dragPlan();
    virtual void edgeScrollPlan();
    // Moves the cursor to window pixel (x, y).
    virtual void centreCursor(int32_t x, int32_t y);
    // oldX, oldY get the window's mouse position; the cursor then goes to
    // window pixel (x, y) and the window's mouse fields follow.
    virtual void warpCursor(int32_t* oldX, int32_t* oldY, int32_t x, int32_t y);

    // The per-frame step with the given input instead of the platform's.
    void updateWith(const AvatarInput& input);
    // The platform's current keys, cursor and frame time.
    static AvatarInput readPlatformInput();

    // The cell of the block under the cursor (3D view), the empty cell a
    // left click would place a block into (3D view), or the plan cell under
    // the cursor on the current level (plan view); false when there is none.
    bool blockCellUnderCursor(int32_t cell[3]) const;
    bool placeCellUnderCursor(int32_t cell[3]) const;
    bool planCellUnderCursor(int32_t cell[3]) const;
    // True while a Shift-drag is drawing the selection.
    bool isSelecting() const { return selecting; }

    float getYaw() const { return yaw; }
    float getPitch() const { return pitch; }
    void setYaw(float degrees) { yaw = degrees; }
    void setPitch(float degrees) { pitch = degrees; }
    bool isMouseLookActive() const { return mouseLookActive; }

private:
    // Shift + left button: the press (on a block in the 3D view) anchors the
    // selection, which then spans to the cell under the cursor until the
    // button is released. True while the gesture has the button.
    bool selectWithShift();
    // Ends the history's open action: the next edit starts a new one.
    void closeAction();
    // Rebuilds the camera's direction and up from yaw and pitch.
    void aimCamera();
    // Cursor position relative to the window's client area.
    int32_t cursorClientX() const;
    int32_t cursorClientY() const;

    float yaw = 0.0f;
    float pitch = 0.0f;
    bool mouseLookActive = false;
    bool selecting = false;
    int32_t anchor[3] = {0, 0, 0};
    int32_t lastCursorX = 0;
    int32_t lastCursorY = 0;
    Window* window;
    TamoEngineCore* core;
    AvatarInput input;
};
