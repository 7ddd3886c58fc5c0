#pragma once
#include <cstdint>

class Window;

// A copy of a window's mouse fields: position in client pixels (origin top
// left, y down), the position before the last move, and the button flags.
struct PointerState {
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    int32_t previousMouseX = 0;
    int32_t previousMouseY = 0;
    bool leftButtonDown = false;
    bool rightButtonDown = false;
    bool leftDoubleClick = false;
    bool rightDoubleClick = false;

    bool operator==(const PointerState& o) const {
        return mouseX == o.mouseX && mouseY == o.mouseY && previousMouseX == o.previousMouseX &&
               previousMouseY == o.previousMouseY && leftButtonDown == o.leftButtonDown &&
               rightButtonDown == o.rightButtonDown && leftDoubleClick == o.leftDoubleClick &&
               rightDoubleClick == o.rightDoubleClick;
    }
};

// The mouse fields of window as they are now.
PointerState pointerStateOf(const Window& window);
