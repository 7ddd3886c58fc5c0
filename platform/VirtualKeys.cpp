#include "platform/VirtualKeys.h"

#include <SDL.h>

namespace {

struct KeyPair {
    SDL_Scancode scancode;
    int32_t virtualKey;
};

// Every key but the letters, by position. Shift, Ctrl and Alt are listed with
// their side-neutral codes; SidedKeys below gives the side-specific ones.
const KeyPair PositionalKeys[] = {
    {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_1, '1'},
    {SDL_SCANCODE_2, '2'},
    {SDL_SCANCODE_3, '3'},
    {SDL_SCANCODE_4, '4'},
    {SDL_SCANCODE_5, '5'},
    {SDL_SCANCODE_6, '6'},
    {SDL_SCANCODE_7, '7'},
    {SDL_SCANCODE_8, '8'},
    {SDL_SCANCODE_9, '9'},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY},
    {SDL_SCANCODE_KP_PLUS, VK_ADD},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE},
    {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_F1, VK_F1},
    {SDL_SCANCODE_F2, VK_F1 + 1},
    {SDL_SCANCODE_F3, VK_F1 + 2},
    {SDL_SCANCODE_F4, VK_F1 + 3},
    {SDL_SCANCODE_F5, VK_F1 + 4},
    {SDL_SCANCODE_F6, VK_F1 + 5},
    {SDL_SCANCODE_F7, VK_F1 + 6},
    {SDL_SCANCODE_F8, VK_F1 + 7},
    {SDL_SCANCODE_F9, VK_F1 + 8},
    {SDL_SCANCODE_F10, VK_F1 + 9},
    {SDL_SCANCODE_F11, VK_F1 + 10},
    {SDL_SCANCODE_F12, VK_F1 + 11},
    {SDL_SCANCODE_F13, VK_F1 + 12},
    {SDL_SCANCODE_F14, VK_F1 + 13},
    {SDL_SCANCODE_F15, VK_F1 + 14},
    {SDL_SCANCODE_F16, VK_F1 + 15},
    {SDL_SCANCODE_F17, VK_F1 + 16},
    {SDL_SCANCODE_F18, VK_F1 + 17},
    {SDL_SCANCODE_F19, VK_F1 + 18},
    {SDL_SCANCODE_F20, VK_F1 + 19},
    {SDL_SCANCODE_F21, VK_F1 + 20},
    {SDL_SCANCODE_F22, VK_F1 + 21},
    {SDL_SCANCODE_F23, VK_F1 + 22},
    {SDL_SCANCODE_F24, VK_F1 + 23},
    {SDL_SCANCODE_LEFT, VK_LEFT},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},
    {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_DELETE, VK_DELETE},
    {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_RETURN2, VK_RETURN},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL},
    {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},
    {SDL_SCANCODE_RALT, VK_MENU},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT},
    {SDL_SCANCODE_HOME, VK_HOME},
    {SDL_SCANCODE_END, VK_END},
    {SDL_SCANCODE_INSERT, VK_INSERT},
    {SDL_SCANCODE_CLEAR, VK_CLEAR},
    {SDL_SCANCODE_PAUSE, VK_PAUSE},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL},
    {SDL_SCANCODE_LGUI, VK_LWIN},
    {SDL_SCANCODE_RGUI, VK_RWIN},
    {SDL_SCANCODE_APPLICATION, VK_APPS},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
    {SDL_SCANCODE_SLASH, VK_OEM_2},
    {SDL_SCANCODE_GRAVE, VK_OEM_3},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102},
};

// What the keypad's digit and decimal keys are while Num Lock is off.
const KeyPair KeypadNavigationKeys[] = {
    {SDL_SCANCODE_KP_0, VK_INSERT},      {SDL_SCANCODE_KP_1, VK_END},
    {SDL_SCANCODE_KP_2, VK_DOWN},        {SDL_SCANCODE_KP_3, VK_NEXT},
    {SDL_SCANCODE_KP_4, VK_LEFT},        {SDL_SCANCODE_KP_5, VK_CLEAR},
    {SDL_SCANCODE_KP_6, VK_RIGHT},       {SDL_SCANCODE_KP_7, VK_HOME},
    {SDL_SCANCODE_KP_8, VK_UP},          {SDL_SCANCODE_KP_9, VK_PRIOR},
    {SDL_SCANCODE_KP_PERIOD, VK_DELETE},
};

bool isKeypadNavigation(int32_t scancode) {
    for (const KeyPair& pair : KeypadNavigationKeys)
        if (pair.scancode == scancode)
            return true;
    return false;
}

const KeyPair SidedKeys[] = {
    {SDL_SCANCODE_LSHIFT, VK_LSHIFT},  {SDL_SCANCODE_RSHIFT, VK_RSHIFT},
    {SDL_SCANCODE_LCTRL, VK_LCONTROL}, {SDL_SCANCODE_RCTRL, VK_RCONTROL},
    {SDL_SCANCODE_LALT, VK_LMENU},     {SDL_SCANCODE_RALT, VK_RMENU},
};

bool isLetter(int32_t virtualKey) {
    return virtualKey >= 'A' && virtualKey <= 'Z';
}

bool scancodeHeld(const Uint8* keys, int count, SDL_Scancode scancode) {
    return scancode > SDL_SCANCODE_UNKNOWN && scancode < count && keys[scancode] != 0;
}

bool mouseButtonHeld(int32_t virtualKey) {
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    switch (virtualKey) {
    case VK_LBUTTON:
        return (buttons & SDL_BUTTON_LMASK) != 0;
    case VK_RBUTTON:
        return (buttons & SDL_BUTTON_RMASK) != 0;
    case VK_MBUTTON:
        return (buttons & SDL_BUTTON_MMASK) != 0;
    default:
        return false;
    }
}

}  // namespace

int32_t virtualKeyFromSdl(int32_t scancode, int32_t keycode, bool numLock) {
    if (keycode >= SDLK_a && keycode <= SDLK_z)
        return 'A' + (keycode - SDLK_a);
    if (!numLock)
        for (const KeyPair& pair : KeypadNavigationKeys)
            if (pair.scancode == scancode)
                return pair.virtualKey;
    for (const KeyPair& pair : PositionalKeys)
        if (pair.scancode == scancode)
            return pair.virtualKey;
    // A letter key whose layout gives it no letter keycode still has its
    // position's letter.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    return 0;
}

int32_t sidedVirtualKeyFromSdl(int32_t scancode) {
    for (const KeyPair& pair : SidedKeys)
        if (pair.scancode == scancode)
            return pair.virtualKey;
    return 0;
}

bool virtualKeyHeld(int32_t virtualKey) {
    if (virtualKey == VK_LBUTTON || virtualKey == VK_RBUTTON || virtualKey == VK_MBUTTON)
        return mouseButtonHeld(virtualKey);
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    if (isLetter(virtualKey)) {
        const SDL_Keycode letter = SDLK_a + (virtualKey - 'A');
        return scancodeHeld(keys, count, SDL_GetScancodeFromKey(letter));
    }
    // A keypad key held counts for the code it has under the current Num Lock.
    const bool numLock = (SDL_GetModState() & KMOD_NUM) != 0;
    for (const KeyPair& pair : PositionalKeys)
        if (pair.virtualKey == virtualKey && (numLock || !isKeypadNavigation(pair.scancode)) &&
            scancodeHeld(keys, count, pair.scancode))
            return true;
    if (!numLock)
        for (const KeyPair& pair : KeypadNavigationKeys)
            if (pair.virtualKey == virtualKey && scancodeHeld(keys, count, pair.scancode))
                return true;
    for (const KeyPair& pair : SidedKeys)
        if (pair.virtualKey == virtualKey && scancodeHeld(keys, count, pair.scancode))
            return true;
    return false;
}
