#pragma once

// Starts the window system (video and events) once, on first use; sound
// starts its own part when first needed, so a machine without sound never
// fails here. Returns false when video could not be started, or when no
// display was found and SDL fell back to a driver that shows nothing; SDL's
// error then says so and how to get a display, and later calls keep
// returning false. Safe to call any number of times.
bool initPlatform();

// Whether the SDL video driver that started may be used: always for drivers
// that show a picture; the ones that show nothing (offscreen, dummy, evdev)
// only when the comma-separated request (SDL_VIDEODRIVER, may be null) names
// them.
bool videoDriverAcceptable(const char* driver, const char* requested);
