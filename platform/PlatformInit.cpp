#include "platform/PlatformInit.h"

#include <SDL.h>

#include "platform/KeyState.h"

bool initPlatform() {
    static bool started = false;
    if (started)
        return true;
    // A full-screen window must not minimise itself while a file dialog has
    // the focus, and the click that focuses the window is a real click.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Closing the window is the window's own question (it may ask about
    // unsaved work and stay); only a signal or the session ends at once.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return false;
    startKeyStateWatch();
    started = true;
    return true;
}
