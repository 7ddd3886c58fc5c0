#include "XWindowOf.h"

#include <SDL.h>
#include <SDL_syswm.h>

unsigned long xWindowOf(uintptr_t sdlWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    auto* window = reinterpret_cast<SDL_Window*>(sdlWindow);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}
