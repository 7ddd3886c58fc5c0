#include "platform/PlatformInit.h"

#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/KeyState.h"

namespace {

bool showsNothing(const char* driver) {
    for (const char* unseen : {"offscreen", "dummy", "evdev"})
        if (SDL_strcasecmp(driver, unseen) == 0)
            return true;
    return false;
}

// Whether the comma-separated list names driver (ignoring letter case).
bool namedIn(const char* list, const char* driver) {
    const size_t length = std::strlen(driver);
    for (const char* item = list; item != nullptr && *item != '\0';) {
        const char* end = std::strchr(item, ',');
        const size_t itemLength = end ? static_cast<size_t>(end - item) : std::strlen(item);
        if (itemLength == length && SDL_strncasecmp(item, driver, length) == 0)
            return true;
        item = end ? end + 1 : nullptr;
    }
    return false;
}

// SIGHUP (the terminal closed) and SIGQUIT end the run as SIGTERM does: SDL
// turns SIGTERM into its quit event, which closes the window with the work
// autosaved. Raising SIGTERM is safe inside a handler.
void endLikeTerm(int) {
    raise(SIGTERM);
}

void treatLikeTerm(int signalNumber) {
    struct sigaction term {};
    struct sigaction current {};
    if (sigaction(SIGTERM, nullptr, &term) != 0 || term.sa_handler == SIG_DFL ||
        term.sa_handler == SIG_IGN)
        return;  // SDL did not take SIGTERM: leave the default
    if (sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
        return;  // ignored (nohup) or someone else's
    struct sigaction action {};
    action.sa_handler = &endLikeTerm;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
}

std::string noDisplayMessage() {
    const char* display = std::getenv("DISPLAY");
    const std::string cause = display && *display ? std::string("cannot reach DISPLAY=") + display
                                                  : std::string("DISPLAY is not set");
    return "no display found (" + cause +
           "): start Tamotown from a desktop session, or set DISPLAY to a running X server "
           "(for example: xvfb-run tamotown); SDL_VIDEODRIVER=offscreen runs it unseen on purpose";
}

}  // namespace

bool videoDriverAcceptable(const char* driver, const char* requested) {
    if (driver == nullptr)
        return false;
    return !showsNothing(driver) || namedIn(requested, driver);
}

bool initPlatform() {
    static bool started = false;
    static bool refused = false;
    if (started)
        return true;
    if (refused) {
        // Every caller that reports the failure reads it from SDL's error.
        SDL_SetError("%s", noDisplayMessage().c_str());
        return false;
    }
    // A full-screen window must not minimise itself while a file dialog has
    // the focus, and the click that focuses the window is a real click.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Closing the window is the window's own question (it may ask about
    // unsaved work and stay); only a signal or the session ends at once.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
        return false;
    // Without a display SDL falls back to a driver that draws into memory:
    // the program would run unseen until killed.
    if (!videoDriverAcceptable(SDL_GetCurrentVideoDriver(), SDL_GetHint(SDL_HINT_VIDEODRIVER))) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        refused = true;
        SDL_SetError("%s", noDisplayMessage().c_str());
        return false;
    }
    treatLikeTerm(SIGHUP);
    treatLikeTerm(SIGQUIT);
    startKeyStateWatch();
    started = true;
    return true;
}
