#include "platform/Cursor.h"

#include <SDL.h>

#include "platform/PlatformInit.h"

namespace {
bool cursorHidden = false;
}

void hideCursor() {
    if (cursorHidden)
        return;
    initPlatform();
    SDL_ShowCursor(SDL_DISABLE);
    cursorHidden = true;
}

void showCursor() {
    if (!cursorHidden)
        return;
    SDL_ShowCursor(SDL_ENABLE);
    cursorHidden = false;
}

bool isCursorHidden() {
    return cursorHidden;
}

void getCursorPos(int32_t* x, int32_t* y) {
    initPlatform();
    int screenX = 0;
    int screenY = 0;
    // Over one of our windows, the position its motion events gave: SDL's
    // global position is cached between raw-motion events, which not every
    // X server sends (Xvfb driven by XTest does not), and would go stale.
    if (SDL_Window* under = SDL_GetMouseFocus()) {
        int windowX = 0, windowY = 0;
        SDL_GetMouseState(&windowX, &windowY);
        SDL_GetWindowPosition(under, &screenX, &screenY);
        screenX += windowX;
        screenY += windowY;
    } else {
        SDL_GetGlobalMouseState(&screenX, &screenY);
    }
    if (x)
        *x = screenX;
    if (y)
        *y = screenY;
}

void setCursorPos(int32_t x, int32_t y) {
    initPlatform();
    SDL_WarpMouseGlobal(x, y);
}
