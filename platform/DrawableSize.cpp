#include "platform/DrawableSize.h"

// SDL_syswm.h brings in Xlib, whose macros clash with ordinary names: it
// stays in this file (and the dialogs').
#include <SDL.h>
#include <SDL_syswm.h>

namespace {

// The X window's own size, for a full-screen window on X11 (windowed, SDL
// follows every size change itself).
bool fullScreenX11Size(SDL_Window* window, int* width, int* height) {
    if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN))
        return false;
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    XWindowAttributes attributes;
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 &&
        XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) &&
        attributes.width > 0 && attributes.height > 0) {
        *width = attributes.width;
        *height = attributes.height;
        return true;
    }
#endif
    return false;
}

}  // namespace

void drawableSize(SDL_Window* window, int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    if (window && !fullScreenX11Size(window, &w, &h))
        SDL_GL_GetDrawableSize(window, &w, &h);
    *width = w;
    *height = h;
}

void windowSize(SDL_Window* window, int32_t* width, int32_t* height) {
    int w = 0, h = 0;
    if (window && !fullScreenX11Size(window, &w, &h))
        SDL_GetWindowSize(window, &w, &h);
    *width = w;
    *height = h;
}
