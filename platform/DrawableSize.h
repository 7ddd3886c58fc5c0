#pragma once
#include <cstdint>

struct SDL_Window;

// The real size of an SDL window: in pixels (what GL draws on) and in the
// window's own units (what mouse positions count in), the same on X11. A
// full-screen window on an X server without a window manager keeps the size
// it was created with, while SDL reports the display mode's size (nobody
// resizes it); there the X server is asked. Asked again at each call, so a
// size change, also one SDL did not report, shows in the next frame.
void drawableSize(SDL_Window* window, int32_t* width, int32_t* height);
void windowSize(SDL_Window* window, int32_t* width, int32_t* height);
