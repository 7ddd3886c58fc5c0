#include "platform/KeyState.h"

#include <SDL.h>

#include <array>

#include "platform/PlatformInit.h"
#include "platform/VirtualKeys.h"

namespace {

// The pressed-since-the-last-query bit of every virtual-key code.
std::array<bool, 256> pressedSinceQuery{};

void latch(int32_t virtualKey) {
    if (virtualKey > 0 && virtualKey < static_cast<int32_t>(pressedSinceQuery.size()))
        pressedSinceQuery[static_cast<size_t>(virtualKey)] = true;
}

int32_t mouseButtonKey(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return VK_LBUTTON;
    case SDL_BUTTON_RIGHT:
        return VK_RBUTTON;
    case SDL_BUTTON_MIDDLE:
        return VK_MBUTTON;
    default:
        return 0;
    }
}

// Runs as each event enters the queue, so a press and its release within
// one pump still leave their mark.
int SDLCALL watchPresses(void*, SDL_Event* event) {
    if (event->type == SDL_KEYDOWN && !event->key.repeat) {
        latch(virtualKeyFromSdl(event->key.keysym.scancode, event->key.keysym.sym,
                                (event->key.keysym.mod & KMOD_NUM) != 0));
        latch(sidedVirtualKeyFromSdl(event->key.keysym.scancode));
    } else if (event->type == SDL_MOUSEBUTTONDOWN) {
        latch(mouseButtonKey(event->button.button));
    }
    return 1;
}

}  // namespace

void startKeyStateWatch() {
    static bool watching = false;
    if (watching)
        return;
    SDL_AddEventWatch(watchPresses, nullptr);
    watching = true;
}

bool isKeyDown(int32_t virtualKey) {
    initPlatform();
    if (virtualKey < 0 || virtualKey >= static_cast<int32_t>(pressedSinceQuery.size()))
        return false;
    bool& pressed = pressedSinceQuery[static_cast<size_t>(virtualKey)];
    const bool down = pressed || virtualKeyHeld(virtualKey);
    pressed = false;
    return down;
}

void flushKeyStates() {
    pressedSinceQuery.fill(false);
}
