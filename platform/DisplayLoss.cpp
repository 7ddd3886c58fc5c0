#include "platform/DisplayLoss.h"

#include <X11/Xlib.h>

#include <unistd.h>

namespace {

KeepWorkFunction keeper = nullptr;

int displayLost(Display*) {
    static bool running = false;
    if (keeper && !running) {
        running = true;
        keeper();
    }
    // Returning would let Xlib exit anyway; the program's own exit handlers
    // would touch the dead display.
    _exit(1);
}

}  // namespace

void onDisplayLost(KeepWorkFunction keepWork) {
    keeper = keepWork;
    XSetIOErrorHandler(&displayLost);
}

void reinstallDisplayLossHandler() {
    if (keeper)
        XSetIOErrorHandler(&displayLost);
}
