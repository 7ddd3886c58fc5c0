#include <iostream>
#include <string>

#include "app/ApplicationRunner.h"
#include "app/Autosave.h"
#include "app/CityCommands.h"
#include "app/InitApplication.h"
#include "app/ProgramOptions.h"
#include "app/ScriptCommand.h"
#include "app/ServeCommand.h"
#include "platform/Window.h"
#include "platform/WindowRegistry.h"

namespace {

// The words after the program's own name, joined by blanks.
std::string commandTail(int argc, char** argv) {
    std::string tail;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            tail += ' ';
        tail += argv[i];
    }
    return tail;
}

// A quit message ends the run loop with the main window still open; closing
// it here restores the display mode and releases the GL context.
void closeRemainingWindows() {
    for (int32_t i = 0; i < windowRegistryCapacity(); ++i) {
        if (Window* window = windowRegistrySlot(i)) {
            delete window;
            i = -1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    const int early = ProgramOptions::parse(argc, argv, &options, std::cout, std::cerr);
    if (early >= 0)
        return early;
    // Commands on a world file end without a window.
    if (!options.exportCity.empty())
        return CityCommands::exportCity(options.exportCity, options.exportFile,
                                        options.keepPosition, std::cout, std::cerr);
    if (!options.infoCity.empty())
        return CityCommands::printInfo(options.infoCity, std::cout, std::cerr);
    if (!options.scriptFile.empty())
        return ScriptCommand::runOnFile(options.scriptFile, options.scriptCity, std::cout,
                                        std::cerr);
    if (!options.serveCity.empty())
        return ServeCommand::run(options, std::cerr);
    useProgramOptions(options);
    const std::string tail = commandTail(argc, argv);
    const int result = runApplication(tail.c_str(), initApplication, nullptr, nullptr);
    closeRemainingWindows();
    // A run that could not keep its unsaved work must not look successful.
    if (mainWindowFailed() || Autosave::finalWriteFailed())
        return 1;
    return result;
}
