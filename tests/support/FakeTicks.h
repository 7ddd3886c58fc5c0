#pragma once
#include <cstdint>

// A clock the tests move by hand: hand fakeTicks to setTickSource, set fakeNow
// to the time the code under test should read, and hand back nullptr after.
extern uint32_t fakeNow;
uint32_t fakeTicks();
