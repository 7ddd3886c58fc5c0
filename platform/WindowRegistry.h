#pragma once
#include <cstdint>

class Window;

// Every open Window, in slots that keep their index; empty slots are null.
// When no window is left the slots are released and the capacity is 0.
void registerWindow(Window* window);
void unregisterWindow(Window* window);
bool anyWindowRegistered();
bool anyWindowActive();
// Calls onFrame of every registered window in slot order. A window may be
// deleted, or another registered, by the frame it runs.
void frameAllWindows();

int32_t windowRegistryCapacity();
// The window in slot index, or null for an empty slot or an index out of range.
Window* windowRegistrySlot(int32_t index);
