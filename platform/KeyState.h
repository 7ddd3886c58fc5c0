#pragma once
#include <cstdint>

// True while the key (or mouse button, VK_LBUTTON / VK_RBUTTON / VK_MBUTTON)
// is held, and once after a press that began since the previous query of that
// key, even when it has ended already.
bool isKeyDown(int32_t virtualKey);
// Forgets every press made since the last query (held keys still show).
void flushKeyStates();
// Starts recording presses as they enter the event queue; called once by
// initPlatform.
void startKeyStateWatch();
