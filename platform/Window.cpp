#include "platform/Window.h"

#include <SDL.h>

#include <cstdio>
#include <unordered_map>

#include "platform/ButtonGroup.h"
#include "platform/DisplayMode.h"
#include "platform/DrawableSize.h"
#include "platform/MessagePump.h"
#include "platform/NamedHandleTable.h"
#include "platform/PlatformInit.h"
#include "platform/WindowMenu.h"
#include "platform/WindowMessages.h"
#include "platform/WindowRegistry.h"
#include "platform/WindowText.h"
#include "platform/XErrorTrap.h"

namespace {

// The window's user-data slot: the SDL window points back at its Window.
const char* const WindowDataKey = "TamoWindow";

uint32_t nextSerial = 1;

// Live windows by serial, so that posted messages and callbacks that may have
// deleted their window can tell whether it still exists.
std::unordered_map<uint32_t, Window*>& liveWindows() {
    static std::unordered_map<uint32_t, Window*> windows;
    return windows;
}

SDL_Window* sdlWindowOf(const Window* window) {
    return reinterpret_cast<SDL_Window*>(window->getHandle("WindowHandler"));
}

void requestContextAttributes(bool withAlpha) {
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, withAlpha ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // The drawing needs OpenGL 1.1 (vertex buffers only where 1.5 is offered),
    // so any driver that offers 1.1 must do: asking for a 2.1 compatibility
    // context fails on one that offers only 1.4, as an indirect display does.
    // Version 1.1 without a profile makes SDL ask the classic way, which
    // gives the highest version the driver has.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

int32_t mouseCode(uint32_t message) {
    switch (message) {
    case MsgMouseMove:
        return MouseMove;
    case MsgLeftButtonUp:
        return MouseLeftUp;
    case MsgLeftButtonDown:
        return MouseLeftDown;
    case MsgRightButtonUp:
        return MouseRightUp;
    case MsgRightButtonDown:
        return MouseRightDown;
    case MsgLeftDoubleClick:
        return MouseLeftDoubleClick;
    case MsgRightDoubleClick:
        return MouseRightDoubleClick;
    default:
        return -1;
    }
}

}  // namespace

Window::Window(const char* name, int32_t width, int32_t height, bool /*noBackgroundBrush*/,
               bool resizable, Window* parent, bool fullScreen_, int32_t bitsPerPixel,
               int32_t scale)
        : fullScreen(fullScreen_), serialNumber(nextSerial++), clientWidth(width),
          clientHeight(height) {
    liveWindows()[serialNumber] = this;
    // Full screen takes the display's size; the picture is fitted to it.
    const int32_t factor = fullScreen || scale < 1 ? 1 : scale;
    open(name, width * factor, height * factor, resizable, parent, bitsPerPixel);
}

Window::Window(const WindowDescription& d)
        : Window(d.title, d.width, d.height, d.noBackgroundBrush, d.resizable, d.parent,
                 d.fullScreen, d.bitsPerPixel, d.scale) {}

void Window::open(const char* name, int32_t width, int32_t height, bool resizable,
                  const Window* parent, int32_t bitsPerPixel) {
    handles = new NamedHandleTable(1);
    SDL_Window* window = nullptr;
    if (initPlatform()) {
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        if (resizable && !fullScreen)
            flags |= SDL_WINDOW_RESIZABLE;
        const char* title = name ? name : "";
        const int x = fullScreen ? 0 : SDL_WINDOWPOS_CENTERED;
        const int y = fullScreen ? 0 : SDL_WINDOWPOS_CENTERED;
        XErrorTrap trap;
        requestContextAttributes(true);
        window = SDL_CreateWindow(title, x, y, width, height, flags);
        if (!window) {
            // Some X visuals have no alpha channel; the picture needs none.
            requestContextAttributes(false);
            window = SDL_CreateWindow(title, x, y, width, height, flags);
        }
        // A display that offers no OpenGL at all (no GLX, a driver that does
        // not load) refuses every OpenGL window: SDL's reason says why.
        if (!window && SDL_GL_LoadLibrary(nullptr) != 0)
            noOpenGL = SDL_GetError();
        else if (!window)
            SDL_GL_UnloadLibrary();
    }
    handles->set(0, reinterpret_cast<uintptr_t>(window), "WindowHandler");
    if (!window) {
        // Nothing to show: the loop deletes the object, and with it the
        // program's last window, instead of running without a window forever.
        // Without OpenGL the owner says so where the person looks.
        if (noOpenGL.empty())
            std::fprintf(stderr, "Cannot open the window \"%s\": %s\n", name ? name : "",
                         SDL_GetError());
        registerWindow(this);
        postMessage(MsgClose, 0, 0);
        return;
    }
    SDL_SetWindowData(window, WindowDataKey, this);
    // An owned window stays above its owner (transient for it).
    if (SDL_Window* owner = parent ? sdlWindowOf(parent) : nullptr)
        SDL_SetWindowModalFor(window, owner);
    if (fullScreen) {
        changeDisplayMode(clientWidth, clientHeight, bitsPerPixel);
        bindDisplayModeWindow(window);
    }
    SDL_ShowWindow(window);
    alive = true;
    active = true;
    registerWindow(this);
}

Window::~Window() {
    unregisterWindow(this);
    liveWindows().erase(serialNumber);
    SDL_Window* window = sdlWindowOf(this);
    if (window)
        SDL_SetWindowData(window, WindowDataKey, nullptr);
    delete handles;
    handles = nullptr;
    delete menu;
    menu = nullptr;
    if (fullScreen)
        restoreDisplayMode();
    if (window) {
        forgetDisplayModeWindow(window);
        SDL_DestroyWindow(window);
    }
}

void Window::addMenu(const char* title, const char* const* items) {
    if (!menu)
        menu = new WindowMenu(this);
    menu->addPopup(title, items);
}

bool Window::isActive() const {
    return alive && active;
}

bool Window::isAlive() const {
    return alive;
}

int32_t Window::clientLeft() const {
    int x = 0;
    if (SDL_Window* window = sdlWindowOf(this))
        SDL_GetWindowPosition(window, &x, nullptr);
    return x;
}

int32_t Window::clientTop() const {
    int y = 0;
    if (SDL_Window* window = sdlWindowOf(this))
        SDL_GetWindowPosition(window, nullptr, &y);
    return y;
}

PictureFit Window::pictureFit() const {
    int32_t w = clientWidth;
    int32_t h = clientHeight;
    if (SDL_Window* window = sdlWindowOf(this))
        windowSize(window, &w, &h);
    return PictureFit(clientWidth, clientHeight, w, h);
}

uintptr_t Window::getHandle(const char* name) const {
    return handles ? handles->find(name) : 0;
}

uint32_t Window::windowId() const {
    SDL_Window* window = sdlWindowOf(this);
    return window ? SDL_GetWindowID(window) : 0;
}

void Window::postMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    postWindowMessage(serialNumber, message, wParam, lParam);
}

void Window::repaint() {
    postMessage(MsgPaint, 0, 0);
}

void Window::moveTo(int32_t x, int32_t y) {
    SDL_Window* window = sdlWindowOf(this);
    if (window && !fullScreen)
        SDL_SetWindowPosition(window, x, y);
}

void Window::centre() {
    if (SDL_Window* window = sdlWindowOf(this))
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    repaint();
}

void Window::drawText(int32_t x, int32_t y, const char* text, uint8_t red, uint8_t green,
                      uint8_t blue, bool transparent) {
    drawWindowText(sdlWindowOf(this), x, y, text, red, green, blue, transparent);
}

void Window::onEvent(int32_t, int32_t, int32_t) {}

void Window::onMessage(uint32_t, uintptr_t, intptr_t) {}

void Window::onFrame() {}

void Window::onPaint() {}

void Window::recordMouse(uint32_t message, intptr_t lParam) {
    switch (message) {
    case MsgMouseMove:
        previousMouseX = mouseX;
        previousMouseY = mouseY;
        mouseX = messageParamLow(lParam);
        mouseY = messageParamHigh(lParam);
        break;
    case MsgLeftButtonDown:
        leftButtonDown = true;
        break;
    case MsgLeftButtonUp:
        leftButtonDown = false;
        leftDoubleClick = false;
        break;
    case MsgLeftDoubleClick:
        leftDoubleClick = true;
        break;
    case MsgRightButtonDown:
        rightButtonDown = true;
        break;
    case MsgRightButtonUp:
        rightButtonDown = false;
        rightDoubleClick = false;
        break;
    case MsgRightDoubleClick:
        rightDoubleClick = true;
        break;
    default:
        break;
    }
}

void Window::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    // Any callback below may delete this window; nothing touches it afterwards.
    const uint32_t self = serialNumber;
    auto gone = [self]() { return liveWindows().count(self) == 0; };

    switch (message) {
    case MsgCommand: {
        const int32_t id = static_cast<int32_t>(wParam & 0xFFFF);
        const uintptr_t high = (wParam >> 16) & 0xFFFF;
        if (lParam == 0 && high == 0)
            onEvent(EventMenuItem, id / 100, id % 100);
        else if (lParam != 0)
            deliverControlCommand(static_cast<uintptr_t>(lParam), id);
        break;
    }
    case MsgClose:
        if (!allowClose() || gone())
            return;
        [[fallthrough]];
    case MsgDestroy:
    case MsgQuit:
        active = false;
        delete this;
        return;
    case MsgSize:
        if (isAlive())
            onEvent(EventSize, messageParamLow(lParam), messageParamHigh(lParam));
        break;
    case MsgPaint:
        if (isAlive())
            onPaint();
        break;
    case MsgActivateApp:
        active = wParam != 0;
        break;
    case MsgKeyDown:
        if (isAlive())
            onEvent(EventKeyDown, static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
        break;
    default:
        recordMouse(message, lParam);
        break;
    }
    if (gone())
        return;
    const int32_t code = mouseCode(message);
    if (code >= 0 && isActive()) {
        onEvent(EventMouse, code, 0);
        if (gone())
            return;
    }
    onMessage(message, wParam, lParam);
}

void Window::deliverControlCommand(uintptr_t control, int32_t id) {
    const ButtonGroup* group = ButtonGroup::fromControl(control);
    if (group && group->kind() == 2 && group->owner())
        group->owner()->onEvent(EventPushButton, id, 0);
}

Window* windowFromId(uint32_t windowId) {
    SDL_Window* window = windowId ? SDL_GetWindowFromID(windowId) : nullptr;
    return window ? static_cast<Window*>(SDL_GetWindowData(window, WindowDataKey)) : nullptr;
}

bool isLiveWindow(const Window* window) {
    for (const auto& entry : liveWindows())
        if (entry.second == window)
            return true;
    return false;
}

void dispatchWindowMessage(uint32_t windowId, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (Window* window = windowFromId(windowId))
        window->handleMessage(message, wParam, lParam);
}

void dispatchPostedMessage(uint32_t windowSerial, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
    const auto found = liveWindows().find(windowSerial);
    if (found != liveWindows().end())
        found->second->handleMessage(message, wParam, lParam);
}
