// Whole map files through the parser and the loader. A file the parser
// accepts loads, and saving the world then gives back the very bytes that
// were loaded; a file it refuses fails to load with a reason and leaves the
// world (the last one loaded) exactly as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/MyTamoEngineCore.h"
#include "fuzz/ScratchFile.h"
#include "media/FileStream.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// No GL context: sectors still build their quad tables; GL calls without a
// current context do nothing.
struct World {
    MyTamoEngineCore core{nullptr, nullptr, nullptr, 100, 3, 4};
    World() { core.buildWorld(WorldHost::History::None); }
};

const fuzz::ScratchFile input;
const fuzz::ScratchFile saved;

std::vector<uint8_t> savedBytes(World& world) {
    FileStream stream(saved.c_str(), "wb");
    if (!world.core.map->save(stream) || !world.core.sprites->save(stream) || !stream.close())
        fuzz::finding("the world cannot be saved");
    return saved.read();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Kept across inputs (and so never freed): each failed load must leave
    // whatever the last successful one made.
    static World* world = new World;
    // The world as saved: the start world, then the last file that loaded.
    static std::vector<uint8_t> current = savedBytes(*world);
    input.write(data, size);

    MapFormat::WorldRecords records;
    const bool parsed = MapFormat::parseWorld(data, size, &records, nullptr);
    std::string why;
    const bool loaded =
        MapFile::loadWorld(input.c_str(), *world->core.map, *world->core.sprites, &why);
    if (loaded != parsed)
        fuzz::finding("the parser and the loader disagree");
    if (loaded) {
        current.assign(data, data + size);
        if (savedBytes(*world) != current)
            fuzz::finding("a loaded world does not save to the bytes it was loaded from");
    } else {
        if (why.empty())
            fuzz::finding("a refused file gives no reason");
        if (savedBytes(*world) != current)
            fuzz::finding("a refused file changed the world");
    }
    return 0;
}
