#pragma once
#include <cstdint>

// Hiding twice hides once; showing a cursor that was never hidden does nothing.
void hideCursor();
void showCursor();
bool isCursorHidden();
// The cursor position in screen pixels.
void getCursorPos(int32_t* x, int32_t* y);
// Moves the cursor to the screen position (x, y).
void setCursorPos(int32_t x, int32_t y);
