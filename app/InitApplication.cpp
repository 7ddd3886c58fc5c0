#include "app/InitApplication.h"

#include "app/MainWindow.h"
#include "media/Archive.h"
#include "platform/ScreenSize.h"
#include "platform/WindowDescription.h"

namespace {

struct ArchiveMember {
    const char* name;
    int32_t size;
};

// The archive's layout: members end to end in this order.
constexpr ArchiveMember ArchiveMembers[] = {
    {"Media\\Block0_8.raw", 192},           {"Media\\Block1_16.raw", 768},
    {"Media\\Font16x16_256128.raw", 98304}, {"Media\\Sky51232.raw", 49152},
    {"Media\\Sprites512.raw", 786432},      {"Media\\InterfaceSprites512256.raw", 393216},
};

}  // namespace

void declareArchive() {
    setArchiveFile("TamoData.arc");
    for (const ArchiveMember& member : ArchiveMembers)
        addArchiveEntry(member.name, member.size);
}

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
    declareArchive();
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
