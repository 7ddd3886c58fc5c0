#pragma once
#include <cstdint>

// Virtual-key codes: the classic numbering that keys and key-state queries use.
// Letters are 'A' to 'Z' (65-90) and the top-row digits '0' to '9' (48-57).
constexpr int32_t VK_LBUTTON = 1;
constexpr int32_t VK_RBUTTON = 2;
constexpr int32_t VK_MBUTTON = 4;
constexpr int32_t VK_BACK = 8;
constexpr int32_t VK_TAB = 9;
constexpr int32_t VK_CLEAR = 12;
constexpr int32_t VK_RETURN = 13;
constexpr int32_t VK_SHIFT = 16;
constexpr int32_t VK_CONTROL = 17;
constexpr int32_t VK_MENU = 18;  // Alt
constexpr int32_t VK_PAUSE = 19;
constexpr int32_t VK_CAPITAL = 20;
constexpr int32_t VK_ESCAPE = 27;
constexpr int32_t VK_SPACE = 32;
constexpr int32_t VK_PRIOR = 33;  // Page Up
constexpr int32_t VK_NEXT = 34;   // Page Down
constexpr int32_t VK_END = 35;
constexpr int32_t VK_HOME = 36;
constexpr int32_t VK_LEFT = 37;
constexpr int32_t VK_UP = 38;
constexpr int32_t VK_RIGHT = 39;
constexpr int32_t VK_DOWN = 40;
constexpr int32_t VK_SNAPSHOT = 44;
constexpr int32_t VK_INSERT = 45;
constexpr int32_t VK_DELETE = 46;
constexpr int32_t VK_LWIN = 91;
constexpr int32_t VK_RWIN = 92;
constexpr int32_t VK_APPS = 93;
constexpr int32_t VK_NUMPAD0 = 96;  // to VK_NUMPAD0 + 9
constexpr int32_t VK_MULTIPLY = 106;
constexpr int32_t VK_ADD = 107;
constexpr int32_t VK_SEPARATOR = 108;
constexpr int32_t VK_SUBTRACT = 109;
constexpr int32_t VK_DECIMAL = 110;
constexpr int32_t VK_DIVIDE = 111;
constexpr int32_t VK_F1 = 112;  // to VK_F1 + 23 (F24)
constexpr int32_t VK_NUMLOCK = 144;
constexpr int32_t VK_SCROLL = 145;
constexpr int32_t VK_LSHIFT = 160;
constexpr int32_t VK_RSHIFT = 161;
constexpr int32_t VK_LCONTROL = 162;
constexpr int32_t VK_RCONTROL = 163;
constexpr int32_t VK_LMENU = 164;
constexpr int32_t VK_RMENU = 165;
constexpr int32_t VK_OEM_1 = 186;     // ;:
constexpr int32_t VK_OEM_PLUS = 187;  // =+
constexpr int32_t VK_OEM_COMMA = 188;
constexpr int32_t VK_OEM_MINUS = 189;
constexpr int32_t VK_OEM_PERIOD = 190;
constexpr int32_t VK_OEM_2 = 191;    // /?
constexpr int32_t VK_OEM_3 = 192;    // `~
constexpr int32_t VK_OEM_4 = 219;    // [{
constexpr int32_t VK_OEM_5 = 220;    // \|
constexpr int32_t VK_OEM_6 = 221;    // ]}
constexpr int32_t VK_OEM_7 = 222;    // '"
constexpr int32_t VK_OEM_102 = 226;  // the extra key beside left Shift

// The virtual-key code of an SDL key (scancode and keycode as SDL reports
// them), or 0 for a key without one. Letters follow the keyboard layout; the
// other keys their position. Shift, Ctrl and Alt give the side-neutral codes.
// With Num Lock off the keypad's digit and decimal keys are navigation keys
// (8 is Up, 7 Home, 0 Insert, the decimal key Delete, ...), as on a desktop.
int32_t virtualKeyFromSdl(int32_t scancode, int32_t keycode, bool numLock);
// The side-specific code for Shift, Ctrl and Alt (VK_LSHIFT ...), otherwise 0.
int32_t sidedVirtualKeyFromSdl(int32_t scancode);
// True while the key (or mouse button) with that code is held.
bool virtualKeyHeld(int32_t virtualKey);
