#include "engine/TamoEditorUserAvatar.h"

#include "engine/TamoEngineCore.h"
#include "platform/Cursor.h"
#include "platform/FrameTime.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/KeyState.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "world/CellBox.h"
#include "world/Ray.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace {

constexpr float MoveUnitsPerMs = 0.5f;
constexpr float TurnDegreesPerMs = 0.1f;
constexpr float MouseDegreesPerPixel = 0.5f;
constexpr float PlanScrollPerMs = 0.2f;
constexpr float PitchLimit = 90.0f;

}  // namespace

TamoEditorUserAvatar::TamoEditorUserAvatar(Window* window, TamoEngineCore* core)
        : lastCursorX(window->mouseX), lastCursorY(window->mouseY), window(window), core(core) {}

TamoEditorUserAvatar::~TamoEditorUserAvatar() = default;

AvatarInput TamoEditorUserAvatar::readPlatformInput() {
    AvatarInput in;
    in.space = isKeyDown(KeySpace);
    in.tab = isKeyDown(KeyTab);
    in.leftArrow = isKeyDown(KeyLeft);
    in.upArrow = isKeyDown(KeyUp);
    in.rightArrow = isKeyDown(KeyRight);
    in.downArrow = isKeyDown(KeyDown);
    in.control = virtualKeyHeld(VK_CONTROL);
    in.shift = virtualKeyHeld(VK_SHIFT);
    in.leftHeld = virtualKeyHeld(VK_LBUTTON);
    getCursorPos(&in.cursorScreenX, &in.cursorScreenY);
    in.frameTime = static_cast<float>(getFrameTime());
    return in;
}

void TamoEditorUserAvatar::update() {
    updateWith(readPlatformInput());
}

void TamoEditorUserAvatar::updateWith(const AvatarInput& frameInput) {
    input = frameInput;
    GLContext& gl = *core->glContext;
    if (input.space) {
        if (!mouseLookActive)
            centreCursor(gl.width / 2, gl.height / 2);
        hideCursor();
        mouseLookActive = true;
    } else {
        mouseLookActive = false;
        showCursor();
    }
    if (core->view3D)
        edit3D();
    else
        editPlan();
    // An action lasts while a button is held: one click, one press of
    // painting, one stroke, drag or turn. A click's flag is consumed at once.
    if (!window->leftButtonDown && !window->rightButtonDown)
        closeAction();
    lastCursorX = window->mouseX;
    lastCursorY = window->mouseY;
}

PointerState TamoEditorUserAvatar::getPointerState() const {
    return pointerStateOf(*window);
}

void TamoEditorUserAvatar::edit3D() {
    if (input.space) {
        flyWithMouse();
        return;
    }
    walkWithKeys();
    if (input.tab) {
        // The flags stay set: painting and picking repeat while held.
        if (window->leftButtonDown)
            core->map->paintFaceAtCursor();
        if (window->rightButtonDown)
            core->map->pickMaterialAtCursor();
        return;
    }
    if (core->editMode == EditorState::EditBlocks) {
        if (selectWithShift())
            return;
        // One block per press: the press is consumed here.
        if (window->leftButtonDown) {
            core->map->editBlockAtCursor(true);
            window->leftButtonDown = false;
        }
        if (window->rightButtonDown) {
            core->map->editBlockAtCursor(false);
            window->rightButtonDown = false;
        }
        return;
    }
    if (core->editMode != EditorState::EditSprites)
        return;
    TamoSpriteObjectSet& sprites = *core->sprites;
    if (window->leftButtonDown)
        sprites.moveSelectedToCursor();
    else if (window->rightButtonDown)
        sprites.turnSelectedToCursor();
    if (window->rightDoubleClick) {
        closeAction();  // an object added is an action of its own
        sprites.addAtCursor();
        closeAction();
        window->rightDoubleClick = false;
    }
    if (!window->leftButtonDown && !window->rightButtonDown)
        sprites.deselectAll();
}

void TamoEditorUserAvatar::editPlan() {
    if (input.space) {
        dragPlan();
        return;
    }
    edgeScrollPlan();
    if (selectWithShift())
        return;
    // The flags stay set, so a held button paints along the cursor's path.
    if (window->leftButtonDown)
        core->map->editBlockLine(window->mouseX, window->mouseY, lastCursorX, lastCursorY, true);
    if (window->rightButtonDown)
        core->map->editBlockLine(window->mouseX, window->mouseY, lastCursorX, lastCursorY, false);
}

bool TamoEditorUserAvatar::selectWithShift() {
    const bool plan = !core->view3D;
    if (!selecting) {
        if (!input.shift || !window->leftButtonDown)
            return false;
        // The press draws the selection; it edits nothing.
        window->leftButtonDown = false;
        selecting = plan ? planCellUnderCursor(anchor) : blockCellUnderCursor(anchor);
        if (!selecting)
            return true;
    }
    // Off the blocks the box keeps the last cell it reached.
    int32_t cell[3];
    if (plan ? planCellUnderCursor(cell) : blockCellUnderCursor(cell))
        core->selection.setDrag(anchor, cell);
    if (!input.leftHeld)
        selecting = false;
    return true;
}

bool TamoEditorUserAvatar::blockCellUnderCursor(int32_t cell[3]) const {
    Ray ray;
    BlockHit hit;
    const TamoMap& map = *core->map;
    if (!core->view3D || !map.cursorRay(&ray) ||
        !map.pick(ray, TamoMap::CursorRayLength, TamoMap::BlockEditStep, &hit))
        return false;
    CellBox::cellOf(hit.point, core->blockWidth, core->blockHeight, &cell[0], &cell[1], &cell[2]);
    return true;
}

bool TamoEditorUserAvatar::placeCellUnderCursor(int32_t cell[3]) const {
    Vector3 point;
    if (!core->map->placementPointAtCursor(&point))
        return false;
    CellBox::cellOf(point, core->blockWidth, core->blockHeight, &cell[0], &cell[1], &cell[2]);
    return true;
}

bool TamoEditorUserAvatar::planCellUnderCursor(int32_t cell[3]) const {
    if (core->view3D)
        return false;
    core->map->planCellAt(window->mouseX, window->mouseY, &cell[0], &cell[2]);
    cell[1] = core->currentLevel;
    return true;
}

void TamoEditorUserAvatar::closeAction() {
    if (core->history)
        core->history->closeAction();
}

void TamoEditorUserAvatar::aimCamera() {
    GLContext& gl = *core->glContext;
    Vector3 d(1.0f, 0.0f, 0.0f);
    Vector3 u(0.0f, 1.0f, 0.0f);
    rotateYaw(d, u, yaw);
    rotatePitch(d, u, pitch);
    gl.direction = d;
    gl.up = u;
}

void TamoEditorUserAvatar::flyWithMouse() {
    GLContext& gl = *core->glContext;
    const int32_t cx = gl.width / 2;
    const int32_t cy = gl.height / 2;
    int32_t x = cx, y = cy;
    warpCursor(&x, &y, cx, cy);
    yaw += (x - cx) * MouseDegreesPerPixel;
    pitch += (y - cy) * MouseDegreesPerPixel;  // moving the mouse down raises the view
    aimCamera();
    float speed = 0.0f;
    if (window->leftButtonDown)
        speed = input.frameTime * MoveUnitsPerMs;
    if (window->rightButtonDown)
        speed = input.frameTime * -MoveUnitsPerMs;
    gl.eye = gl.eye + gl.direction * speed;
    gl.applyCamera();
}

// The window's own edges count, also when the picture is scaled or has bars
// beside it.
int32_t TamoEditorUserAvatar::cursorClientX() const {
    return window->pictureFit().edgeToPictureX(input.cursorScreenX - window->clientLeft());
}

int32_t TamoEditorUserAvatar::cursorClientY() const {
    return window->pictureFit().edgeToPictureY(input.cursorScreenY - window->clientTop());
}

void TamoEditorUserAvatar::walkWithKeys() {
    GLContext& gl = *core->glContext;
    const float move = input.frameTime * MoveUnitsPerMs;
    const float turn = input.frameTime * TurnDegreesPerMs;
    // The edges are those of the client area, wherever the window stands.
    const int32_t cx = cursorClientX();
    const int32_t cy = cursorClientY();
    if (cx == 0)
        yaw -= turn;
    if (cx == gl.width - 1)
        yaw += turn;
    if (cy == 0)
        pitch += turn;
    if (cy == gl.height - 1)
        pitch -= turn;
    if (pitch < -PitchLimit)
        pitch = -PitchLimit;
    if (pitch > PitchLimit)
        pitch = PitchLimit;
    aimCamera();
    Vector3 flat(gl.direction.x, 0.0f, gl.direction.z);
    const Vector3 forward = normalise(flat);
    Vector3 left = forward;
    rotateAboutY(left, 90.0f);
    if (input.control) {
        gl.applyCamera();
        return;
    }
    if (input.upArrow)
        gl.eye = gl.eye + forward * move;
    if (input.downArrow)
        gl.eye = gl.eye - forward * move;
    if (input.leftArrow)
        gl.eye = gl.eye + left * move;
    if (input.rightArrow)
        gl.eye = gl.eye - left * move;
    gl.applyCamera();
}

void TamoEditorUserAvatar::dragPlan() {
    GLContext& gl = *core->glContext;
    const float k = input.frameTime * PlanScrollPerMs;
    const int32_t cx = gl.width / 2;
    const int32_t cy = gl.height / 2;
    int32_t x = cx, y = cy;
    warpCursor(&x, &y, cx, cy);
    core->planScrollX += (x - cx) * k;
    core->planScrollY += (y - cy) * k;
}

void TamoEditorUserAvatar::edgeScrollPlan() {
    GLContext& gl = *core->glContext;
    const float k = input.frameTime * PlanScrollPerMs;
    const int32_t cx = cursorClientX();
    const int32_t cy = cursorClientY();
    if (cx == 0)
        core->planScrollX -= k;
    if (cx == gl.width - 1)
        core->planScrollX += k;
    if (cy == 0)
        core->planScrollY -= k;
    if (cy == gl.height - 1)
        core->planScrollY += k;
}

void TamoEditorUserAvatar::centreCursor(int32_t x, int32_t y) {
    int32_t oldX = 0, oldY = 0;
    warpCursor(&oldX, &oldY, x, y);
}

void TamoEditorUserAvatar::warpCursor(int32_t* oldX, int32_t* oldY, int32_t x, int32_t y) {
    *oldX = window->mouseX;
    *oldY = window->mouseY;
    const PictureFit fit = window->pictureFit();
    setCursorPos(window->clientLeft() + fit.fromPictureX(x),
                 window->clientTop() + fit.fromPictureY(y));
    window->mouseX = x;
    window->mouseY = y;
}
