#pragma once
#include <cstdint>

// The X window behind an SDL window (a Window's "WindowHandler" handle), 0
// when there is none. Kept apart: the X headers define a type named Window.
unsigned long xWindowOf(uintptr_t sdlWindow);
