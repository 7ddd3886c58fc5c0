#pragma once
#include <string>

#include "script/ScriptLimits.h"

class StatusCaption;
class TamoEngineCore;
struct MapFileCommands;
enum class KeyCommand;

// Ctrl+R and F5: a city script chosen in the file chooser, or the last one
// again, run on the world as one undoable action (in a shared city it goes
// to the server as one action, as a fill does). The caption gives the
// changes made, or the error with its line.
class ScriptKeys {
public:
    ScriptKeys(TamoEngineCore& core, StatusCaption& caption);

    // RunScript asks for a file through commands' dialog; RunScriptAgain runs
    // the last one.
    void run(KeyCommand command, const MapFileCommands& commands);
    // Runs the script at path as the keys do; true when it ran to its end.
    bool runFile(const std::string& path);
    const std::string& lastScript() const { return last; }
    void setLimits(const ScriptLimits& limits) { limit = limits; }

private:
    TamoEngineCore& core;
    StatusCaption& caption;
    ScriptLimits limit;
    std::string last;
};
