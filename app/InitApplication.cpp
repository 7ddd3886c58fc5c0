#include "app/InitApplication.h"

#include "app/MainWindow.h"
#include "media/MediaArchive.h"
#include "platform/ScreenSize.h"
#include "platform/WindowDescription.h"

WindowDescription mainWindowDescription() {
    WindowDescription description;
    description.title = "Tamotown";
    description.width = 640;
    description.height = 480;
    description.noBackgroundBrush = true;
    description.resizable = false;
    description.parent = nullptr;
    description.fullScreen = true;
    description.bitsPerPixel = 32;
    return description;
}

namespace {
bool windowFailed = false;
}  // namespace

bool initApplication() {
    declareMediaArchive();
    ScreenWidth = 640;
    ScreenHeight = 480;
    // The window lives in the window registry and deletes itself when closed.
    MainWindow* window = new MainWindow(mainWindowDescription());
    if (window->getHandle("WindowHandler") == 0) {
        // Without a window nothing can be shown or closed: end at once rather
        // than run frames for nobody.
        delete window;
        windowFailed = true;
        return false;
    }
    return true;
}

bool mainWindowFailed() {
    return windowFailed;
}
