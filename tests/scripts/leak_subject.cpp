// A program for the leak suppression test: it starts SDL with a GL window
// and GTK with a file chooser through the platform layer's start-up, the
// way the program does, and frees what it made. With the argument "leak"
// it keeps one SDL surface and the chooser's folder name (a GLib string it
// owns) unfreed, and prints their sizes for the test to find in the report.
// Usage: leak_subject folder [leak]
#include <SDL.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>

#include "platform/GtkDialogSupport.h"
#include "platform/PlatformInit.h"

namespace {

bool keepLeaks = false;
const char* startFolder = "/";

// The pointers die with this frame, so nothing still refers to a leak.
__attribute__((noinline)) bool useSdlAndGtk() {
    SDL_Window* window = SDL_CreateWindow("Leak Subject", 0, 0, 64, 48, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 32, SDL_PIXELFORMAT_RGBA32);
    if (!context || !surface)
        return false;
    GtkWidget* chooser =
        gtk_file_chooser_dialog_new("Leak Subject", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
                                    "_Cancel", GTK_RESPONSE_CANCEL, nullptr);
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), startFolder);
    // Shown and closed through the program's dialog loop.
    g_timeout_add(
        300,
        [](gpointer dialog) -> gboolean {
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
            return G_SOURCE_REMOVE;
        },
        chooser);
    runChooserLoop(chooser);
    gchar* folder = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(chooser));
    gtk_widget_destroy(chooser);
    drainGtk();
    std::printf("surface %zu\nfolder %zu\n", sizeof(SDL_Surface),
                folder ? std::strlen(folder) + 1 : 0);
    if (!keepLeaks) {
        g_free(folder);
        SDL_FreeSurface(surface);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return true;
}

// Overwrites the stack the work used, where copies of the pointers may linger.
__attribute__((noinline)) void scrubStack() {
    volatile char junk[1 << 16];
    for (volatile char& c : junk)
        c = 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1)
        startFolder = argv[1];
    keepLeaks = argc > 2 && std::strcmp(argv[2], "leak") == 0;
    if (!initPlatform() || !gtkReady()) {
        std::fprintf(stderr, "leak_subject: no display: %s\n", SDL_GetError());
        return 2;
    }
    const bool worked = useSdlAndGtk();
    scrubStack();
    return worked ? 0 : 2;
}
