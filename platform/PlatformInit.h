#pragma once

// Starts the window system (video and events) once, on first use; sound
// starts its own part when first needed, so a machine without sound never
// fails here. Returns false when video could not be started. Safe to call any
// number of times.
bool initPlatform();
