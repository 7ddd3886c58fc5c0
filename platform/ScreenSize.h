#pragma once
#include <cstdint>

// The screen size every layout is given relative to; set once at start-up.
extern int32_t ScreenWidth;
extern int32_t ScreenHeight;
