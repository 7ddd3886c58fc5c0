#pragma once
#include <cstdint>

// The length of the previous run-loop iteration in milliseconds. Only the
// run loop sets it; movement and scrolling are scaled by it.
int32_t getFrameTime();
void setFrameTime(int32_t ms);
