#include "app/ScriptCommand.h"

#include <filesystem>
#include <ostream>

#include "app/HeadlessCity.h"
#include "app/TextureIds.h"
#include "engine/TamoEngineCore.h"
#include "script/CityScript.h"
#include "world/MapFile.h"

namespace ScriptCommand {

int runOnFile(const std::string& script, const std::string& city, std::ostream& out,
              std::ostream& err) {
    HeadlessCity world;
    std::string why;
    std::error_code error;
    if (std::filesystem::exists(city, error) && !world.load(city, &why)) {
        err << "tamotown: " << city << ": " << why << "\n";
        return 1;
    }
    // The textures a script may name are the ones the program would load.
    if (!world.loadMedia(&why)) {
        err << "tamotown: " << script << ": " << why << "\n";
        return 1;
    }
    ScriptCity::Surroundings surroundings;
    const auto& images = world.images();
    surroundings.textureLoaded = [&images](int32_t texture) {
        return texture != WorldSheetTextureId && images.count(texture) > 0;
    };
    surroundings.print = [&out](const std::string& line) { out << line << "\n"; };
    CityScript runner(world.map(), world.sprites(), nullptr);
    runner.setSurroundings(surroundings);
    const CityScript::Result result = runner.runFile(script);
    if (!result.done) {
        err << "tamotown: " << result.message << "\n";
        return 1;
    }
    if (!MapFile::saveWorld(city.c_str(), world.map(), world.sprites(), &why)) {
        err << "tamotown: " << city << ": " << why << "\n";
        return 1;
    }
    out << city << ": " << result.cells << " cells changed";
    if (result.figures > 0)
        out << ", " << result.figures << (result.figures == 1 ? " figure" : " figures")
            << " added or removed";
    out << "\n";
    return 0;
}

ScriptCity::Surroundings inProgram(const TamoEngineCore& core,
                                   std::function<void(const std::string&)> print) {
    ScriptCity::Surroundings surroundings;
    const WorldSettings& settings = core;
    surroundings.textureLoaded = [&settings](int32_t texture) {
        int32_t r = 0, g = 0, b = 0;
        return settings.getTextureColour(texture, r, g, b);
    };
    if (core.selection.active())
        surroundings.selection = core.selection.box();
    surroundings.print = std::move(print);
    return surroundings;
}

}  // namespace ScriptCommand
