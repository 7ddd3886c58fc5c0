#pragma once
#include <cstdint>

struct SDL_Window;

// Draws text into window's picture at client pixel (x, y), the top-left corner
// of the text, in colour (red, green, blue): opaque text on a grey
// (128, 128, 128) box, or transparent text over what is there. Draws only
// when window's OpenGL context is current (it shows with the next present);
// returns whether it drew. Restores the GL state it touches.
bool drawWindowText(SDL_Window* window, int32_t x, int32_t y, const char* text, uint8_t red,
                    uint8_t green, uint8_t blue, bool transparent);
