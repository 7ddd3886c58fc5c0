#pragma once
#include <cstdint>

// A modal question over the SDL window (ownerWindow: its SDL_Window*, 0 for
// none): title, text and count buttons whose labels mark their mnemonic with
// '_' ("_Save" answers Alt+S). Return chooses defaultButton; Escape and a
// close of the dialog choose cancelButton. Returns the index of the button
// chosen; cancelButton when no display is available.
int32_t askQuestion(uintptr_t ownerWindow, const char* title, const char* text,
                    const char* const* buttons, int32_t count, int32_t defaultButton,
                    int32_t cancelButton);
