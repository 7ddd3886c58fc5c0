#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/MessagePump.h"
#include "platform/PlatformInit.h"

namespace {

// Handles everything queued, also past the pause after a mouse press.
void drainAll() {
    int32_t code = 0;
    while (messageWaiting() || messageWaiting())
        dispatchNextMessage(&code);
}

// Dispatches until the quit message; the X server may queue events of its own
// ahead of it. Returns its code, or -999 when none came.
int32_t dispatchUntilQuit() {
    int32_t code = -999;
    for (int i = 0; i < 1000 && messageWaiting(); ++i)
        if (!dispatchNextMessage(&code))
            return code;
    return -999;
}

}  // namespace

TEST(MessagePump, TheQuitMessageCarriesItsCode) {
    ASSERT_TRUE(initPlatform());
    drainAll();
    int32_t code = 0;
    EXPECT_TRUE(dispatchNextMessage(&code));  // nothing waiting is no quit
    postQuitMessage(42);
    EXPECT_TRUE(messageWaiting());
    EXPECT_EQ(dispatchUntilQuit(), 42);
    postQuitMessage(-3);
    EXPECT_EQ(dispatchUntilQuit(), -3);
    EXPECT_EQ(dispatchUntilQuit(), -999);
}

TEST(MessagePump, WaitingReturnsOnceAMessageArrives) {
    ASSERT_TRUE(initPlatform());
    drainAll();
    postQuitMessage(7);
    waitForMessage();
    EXPECT_EQ(dispatchUntilQuit(), 7);
}

TEST(MessagePump, DiscardingInputKeepsOtherMessages) {
    ASSERT_TRUE(initPlatform());
    drainAll();
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_A;
    SDL_PushEvent(&key);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&click);
    postQuitMessage(5);
    discardQueuedInput();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_MOUSEWHEEL), 0);
    EXPECT_EQ(dispatchUntilQuit(), 5);
}
