#include "app/InitApplication.h"

#include <cstdio>
#include <memory>
#include <string>

#include "app/Autosave.h"
#include "app/FirstStartMarker.h"
#include "app/MainWindow.h"
#include "app/PasswordFile.h"
#include "app/SharedSession.h"
#include "app/MediaFolder.h"
#include "media/MediaArchive.h"
#include "platform/DisplayLoss.h"
#include "platform/GLContext.h"
#include "platform/QuestionDialog.h"
#include "platform/ScreenSize.h"
#include "platform/WindowDescription.h"
#include "platform/WindowRegistry.h"

WindowDescription mainWindowDescription(const ProgramOptions& options) {
    WindowDescription description;
    description.title = "Tamotown";
    description.width = 640;
    description.height = 480;
    description.noBackgroundBrush = true;
    description.resizable = false;
    description.parent = nullptr;
    description.fullScreen = !options.windowed;
    description.bitsPerPixel = 32;
    description.scale = options.scale;
    return description;
}

namespace {
bool windowFailed = false;
ProgramOptions startOptions;

// The X server went away: the window cannot close normally, but its unsaved
// work can still be written.
void keepWorkOfLostDisplay() {
    std::fprintf(stderr, "tamotown: the connection to the display was lost\n");
    for (int32_t i = 0; i < windowRegistryCapacity(); ++i)
        if (auto* window = dynamic_cast<MainWindow*>(windowRegistrySlot(i)))
            window->keepUnsavedWork();
}

// Said on standard error and, for a person who started the program from a
// desktop menu and sees no terminal, in a message box.
void reportNoOpenGL(const std::string& reason) {
    const std::string text = "OpenGL is not available: " + reason;
    std::fprintf(stderr, "tamotown: %s\n", text.c_str());
    const std::string shown =
        text +
        "\n\nTamotown draws with OpenGL 1.1 or later, which the display's driver must offer.";
    showErrorMessage("Tamotown cannot start", shown.c_str());
}

}  // namespace

void useProgramOptions(const ProgramOptions& options) {
    startOptions = options;
}

namespace {

// The shared city replaces the world when it arrives; until then, and
// without it, the window shows the new world.
void joinSharedCity(MainWindow& window) {
    std::string password, why;
    if (!startOptions.passwordFile.empty() &&
        !readPasswordFile(startOptions.passwordFile, &password, &why)) {
        std::fprintf(stderr, "tamotown: %s\n", why.c_str());
        return;
    }
    auto session = std::make_unique<SharedSession>(*window.getEngineCore());
    if (!session->join(startOptions.joinAddress, startOptions.name, password, &why))
        std::fprintf(stderr, "tamotown: cannot join %s: %s\n", startOptions.joinAddress.c_str(),
                     why.c_str());
    window.useSharedSession(std::move(session));
}

// The first start in this account names the key of the key table, once the
// start's own captions (a recovery, a failed load) have had their turn.
void greetFirstStart(MainWindow& window) {
    const FirstStartMarker marker = FirstStartMarker::standard();
    if (marker.present() || !window.showKeysHint())
        return;
    std::string why;
    if (!marker.write(&why))
        std::fprintf(stderr, "tamotown: cannot note the first start in %s: %s\n",
                     marker.path().c_str(), why.c_str());
}

}  // namespace

bool initApplication() {
    // The archive marks the media folder; the loose textures and the click
    // sound lie beside it.
    setMediaFolder(MediaFolder::locate(MediaFolder::standardPlaces(), MediaArchiveFile));
    declareMediaArchive(mediaFolder().path(MediaArchiveFile).c_str());
    ScreenWidth = 640;
    ScreenHeight = 480;
    // The window lives in the window registry and deletes itself when closed.
    MainWindow* window = new MainWindow(mainWindowDescription(startOptions));
    const bool opened = window->getHandle("WindowHandler") != 0;
    std::string noOpenGL = window->openGLFailure();
    if (opened && !window->getGLContext()->hasRenderingContext())
        noOpenGL = window->getGLContext()->unavailableReason();
    if (!opened || !noOpenGL.empty()) {
        // Without a window, or with one nothing can be drawn in, end at once
        // rather than run frames for nobody or show a black window.
        delete window;
        if (!noOpenGL.empty())
            reportNoOpenGL(noOpenGL);
        windowFailed = true;
        return false;
    }
    window->reportStatistics(startOptions.stats);
    // Also with --autosave 0: an earlier run's autosave is still offered.
    auto autosave = std::make_unique<Autosave>(
        Autosave::standardFolder(), static_cast<uint32_t>(startOptions.autosaveSeconds) * 1000u);
    std::string why;
    if (autosave->start(&why)) {
        if (autosave->slot() > 1 && autosave->writes())
            std::fprintf(stderr,
                         "tamotown: another Tamotown is running: this run autosaves to %s\n",
                         autosave->path().c_str());
        window->useAutosave(std::move(autosave));
    } else if (startOptions.autosaveSeconds > 0) {
        std::fprintf(stderr, "tamotown: this run does not autosave: %s\n", why.c_str());
    }
    onDisplayLost(&keepWorkOfLostDisplay);
    if (!startOptions.joinAddress.empty()) {
        // The caption says how the joining goes: the greeting waits.
        joinSharedCity(*window);
        return true;
    }
    // Recovered work wins over the file named: it is that file's later state.
    if (!window->offerRecovery() && !startOptions.cityFile.empty())
        window->openMapFile(startOptions.cityFile.c_str());
    greetFirstStart(*window);
    return true;
}

bool mainWindowFailed() {
    return windowFailed;
}
