#pragma once
#include <cstdint>

struct SDL_Window;

// Switches the display to width x height x bitsPerPixel for the full-screen
// window (the one bound below, now or when it is bound). Marks the display as
// changed.
void changeDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel);
// When the display was changed, returns the full-screen window to the desktop
// mode; the display is then no longer marked as changed. Does nothing otherwise.
void restoreDisplayMode();
bool isDisplayChanged();

// The window that the mode switch applies to; a window leaves before it is
// destroyed. Used by Window only.
void bindDisplayModeWindow(SDL_Window* window);
void forgetDisplayModeWindow(SDL_Window* window);
