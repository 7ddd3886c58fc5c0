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
// An error message with one OK button (Return or Escape), owned by no
// window; it waits until the person dismisses it. For an error that ends
// the program at start: a person who started it from a desktop menu sees no
// terminal. Without a display it returns at once.
void showErrorMessage(const char* title, const char* text);
