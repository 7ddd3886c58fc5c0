#pragma once
#include <cstdint>

typedef struct _GtkWidget GtkWidget;
struct SDL_Window;

// What every GTK dialog of the program does around the SDL window (the
// traps of running GTK beside SDL without a window manager): one home for
// the file chooser and the question dialogs.

// Starts GTK on the X display once; false when no display is available.
bool gtkReady();
// Handles what GTK still has queued (a destroyed dialog leaves the screen).
void drainGtk();
// Clamps the dialog into the monitor and centres it when mapped, and gives
// it the keyboard focus then (nobody else does without a window manager).
void prepareDialogWindow(GtkWidget* dialog);
// Focuses a dialog's window now.
void focusDialog(GtkWidget* dialog);
// Keeps the dialog above the SDL window.
void makeTransientFor(GtkWidget* dialog, SDL_Window* owner);
// Runs the file chooser's modal loop (gtk_dialog_run) and returns the
// response. In sanitizer builds leak checking ignores what this thread
// allocates meanwhile: GTK's chooser loses the names it caches for files
// that leave a folder it shows (another program emptying /tmp is enough).
// What is allocated before and after the loop (the dialog, its filters, the
// chosen name) is still checked.
int32_t runChooserLoop(GtkWidget* dialog);
// Services SDL every 50 ms while a modal dialog runs; returns the source id.
uint32_t startSdlPump();
void stopSdlPump(uint32_t source);
// Gives the SDL window back its focus and forgets what was typed meanwhile.
void returnToOwner(SDL_Window* owner);
