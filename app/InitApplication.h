#pragma once

#include "platform/WindowDescription.h"

// The main window: "Tamotown", 640 x 480, full screen, 32 bits per pixel.
WindowDescription mainWindowDescription();

// The start-up callback: declares the media archive and its members, fixes the
// screen size and creates the main window. False only when the window could
// not be opened (no display); mainWindowFailed() then tells so.
bool initApplication();
bool mainWindowFailed();
