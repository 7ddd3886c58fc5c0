#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/DisplayMode.h"
#include "platform/Window.h"

namespace {

SDL_Window* sdlWindowOf(const Window& window) {
    return reinterpret_cast<SDL_Window*>(window.getHandle("WindowHandler"));
}

bool isFullScreen(SDL_Window* window) {
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
}

}  // namespace

TEST(DisplayMode, RestoringWithoutAChangeDoesNothing) {
    Window* window = new Window("Display test", 640, 480, true, false, nullptr, true, 32);
    SDL_Window* sdlWindow = sdlWindowOf(*window);
    ASSERT_NE(sdlWindow, nullptr);
    ASSERT_TRUE(isDisplayChanged());
    ASSERT_TRUE(isFullScreen(sdlWindow));
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdlWindow, &w, &h);
    EXPECT_GE(w, 640);
    EXPECT_GE(h, 480);

    restoreDisplayMode();
    EXPECT_FALSE(isDisplayChanged());
    EXPECT_FALSE(isFullScreen(sdlWindow));

    // With nothing changed by this layer, a second restore leaves the window
    // as it is, even when something else made it full screen.
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN);
    restoreDisplayMode();
    EXPECT_TRUE(isFullScreen(sdlWindow));
    EXPECT_FALSE(isDisplayChanged());

    // A change made while the window exists applies to it at once.
    SDL_SetWindowFullscreen(sdlWindow, 0);
    changeDisplayMode(640, 480, 32);
    EXPECT_TRUE(isDisplayChanged());
    EXPECT_TRUE(isFullScreen(sdlWindow));
    delete window;
    EXPECT_FALSE(isDisplayChanged());
}

TEST(DisplayMode, AChangeWithoutAWindowWaitsForOne) {
    changeDisplayMode(640, 480, 32);
    EXPECT_TRUE(isDisplayChanged());
    restoreDisplayMode();
    EXPECT_FALSE(isDisplayChanged());
    Window* windowed = new Window("Display test", 100, 80, true, false, nullptr, false, 32);
    EXPECT_FALSE(isFullScreen(sdlWindowOf(*windowed)));
    EXPECT_FALSE(isDisplayChanged());
    delete windowed;
}
