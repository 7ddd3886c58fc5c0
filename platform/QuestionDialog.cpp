#include "platform/QuestionDialog.h"

#include <SDL.h>
#include <gtk/gtk.h>

#include "platform/GtkDialogSupport.h"

namespace {

int32_t runMessageDialog(GtkMessageType type, uintptr_t ownerWindow, const char* title,
                         const char* text, const char* const* buttons, int32_t count,
                         int32_t defaultButton, int32_t cancelButton) {
    if (!gtkReady())
        return cancelButton;
    SDL_Window* owner = reinterpret_cast<SDL_Window*>(ownerWindow);
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE,
                                               "%s", text ? text : "");
    gtk_window_set_title(GTK_WINDOW(dialog), title ? title : "");
    // Response ids are the button indices; GTK's own (Escape, close) are negative.
    for (int32_t i = 0; i < count; ++i)
        gtk_dialog_add_button(GTK_DIALOG(dialog), buttons[i], i);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), defaultButton);
    if (GtkWidget* chosen = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), defaultButton))
        gtk_widget_grab_focus(chosen);
    prepareDialogWindow(dialog);
    makeTransientFor(dialog, owner);
    const uint32_t pump = startSdlPump();
    const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
    stopSdlPump(pump);
    gtk_widget_destroy(dialog);
    drainGtk();
    returnToOwner(owner);
    return response >= 0 && response < count ? response : cancelButton;
}

}  // namespace

int32_t askQuestion(uintptr_t ownerWindow, const char* title, const char* text,
                    const char* const* buttons, int32_t count, int32_t defaultButton,
                    int32_t cancelButton) {
    return runMessageDialog(GTK_MESSAGE_QUESTION, ownerWindow, title, text, buttons, count,
                            defaultButton, cancelButton);
}

void showErrorMessage(const char* title, const char* text) {
    const char* const ok[] = {"_OK"};
    runMessageDialog(GTK_MESSAGE_ERROR, 0, title, text, ok, 1, 0, 0);
}
