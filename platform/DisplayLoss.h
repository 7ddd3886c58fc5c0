#pragma once

// The X server going away (its connection lost) ends the program from inside
// Xlib, with no way back to the run loop. Before it does, keepWork runs on
// the thread that noticed (it must not use the display: write files only);
// the program then ends with exit code 1. Install once the window exists;
// the dialogs' toolkit installs its own handler when it starts, so the
// platform puts this one back then.
using KeepWorkFunction = void (*)();
void onDisplayLost(KeepWorkFunction keepWork);
// Puts the handler back after another library replaced it (nothing when
// onDisplayLost was never called).
void reinstallDisplayLossHandler();
