#pragma once
#include <cstdint>

// The messages a Window's handleMessage tells apart. The numbers follow the
// classic window-message numbering so that logs read familiarly.
enum WindowMessage : uint32_t {
    MsgDestroy = 0x0002,
    MsgSize = 0x0005,  // lParam: width in the low half, height in the high half
    MsgPaint = 0x000F,
    MsgClose = 0x0010,
    MsgQuit = 0x0012,
    MsgActivateApp = 0x001C,  // wParam: non-zero when the application becomes active
    MsgKeyDown = 0x0100,      // wParam: virtual-key code
    MsgCommand = 0x0111,      // wParam: command id; lParam: 0 for menus, else a control handle
    MsgMouseMove = 0x0200,    // lParam: x in the low half, y in the high half
    MsgLeftButtonDown = 0x0201,
    MsgLeftButtonUp = 0x0202,
    MsgLeftDoubleClick = 0x0203,
    MsgRightButtonDown = 0x0204,
    MsgRightButtonUp = 0x0205,
    MsgRightDoubleClick = 0x0206,
};

// Packs two 16-bit halves the way position and size parameters carry them.
inline intptr_t makeMessageParam(int32_t low, int32_t high) {
    return static_cast<intptr_t>((static_cast<uint32_t>(high & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(low & 0xFFFF));
}
inline int32_t messageParamLow(intptr_t param) {
    return static_cast<int16_t>(static_cast<uint32_t>(param) & 0xFFFF);
}
inline int32_t messageParamHigh(intptr_t param) {
    return static_cast<int16_t>((static_cast<uint32_t>(param) >> 16) & 0xFFFF);
}
