#include "script/CityScript.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>

#include "script/CityCalls.h"
#include "script/LuaSandbox.h"
#include "world/EditBatch.h"
#include "world/WorldSettings.h"
#include "world/TamoMap.h"

namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

CityScript::Result failed(std::string message) {
    CityScript::Result result;
    result.message = std::move(message);
    return result;
}

}  // namespace

CityScript::CityScript(TamoMap& map_, TamoSpriteObjectSet& sprites_, WorldHistory* history_)
        : map(map_), sprites(sprites_), history(history_) {}

CityScript::Result CityScript::runFile(const std::string& path) {
    const std::string name = baseName(path);
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return failed(name + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return failed(name + ": not a plain file");
    if (info.st_size > MostScriptBytes)
        return failed(name + ": the script is larger than " +
                      std::to_string(MostScriptBytes >> 20) + " MiB");
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return failed(name + ": the script cannot be read");
    return runText(text, name, folderOf(path));
}

CityScript::Result CityScript::runText(const std::string& text, const std::string& name,
                                       const std::string& folder) {
    try {
        EditBatch batch(map, sprites, history);
        batch.setChangeLimit(limit.changes);
        ScriptCity::Surroundings surroundings = around;
        surroundings.folder = folder;
        surroundings.blockWidth = map.worldSettings().blockWidth;
        surroundings.blockHeight = map.worldSettings().blockHeight;
        ScriptCity city(batch, surroundings, limit);
        LuaSandbox sandbox(limit);
        sandbox.countOutside([&batch] { return batch.bytes(); });
        Result result;
        if (!sandbox.state() || !CityCalls::install(sandbox.state(), city)) {
            result.message = name + ": there is not enough memory to run a script";
            return result;
        }
        if (!sandbox.run(text, name, &result.message))
            return result;  // the batch rolls back
        result.figures = static_cast<int64_t>(batch.figuresChanged());
        result.cells = static_cast<int64_t>(batch.commit());
        result.done = true;
        return result;
    } catch (const std::bad_alloc&) {
        return failed(name + ": there is not enough memory to run the script");
    }
}
