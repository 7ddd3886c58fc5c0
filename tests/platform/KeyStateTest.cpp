#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/KeyState.h"
#include "platform/PlatformInit.h"
#include "platform/VirtualKeys.h"

namespace {

void pushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode keycode, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = keycode;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

void pushButton(uint8_t button) {
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    e.button.state = SDL_PRESSED;
    e.button.clicks = 1;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

class KeyState : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(initPlatform());
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        flushKeyStates();
    }
    void TearDown() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }
};

}  // namespace

TEST_F(KeyState, APressAndReleaseWithinOnePumpShowsOnce) {
    EXPECT_FALSE(isKeyDown('A'));
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a);
    pushKey(SDL_KEYUP, SDL_SCANCODE_A, SDLK_a);
    SDL_PumpEvents();
    EXPECT_TRUE(isKeyDown('A'));
    EXPECT_FALSE(isKeyDown('A'));
    // Other keys are untouched by it.
    EXPECT_FALSE(isKeyDown('B'));
}

TEST_F(KeyState, EachKeyKeepsItsOwnPressUntilQueried) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, SDLK_SPACE);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_F2, SDLK_F2);
    EXPECT_TRUE(isKeyDown(VK_F1 + 1));
    EXPECT_TRUE(isKeyDown(VK_SPACE));
    EXPECT_FALSE(isKeyDown(VK_SPACE));
    EXPECT_FALSE(isKeyDown(VK_F1 + 1));
}

TEST_F(KeyState, AutoRepeatIsNotANewPress) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_UP, SDLK_UP, true);
    EXPECT_FALSE(isKeyDown(VK_UP));
}

TEST_F(KeyState, ModifiersLatchBothTheNeutralAndTheSidedCode) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
    EXPECT_TRUE(isKeyDown(VK_SHIFT));
    EXPECT_TRUE(isKeyDown(VK_RSHIFT));
    EXPECT_FALSE(isKeyDown(VK_LSHIFT));
}

TEST_F(KeyState, MouseButtonPressesLatchTheirCodes) {
    pushButton(SDL_BUTTON_LEFT);
    pushButton(SDL_BUTTON_RIGHT);
    EXPECT_TRUE(isKeyDown(VK_LBUTTON));
    EXPECT_TRUE(isKeyDown(VK_RBUTTON));
    EXPECT_FALSE(isKeyDown(VK_LBUTTON));
    EXPECT_FALSE(isKeyDown(VK_MBUTTON));
}

TEST_F(KeyState, FlushForgetsPressesAndOutOfRangeCodesAreNeverDown) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z);
    flushKeyStates();
    EXPECT_FALSE(isKeyDown('Z'));
    EXPECT_FALSE(isKeyDown(-1));
    EXPECT_FALSE(isKeyDown(256));
    EXPECT_FALSE(isKeyDown(100000));
}

TEST(VirtualKeys, SdlKeysMapOntoTheClassicCodes) {
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_A, SDLK_a), 'A');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_Z, SDLK_z), 'Z');
    // Letters follow the layout: the key at the position of A typing q is Q.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_A, SDLK_q), 'Q');
    // A letter position whose layout key is no letter still gives its letter.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_M, SDLK_COMMA), 'M');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_0, SDLK_0), '0');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_9, SDLK_9), '9');
    // Digits go by position: the top-row 1 key is '1' whatever it types.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_1, SDLK_AMPERSAND), '1');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_0, SDLK_KP_0), 96);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_9, SDLK_KP_9), 105);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY), 106);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS), 107);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS), 109);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD), 110);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE), 111);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F1, SDLK_F1), 112);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F12, SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UP, SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_TAB, SDLK_TAB), 9);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE), 8);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_DELETE, SDLK_DELETE), 46);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RCTRL, SDLK_RCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LALT, SDLK_LALT), 18);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP), 33);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN), 34);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_END, SDLK_END), 35);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_HOME, SDLK_HOME), 36);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_INSERT, SDLK_INSERT), 45);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_MINUS, SDLK_MINUS), VK_OEM_MINUS);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN), 0);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_LCTRL), VK_LCONTROL);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_RALT), VK_RMENU);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_A), 0);
}
