#pragma once
#include <cstdint>

#include "app/CommandLine.h"
#include "platform/FrameTime.h"

using InitCallback = bool (*)();
using ExitCallback = void (*)();
using FrameCallback = bool (*)();

// Runs the program: splits the command line, seeds rand, forgets earlier key
// presses, calls init (returning 0 at once when it returns false), then
// alternates message handling and frames until the last window is gone or
// frame returns false (0), or the quit message arrives (its parameter).
// Every callback may be null.
int32_t runApplication(const char* commandLine, InitCallback init, ExitCallback exit,
                       FrameCallback frame);

// While on, frames go on when no window is active, at most one per
// InactiveFrameMilliseconds (messages still answered at once): a shared
// city keeps its connection and shows others' changes behind other windows.
// Off (the default), an inactive program sleeps until a message comes.
constexpr uint32_t InactiveFrameMilliseconds = 50;
void keepFramesWhileInactive(bool on);
// Lets the next frame while no window is active run without that wait: a
// shared city that applied others' changes draws them in the frame right
// after, not InactiveFrameMilliseconds later.
void frameAgainAtOnce();
// How the loop waits between inactive frames (for at most the milliseconds
// given, returning early for a message); null restores the message pump's
// wait. For tests.
void setInactiveWait(void (*wait)(uint32_t milliseconds));
