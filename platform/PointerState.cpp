#include "platform/PointerState.h"

#include "platform/Window.h"

PointerState pointerStateOf(const Window& window) {
    PointerState state;
    state.mouseX = window.mouseX;
    state.mouseY = window.mouseY;
    state.previousMouseX = window.previousMouseX;
    state.previousMouseY = window.previousMouseY;
    state.leftButtonDown = window.leftButtonDown;
    state.rightButtonDown = window.rightButtonDown;
    state.leftDoubleClick = window.leftDoubleClick;
    state.rightDoubleClick = window.rightDoubleClick;
    return state;
}
