#include "platform/GtkDialogSupport.h"

// GTK, GDK and X11 headers stay in this file and the dialogs: X11 defines
// macros that clash with ordinary names elsewhere.
#include <SDL.h>
#include <SDL_syswm.h>
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAMO_LEAK_CHECKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(TAMO_LEAK_CHECKS)
#define TAMO_LEAK_CHECKS 1
#endif
#ifdef TAMO_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

#include "platform/DisplayLoss.h"
#include "platform/KeyState.h"
#include "platform/MessagePump.h"

namespace {

// While a signal or the session asks the program to end, every dialog
// closes as if cancelled: nobody may be there to answer, and the caller
// then sees quitRequested() and lets the run end with the work kept.
void closeDialogsForQuit() {
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next)
        if (GTK_IS_DIALOG(item->data) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_DELETE_EVENT);
    g_list_free(windows);
}

gboolean pumpSdl(gpointer) {
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_PumpEvents();
        if (quitRequested())
            closeDialogsForQuit();
    }
    return G_SOURCE_CONTINUE;
}

// Fits the window into the monitor and centres it: the chooser's natural size
// is larger than a 640 x 480 screen.
void clampAndCentre(GtkWidget* widget, gpointer) {
    GtkWindow* window = GTK_WINDOW(widget);
    GdkDisplay* display = gtk_widget_get_display(widget);
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    GdkMonitor* monitor =
        gdkWindow ? gdk_display_get_monitor_at_window(display, gdkWindow) : nullptr;
    if (!monitor)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    int width = 0, height = 0;
    gtk_window_get_size(window, &width, &height);
    const int maxWidth = area.width > 40 ? area.width - 20 : area.width;
    const int maxHeight = area.height > 40 ? area.height - 20 : area.height;
    if (width > maxWidth)
        width = maxWidth;
    if (height > maxHeight)
        height = maxHeight;
    gtk_window_resize(window, width, height);
    gtk_window_move(window, area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
}

// Without a window manager a new window gets no focus; take it explicitly.
gboolean focusOnMap(GtkWidget* widget, GdkEvent*, gpointer) {
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    if (gdkWindow)
        gdk_window_focus(gdkWindow, GDK_CURRENT_TIME);
    return FALSE;
}

}  // namespace

bool gtkReady() {
    static int state = 0;  // 0 untried, 1 ready, -1 unavailable
    if (state == 0) {
        // The dialog must live on the X display the SDL window uses.
        setenv("GDK_BACKEND", "x11", 0);
        gtk_disable_setlocale();  // keep "C" number formatting for the map files
        // Fixes GIO's MIME folders before anything reads types: set later,
        // they make GIO read its MIME tables again and lose the first ones.
        g_content_type_get_mime_dirs();
        state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
        reinstallDisplayLossHandler();  // GDK put in its own
    }
    return state == 1;
}

void drainGtk() {
    while (gtk_events_pending())
        gtk_main_iteration_do(FALSE);
}

void prepareDialogWindow(GtkWidget* dialog) {
    g_signal_connect(dialog, "map", G_CALLBACK(clampAndCentre), nullptr);
    g_signal_connect(dialog, "map-event", G_CALLBACK(focusOnMap), nullptr);
}

void focusDialog(GtkWidget* dialog) {
    focusOnMap(dialog, nullptr, nullptr);
}

void makeTransientFor(GtkWidget* dialog, SDL_Window* owner) {
#ifdef GDK_WINDOWING_X11
    if (!owner)
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(owner, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (!GDK_IS_X11_DISPLAY(display))
        return;
    GdkWindow* foreign = gdk_x11_window_foreign_new_for_display(display, info.info.x11.window);
    if (!foreign)
        return;
    gtk_widget_realize(dialog);
    gdk_window_set_transient_for(gtk_widget_get_window(dialog), foreign);
    g_object_set_data_full(G_OBJECT(dialog), "tamo-owner", foreign, g_object_unref);
#else
    (void)dialog;
    (void)owner;
#endif
}

int32_t runChooserLoop(GtkWidget* dialog) {
#ifdef TAMO_LEAK_CHECKS
    __lsan::ScopedDisabler uncheckedWhileGtkRuns;
#endif
    return gtk_dialog_run(GTK_DIALOG(dialog));
}

uint32_t startSdlPump() {
    return g_timeout_add(50, pumpSdl, nullptr);
}

void stopSdlPump(uint32_t source) {
    g_source_remove(source);
}

// Gives the SDL window back its focus and forgets what was typed meanwhile.
void returnToOwner(SDL_Window* owner) {
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    if (owner) {
        SDL_RaiseWindow(owner);
        SDL_SetWindowInputFocus(owner);  // without a window manager raising does not focus
    }
    discardQueuedInput();
    flushKeyStates();
}
