#include "platform/MessagePump.h"

#include <SDL.h>

#include "platform/PlatformInit.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "platform/WindowRegistry.h"

namespace {

// Set when a mouse press has been handed to a window and no frame has run
// since: the run loop then sees the queue as empty once, so a press and its
// release that arrive together (a quick tap, a synthetic click) are not both
// handled before any frame could see the button down.
bool pressAwaitingFrame = false;

// Two event types of our own: a message posted to one window, and quit.
uint32_t postedEventBase() {
    static uint32_t base = 0;
    if (base == 0) {
        initPlatform();
        base = SDL_RegisterEvents(2);
    }
    return base;
}
uint32_t postedMessageType() {
    return postedEventBase();
}
uint32_t quitMessageType() {
    return postedEventBase() + 1;
}

// Sends message to every registered window; a handler may delete windows.
void broadcast(uint32_t message, uintptr_t wParam) {
    for (int32_t i = 0; i < windowRegistryCapacity(); ++i) {
        Window* window = windowRegistrySlot(i);
        if (window)
            window->handleMessage(message, wParam, 0);
    }
}

// Clicking a window of an inactive application activates the application
// first, as does a key (SDL sends keys only to the window with the focus).
// This also recovers activation when the focus came back without a
// focus-gained event, e.g. after a modal dialog without a window manager.
void activateForInput(uint32_t windowId) {
    const Window* window = windowFromId(windowId);
    if (window && window->isAlive() && !window->isActive())
        broadcast(MsgActivateApp, 1);
}

// The modifiers held with a key, as they were when it went down, and
// whether the press is the key's own repetition.
intptr_t keyModifiersOf(uint16_t mod, bool repeat) {
    intptr_t modifiers = repeat ? KeyModifierRepeat : 0;
    if (mod & KMOD_CTRL)
        modifiers |= KeyModifierControl;
    if (mod & KMOD_SHIFT)
        modifiers |= KeyModifierShift;
    return modifiers;
}

// Mouse positions arrive in window pixels and go on in client pixels.
intptr_t clientPoint(uint32_t windowId, int32_t x, int32_t y) {
    if (const Window* window = windowFromId(windowId)) {
        const PictureFit fit = window->pictureFit();
        return makeMessageParam(fit.toPictureX(x), fit.toPictureY(y));
    }
    return makeMessageParam(x, y);
}

void routeWindowEvent(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        dispatchWindowMessage(event.windowID, MsgClose, 0, 0);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        dispatchWindowMessage(event.windowID, MsgSize, 0,
                              makeMessageParam(event.data1, event.data2));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        dispatchWindowMessage(event.windowID, MsgPaint, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        broadcast(MsgActivateApp, 1);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        broadcast(MsgActivateApp, 0);
        break;
    default:
        break;
    }
}

// A press that SDL counts as the second of a pair is a double click, and
// arrives instead of the press, as on the classic window system.
uint32_t buttonMessage(const SDL_MouseButtonEvent& event) {
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    const bool twice = down && event.clicks >= 2 && event.clicks % 2 == 0;
    if (event.button == SDL_BUTTON_LEFT)
        return twice ? MsgLeftDoubleClick : down ? MsgLeftButtonDown : MsgLeftButtonUp;
    if (event.button == SDL_BUTTON_RIGHT)
        return twice ? MsgRightDoubleClick : down ? MsgRightButtonDown : MsgRightButtonUp;
    return 0;
}

void routeEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        // The session or a signal asks the program to end: close every window
        // without asking, as nobody may be there to answer.
        broadcast(MsgQuit, 0);
        break;
    case SDL_WINDOWEVENT:
        routeWindowEvent(event.window);
        break;
    case SDL_KEYDOWN: {
        activateForInput(event.key.windowID);
        const int32_t key = virtualKeyFromSdl(event.key.keysym.scancode, event.key.keysym.sym,
                                              (event.key.keysym.mod & KMOD_NUM) != 0);
        if (key != 0)
            dispatchWindowMessage(event.key.windowID, MsgKeyDown, static_cast<uintptr_t>(key),
                                  keyModifiersOf(event.key.keysym.mod, event.key.repeat != 0));
        break;
    }
    case SDL_MOUSEMOTION:
        dispatchWindowMessage(event.motion.windowID, MsgMouseMove, 0,
                              clientPoint(event.motion.windowID, event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const uint32_t message = buttonMessage(event.button);
        if (event.type == SDL_MOUSEBUTTONDOWN)
            activateForInput(event.button.windowID);
        if (message != 0)
            dispatchWindowMessage(
                event.button.windowID, message, 0,
                clientPoint(event.button.windowID, event.button.x, event.button.y));
        if (event.type == SDL_MOUSEBUTTONDOWN && message != 0)
            pressAwaitingFrame = true;
        break;
    }
    default:
        if (event.type == postedMessageType())
            dispatchPostedMessage(event.user.windowID, static_cast<uint32_t>(event.user.code),
                                  reinterpret_cast<uintptr_t>(event.user.data1),
                                  reinterpret_cast<intptr_t>(event.user.data2));
        break;
    }
}

}  // namespace

// Peeking rather than polling: SDL_PollEvent ends each poll cycle with a
// sentinel, which would make a waiting message look absent once per cycle.
bool messageWaiting() {
    initPlatform();
    if (pressAwaitingFrame) {
        pressAwaitingFrame = false;
        return false;
    }
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

bool dispatchNextMessage(int32_t* quitCode) {
    initPlatform();
    SDL_Event event;
    SDL_PumpEvents();
    if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) != 1)
        return true;
    if (event.type == quitMessageType()) {
        if (quitCode)
            *quitCode = event.user.code;
        return false;
    }
    routeEvent(event);
    return true;
}

void waitForMessage() {
    initPlatform();
    SDL_WaitEvent(nullptr);
}

bool quitRequested() {
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return false;
    SDL_Event event;
    return SDL_PeepEvents(&event, 1, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) > 0;
}

void waitForMessageFor(uint32_t milliseconds) {
    initPlatform();
    SDL_WaitEventTimeout(nullptr, static_cast<int>(milliseconds));
}

void postQuitMessage(int32_t code) {
    SDL_Event event{};
    event.type = quitMessageType();
    event.user.code = code;
    SDL_PushEvent(&event);
}

namespace {

// Keeps pointer motion and releases: the window must learn where the pointer
// went meanwhile, or a click without moving acts where it was before, and a
// release only clears a button that is no longer held.
int keepAfterDiscard(void*, SDL_Event* event) {
    switch (event->type) {
    case SDL_KEYDOWN:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
        return 0;
    default:
        return 1;
    }
}

}  // namespace

void discardQueuedInput() {
    initPlatform();
    SDL_PumpEvents();
    SDL_FilterEvents(keepAfterDiscard, nullptr);
}

void postWindowMessage(uint32_t windowSerial, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    SDL_Event event{};
    event.type = postedMessageType();
    event.user.windowID = windowSerial;
    event.user.code = static_cast<int32_t>(message);
    event.user.data1 = reinterpret_cast<void*>(wParam);
    event.user.data2 = reinterpret_cast<void*>(lParam);
    SDL_PushEvent(&event);
}
