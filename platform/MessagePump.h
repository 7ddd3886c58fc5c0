#pragma once
#include <cstdint>

// The run loop's view of the window-message queue.

// True when a message waits (it is not removed). Right after a mouse press
// has been handed out it answers false once, so that a frame runs before the
// release is handled.
bool messageWaiting();
// Removes the next message and hands it to its window. Returns false when it
// was the quit message; quitCode then holds its parameter. Returns true
// otherwise, also when nothing was waiting.
bool dispatchNextMessage(int32_t* quitCode);
// Blocks until a message waits.
void waitForMessage();
// True when a signal or the session asked the program to end and the run
// loop has not yet handled it (the request stays queued).
bool quitRequested();
// Blocks until a message waits or milliseconds have passed.
void waitForMessageFor(uint32_t milliseconds);
// Queues the quit message with its parameter, which becomes the exit code.
void postQuitMessage(int32_t code);
// Drops queued key presses, typed text, mouse presses and wheel turns, e.g.
// after a modal dialog that the user typed into; pointer motion, releases
// and window events stay queued.
void discardQueuedInput();

// Queues message for the window with the given serial (see Window); used by
// Window for repaint, menu and button commands.
void postWindowMessage(uint32_t windowSerial, uint32_t message, uintptr_t wParam, intptr_t lParam);
