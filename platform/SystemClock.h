#pragma once
#include <cstdint>

// Milliseconds since the system started, wrapping at 32 bits.
uint32_t getTickCount();

// Tests that need a clock they control install their own source; null
// returns to the system clock.
using TickSource = uint32_t (*)();
void setTickSource(TickSource source);
