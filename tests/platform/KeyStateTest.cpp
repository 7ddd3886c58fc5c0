#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/KeyState.h"
#include "platform/PlatformInit.h"
#include "platform/VirtualKeys.h"

namespace {

void pushKey(uint32_t type, SDL_Scancode scancode, SDL_Keycode keycode, bool repeat = false,
             uint16_t modifiers = KMOD_NONE) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = keycode;
    e.key.keysym.mod = modifiers;
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

TEST_F(KeyState, KeypadPressesLatchNavigationCodesUnlessNumLockIsOn) {
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_8, SDLK_KP_8);
    pushKey(SDL_KEYDOWN, SDL_SCANCODE_KP_4, SDLK_KP_4, false, KMOD_NUM);
    EXPECT_TRUE(isKeyDown(VK_UP));
    EXPECT_FALSE(isKeyDown(VK_NUMPAD0 + 8));
    EXPECT_TRUE(isKeyDown(VK_NUMPAD0 + 4));
    EXPECT_FALSE(isKeyDown(VK_LEFT));
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
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_A, SDLK_a, true), 'A');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_Z, SDLK_z, true), 'Z');
    // Letters follow the layout: the key at the position of A typing q is Q.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_A, SDLK_q, true), 'Q');
    // A letter position whose layout key is no letter still gives its letter.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_M, SDLK_COMMA, true), 'M');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_0, SDLK_0, true), '0');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_9, SDLK_9, true), '9');
    // Digits go by position: the top-row 1 key is '1' whatever it types.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_1, SDLK_AMPERSAND, true), '1');
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_0, SDLK_KP_0, true), 96);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_9, SDLK_KP_9, true), 105);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, true), 106);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_PLUS, SDLK_KP_PLUS, true), 107);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_MINUS, SDLK_KP_MINUS, true), 109);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, true), 110);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, true), 111);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F1, SDLK_F1, true), 112);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_F12, SDLK_F12, true), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LEFT, SDLK_LEFT, true), 37);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UP, SDLK_UP, true), 38);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RIGHT, SDLK_RIGHT, true), 39);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_DOWN, SDLK_DOWN, true), 40);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_SPACE, SDLK_SPACE, true), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_TAB, SDLK_TAB, true), 9);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE, true), 8);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_DELETE, SDLK_DELETE, true), 46);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RETURN, SDLK_RETURN, true), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, true), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, true), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, true), 16);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_RCTRL, SDLK_RCTRL, true), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_LALT, SDLK_LALT, true), 18);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_PAGEUP, SDLK_PAGEUP, true), 33);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, true), 34);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_END, SDLK_END, true), 35);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_HOME, SDLK_HOME, true), 36);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_INSERT, SDLK_INSERT, true), 45);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_MINUS, SDLK_MINUS, true), VK_OEM_MINUS);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UNKNOWN, SDLK_UNKNOWN, true), 0);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_LCTRL), VK_LCONTROL);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_RALT), VK_RMENU);
    EXPECT_EQ(sidedVirtualKeyFromSdl(SDL_SCANCODE_A), 0);
}

TEST(VirtualKeys, KeypadIsASecondSetOfNavigationKeysWithoutNumLock) {
    const struct {
        SDL_Scancode scancode;
        SDL_Keycode keycode;
        int32_t withNumLock;
        int32_t withoutNumLock;
    } keypad[] = {
        {SDL_SCANCODE_KP_0, SDLK_KP_0, VK_NUMPAD0, VK_INSERT},
        {SDL_SCANCODE_KP_1, SDLK_KP_1, VK_NUMPAD0 + 1, VK_END},
        {SDL_SCANCODE_KP_2, SDLK_KP_2, VK_NUMPAD0 + 2, VK_DOWN},
        {SDL_SCANCODE_KP_3, SDLK_KP_3, VK_NUMPAD0 + 3, VK_NEXT},
        {SDL_SCANCODE_KP_4, SDLK_KP_4, VK_NUMPAD0 + 4, VK_LEFT},
        {SDL_SCANCODE_KP_5, SDLK_KP_5, VK_NUMPAD0 + 5, VK_CLEAR},
        {SDL_SCANCODE_KP_6, SDLK_KP_6, VK_NUMPAD0 + 6, VK_RIGHT},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, VK_NUMPAD0 + 7, VK_HOME},
        {SDL_SCANCODE_KP_8, SDLK_KP_8, VK_NUMPAD0 + 8, VK_UP},
        {SDL_SCANCODE_KP_9, SDLK_KP_9, VK_NUMPAD0 + 9, VK_PRIOR},
        {SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, VK_DECIMAL, VK_DELETE},
        // The operator keys, Enter and the separator ignore Num Lock.
        {SDL_SCANCODE_KP_MULTIPLY, SDLK_KP_MULTIPLY, VK_MULTIPLY, VK_MULTIPLY},
        {SDL_SCANCODE_KP_COMMA, SDLK_KP_COMMA, VK_SEPARATOR, VK_SEPARATOR},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, VK_RETURN},
    };
    for (const auto& key : keypad) {
        EXPECT_EQ(virtualKeyFromSdl(key.scancode, key.keycode, true), key.withNumLock)
            << SDL_GetScancodeName(key.scancode);
        EXPECT_EQ(virtualKeyFromSdl(key.scancode, key.keycode, false), key.withoutNumLock)
            << SDL_GetScancodeName(key.scancode);
    }
    EXPECT_EQ(VK_SEPARATOR, 108);
    // Keys outside the keypad do not depend on it.
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_UP, SDLK_UP, false), VK_UP);
    EXPECT_EQ(virtualKeyFromSdl(SDL_SCANCODE_1, SDLK_1, false), '1');
}
