#pragma once
#include <cstdint>
#include <string>

#include "script/ScriptCity.h"
#include "script/ScriptLimits.h"

class TamoMap;
class TamoSpriteObjectSet;
class WorldHistory;

// Runs a city script (Lua text from someone else) in a sandbox on a world,
// as one action: everything it changed is committed to the world and its
// history at once when it ends well; when it fails (an error, a limit, a
// refused call) the world is as it was before it ran.
class CityScript {
public:
    struct Result {
        bool done = false;
        // Cells changed (each once), and figures added or removed.
        int64_t cells = 0;
        int64_t figures = 0;
        // On failure: "file:line: message" (the file's name without folder).
        std::string message;
    };
    // Scripts larger than this are refused unread.
    static constexpr int64_t MostScriptBytes = int64_t{16} << 20;

    // Works on map and sprites, whose history (null: none) gets the action;
    // all must outlive the runs.
    CityScript(TamoMap& map, TamoSpriteObjectSet& sprites, WorldHistory* history);

    void setLimits(const ScriptLimits& limits) { limit = limits; }
    // What the calls see around the world (textures, selection, printing);
    // the folder is set by runFile.
    void setSurroundings(const ScriptCity::Surroundings& surroundings) { around = surroundings; }

    // Reads the script file and runs it; stamps are read from its folder.
    Result runFile(const std::string& path);
    // Runs text as the script of file name, stamps read from folder.
    Result runText(const std::string& text, const std::string& name, const std::string& folder);

private:
    TamoMap& map;
    TamoSpriteObjectSet& sprites;
    WorldHistory* history;
    ScriptLimits limit;
    ScriptCity::Surroundings around;
};
