#pragma once
#include <cstdint>
#include <string>

#include "platform/PictureFit.h"
#include "platform/WindowDescription.h"

class NamedHandleTable;
class WindowMenu;

// The event types onEvent(type, a, b) receives.
enum WindowEvent : int32_t {
    EventPushButton = 0,  // a: the control's id
    EventMenuItem = 1,    // a: pop-up index, b: item index
    EventKeyDown = 2,     // a: virtual-key code, b: the KeyModifier bits held
    EventSize = 3,        // a: client width, b: client height
    EventMouse = 4,       // a: one of the mouse codes below
};

enum KeyModifier : int32_t {
    KeyModifierControl = 1,
    KeyModifierShift = 2,
    KeyModifierRepeat = 4,  // not a modifier: the key is held and repeating
};

enum MouseCode : int32_t {
    MouseMove = 0,
    MouseLeftUp = 1,
    MouseLeftDown = 2,
    MouseRightUp = 3,
    MouseRightDown = 4,
    MouseLeftDoubleClick = 5,
    MouseRightDoubleClick = 6,
};

// One OS window. It records the mouse for the editor, turns window messages
// into a few abstract events (onEvent) and lives in the window registry from
// construction to destruction. A close message deletes the object.
//
// The client area is width x height pixels whatever size the OS window has
// (scaled, or full screen on a display that kept a larger mode): the picture
// is shown scaled to fit, and mouse positions arrive in client pixels.
class Window {
public:
    Window(const char* name, int32_t width, int32_t height, bool noBackgroundBrush, bool resizable,
           Window* parent, bool fullScreen, int32_t bitsPerPixel, int32_t scale = 1);
    explicit Window(const WindowDescription& description);
    virtual ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Adds a pop-up menu titled title whose items are the null-terminated
    // array items; item i of pop-up p sends command id 100 * p + i.
    virtual void addMenu(const char* title, const char* const* items);
    virtual bool isActive() const;
    virtual bool isAlive() const;
    // Screen position of the OS window's top-left corner.
    virtual int32_t clientLeft() const;
    virtual int32_t clientTop() const;
    // How the client area shows on the OS window as it is now: maps window
    // pixels (relative to clientLeft, clientTop) to client pixels and back.
    PictureFit pictureFit() const;
    // "WindowHandler" gives the SDL_Window* of this window.
    virtual uintptr_t getHandle(const char* name) const;
    virtual void repaint();
    virtual void moveTo(int32_t x, int32_t y);
    virtual void centre();
    // Draws text at client (x, y) into the picture of the window's current
    // OpenGL context; it shows with the next present.
    virtual void drawText(int32_t x, int32_t y, const char* text, uint8_t red, uint8_t green,
                          uint8_t blue, bool transparent);
    virtual void onEvent(int32_t type, int32_t a, int32_t b);
    // Asked before a close message from the window system deletes the
    // window; false keeps it open. A quit message does not ask.
    virtual bool allowClose() { return true; }
    virtual void onMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    virtual void onFrame();
    virtual void onPaint();
    virtual void handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    WindowMenu* windowMenu() const { return menu; }
    bool isFullScreen() const { return fullScreen; }
    // The SDL window id (0 when the OS window could not be opened).
    uint32_t windowId() const;
    // SDL's reason when the OS window could not be opened because the
    // display offers no OpenGL; empty otherwise.
    const std::string& openGLFailure() const { return noOpenGL; }
    // A number no other window of this process has had; posted messages
    // carry it so that they never reach a window created after this one died.
    uint32_t serial() const { return serialNumber; }
    // Queues message for this window; it is handled when the loop dispatches it.
    void postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // Mouse state in client pixels. Consumers clear leftButtonDown and
    // rightButtonDown themselves to mark a press as used.
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t previousMouseX = 0;
    int32_t previousMouseY = 0;
    bool leftButtonDown = false;
    bool rightButtonDown = false;
    bool leftDoubleClick = false;
    bool rightDoubleClick = false;

protected:
    WindowMenu* menu = nullptr;
    NamedHandleTable* handles = nullptr;
    bool active = false;
    bool alive = false;
    bool fullScreen = false;

private:
    uint32_t serialNumber = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    std::string noOpenGL;

    void open(const char* name, int32_t width, int32_t height, bool resizable, const Window* parent,
              int32_t bitsPerPixel);
    void recordMouse(uint32_t message, intptr_t lParam);
    void deliverControlCommand(uintptr_t control, int32_t id);
};

// Hands a message to the Window whose SDL window has id windowId, if that
// window still exists; messages for a destroyed window get no handling.
void dispatchWindowMessage(uint32_t windowId, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Hands a message posted with postMessage to its window, if it still exists.
void dispatchPostedMessage(uint32_t windowSerial, uint32_t message, uintptr_t wParam,
                           intptr_t lParam);
// The Window whose SDL window has id windowId, or null.
Window* windowFromId(uint32_t windowId);
// True while window has been constructed and not yet destroyed.
bool isLiveWindow(const Window* window);
