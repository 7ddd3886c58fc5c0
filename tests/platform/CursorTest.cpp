#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/Cursor.h"
#include "platform/PlatformInit.h"

TEST(Cursor, HidingAndShowingKeepTheirBalance) {
    ASSERT_TRUE(initPlatform());
    EXPECT_FALSE(isCursorHidden());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);

    hideCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    hideCursor();
    showCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(isCursorHidden());

    // Showing a cursor this layer never hid changes nothing.
    SDL_ShowCursor(SDL_DISABLE);
    showCursor();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    SDL_ShowCursor(SDL_ENABLE);
}

TEST(Cursor, PositionIsSetAndReadInScreenPixels) {
    ASSERT_TRUE(initPlatform());
    setCursorPos(123, 45);
    SDL_PumpEvents();
    int32_t x = -1, y = -1;
    getCursorPos(&x, &y);
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 45);
    setCursorPos(600, 400);
    getCursorPos(&x, &y);
    EXPECT_EQ(x, 600);
    EXPECT_EQ(y, 400);
    getCursorPos(nullptr, nullptr);
}
