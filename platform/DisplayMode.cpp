#include "platform/DisplayMode.h"

#include <SDL.h>

namespace {

bool displayChanged = false;
int32_t requestedWidth = 0;
int32_t requestedHeight = 0;
int32_t requestedBits = 32;
SDL_Window* fullScreenWindow = nullptr;

uint32_t pixelFormatForBits(int32_t bits) {
    switch (bits) {
    case 8:
        return SDL_PIXELFORMAT_INDEX8;
    case 15:
        return SDL_PIXELFORMAT_RGB555;
    case 16:
        return SDL_PIXELFORMAT_RGB565;
    case 24:
        return SDL_PIXELFORMAT_RGB24;
    default:
        return SDL_PIXELFORMAT_RGB888;
    }
}

void applyRequestedMode(SDL_Window* window) {
    SDL_DisplayMode wanted{};
    wanted.w = requestedWidth;
    wanted.h = requestedHeight;
    wanted.format = pixelFormatForBits(requestedBits);
    SDL_DisplayMode closest{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest))
        SDL_SetWindowDisplayMode(window, &closest);
    else
        SDL_SetWindowDisplayMode(window, nullptr);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
}

}  // namespace

void changeDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    requestedWidth = width;
    requestedHeight = height;
    requestedBits = bitsPerPixel;
    displayChanged = true;
    if (fullScreenWindow)
        applyRequestedMode(fullScreenWindow);
}

void restoreDisplayMode() {
    if (displayChanged && fullScreenWindow)
        SDL_SetWindowFullscreen(fullScreenWindow, 0);
    displayChanged = false;
}

bool isDisplayChanged() {
    return displayChanged;
}

void bindDisplayModeWindow(SDL_Window* window) {
    fullScreenWindow = window;
    if (window && displayChanged)
        applyRequestedMode(window);
}

void forgetDisplayModeWindow(SDL_Window* window) {
    if (fullScreenWindow == window)
        fullScreenWindow = nullptr;
}
