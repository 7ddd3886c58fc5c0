#include "app/ScriptKeys.h"

#include <cstdio>
#include <cstring>

#include "app/KeyTable.h"
#include "app/MapFileCommands.h"
#include "app/ScriptCommand.h"
#include "app/StatusCaption.h"
#include "engine/TamoEngineCore.h"
#include "platform/FileDialog.h"
#include "platform/SystemClock.h"
#include "script/CityScript.h"

namespace {

constexpr const char ScriptFilter[] = "Lua City Scripts (*.lua)\0*.lua\0All Files (*.*)\0*.*\0";
constexpr uint32_t FailureMilliseconds = 6000;
// What the caption's second line holds before it runs off the screen.
constexpr size_t DetailCharacters = 70;

std::string shortened(const std::string& text) {
    return text.size() <= DetailCharacters ? text : text.substr(0, DetailCharacters - 3) + "...";
}

}  // namespace

ScriptKeys::ScriptKeys(TamoEngineCore& core_, StatusCaption& caption_)
        : core(core_), caption(caption_) {}

void ScriptKeys::run(KeyCommand command, const MapFileCommands& commands) {
    if (command == KeyCommand::RunScriptAgain) {
        if (last.empty())
            caption.show("NO SCRIPT RUN YET", getTickCount());
        else
            runFile(last);
        return;
    }
    char name[MapFileNameBufferSize] = {};
    std::snprintf(name, sizeof name, "%s", last.empty() ? "city.lua" : last.c_str());
    const FileDialogFunction show = commands.dialog != nullptr ? commands.dialog : &fileDialog;
    if (!show(commands.owner, false, name, MapFileNameBufferSize, ScriptFilter, "lua") ||
        name[0] == '\0')
        return;
    name[MapFileNameBufferSize - 1] = '\0';
    runFile(name);
}

bool ScriptKeys::runFile(const std::string& path) {
    last = path;
    std::string printed;
    CityScript script(*core.map, *core.sprites, core.history);
    script.setLimits(limit);
    script.setSurroundings(ScriptCommand::inProgram(core, [&printed](const std::string& line) {
        std::printf("%s\n", line.c_str());
        printed = line;
    }));
    const CityScript::Result result = script.runFile(path);
    if (!result.done) {
        std::fprintf(stderr, "tamotown: %s\n", result.message.c_str());
        caption.show("SCRIPT FAILED", getTickCount(), FailureMilliseconds,
                     shortened(result.message));
        return false;
    }
    const std::string count = "CHANGED " + std::to_string(result.cells);
    const std::string name = path.substr(path.rfind('/') + 1);
    caption.show(count.c_str(), getTickCount(), StatusCaption::ShowMilliseconds,
                 shortened(printed.empty() ? name : printed));
    return true;
}
