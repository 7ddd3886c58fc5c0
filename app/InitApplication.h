#pragma once

#include "app/ProgramOptions.h"
#include "platform/WindowDescription.h"

// The main window: "Tamotown", 640 x 480, full screen, 32 bits per pixel;
// with --windowed a window of that client size, with --scale that many
// times larger.
WindowDescription mainWindowDescription(const ProgramOptions& options = ProgramOptions());
// The options the next initApplication starts with (none by default).
void useProgramOptions(const ProgramOptions& options);

// The start-up callback: finds the media folder, declares the media archive
// and its members, fixes the
// screen size and creates the main window, starts the autosave (unless
// --autosave 0) and offers to recover an earlier run's autosave, then opens
// the world file the command line named, if any and nothing was recovered.
// False only when the window could not be opened (no display) or OpenGL is
// not available (said on standard error and in a message box);
// mainWindowFailed() then tells so.
bool initApplication();
bool mainWindowFailed();
