#pragma once
#include <cstdint>

#include "platform/Window.h"

// A picture over the world that has the keyboard and the mouse while it is
// open (the texture palette, the key table): the main window draws the open
// one over everything and hands it every key and every press, which then
// reach neither the panel buttons nor the avatar.
class ModalOverlay {
public:
    virtual ~ModalOverlay() = default;
    virtual bool isOpen() const = 0;
    // Draws in screen pixels through a ScreenOverlay.
    virtual void draw() = 0;
    virtual void key(int32_t key, int32_t modifiers) = 0;
    // A press of the left button (left) or of the right one at (x, y).
    virtual void press(int32_t x, int32_t y, bool left) = 0;

    // Hands the presses the window recorded since the last frame to press,
    // clearing the window's flags so that nothing else acts on them.
    void takePresses(Window& window) {
        const bool left = window.leftButtonDown || window.leftDoubleClick;
        const bool right = window.rightButtonDown || window.rightDoubleClick;
        window.leftButtonDown = window.leftDoubleClick = false;
        window.rightButtonDown = window.rightDoubleClick = false;
        if (left)
            press(window.mouseX, window.mouseY, true);
        else if (right)
            press(window.mouseX, window.mouseY, false);
    }
};
