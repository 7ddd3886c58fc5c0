// Arbitrary text run as a city script in the sandbox on a small world, with
// small limits: nothing may crash, hang or leak, and a script that fails
// must leave the world's bytes as they were.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/MyTamoEngineCore.h"
#include "script/CityScript.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MyTamoEngineCore core(nullptr, nullptr, nullptr, 100, 3, 4);
    core.sprites = new TamoSpriteObjectSet(&core);
    core.map = new TamoMap(&core);
    core.history = new WorldHistory(*core.map, *core.sprites);
    const std::vector<uint8_t> before = MapFile::snapshotWorld(*core.map, *core.sprites);

    ScriptLimits limits;
    limits.seconds = 0.1;
    limits.hookInstructions = 1000;
    limits.changes = 20000;
    limits.memoryBytes = size_t{16} << 20;
    CityScript script(*core.map, *core.sprites, core.history);
    script.setLimits(limits);
    ScriptCity::Surroundings around;
    around.textureLoaded = [](int32_t texture) { return texture >= 100 && texture <= 110; };
    around.print = [](const std::string&) {};
    script.setSurroundings(around);
    const CityScript::Result result =
        script.runText(std::string(reinterpret_cast<const char*>(data), size), "fuzz.lua", "/");
    if (!result.done && MapFile::snapshotWorld(*core.map, *core.sprites) != before)
        std::abort();
    if (result.done && core.history->canUndo()) {
        core.history->undo();
        if (MapFile::snapshotWorld(*core.map, *core.sprites) != before)
            std::abort();
    }
    return 0;
}
