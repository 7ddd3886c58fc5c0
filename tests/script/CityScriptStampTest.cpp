// city.stamp pastes a .map file as Ctrl+V pastes the clipboard, in every
// turn and mirror, and reads only files inside the script's folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "script/CityScript.h"
#include "support/ScratchFolder.h"
#include "world/Clipboard.h"
#include "world/MapFile.h"
#include "world/RegionEdit.h"
#include "world/StampFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"

namespace {

struct World {
    TestHost host{nullptr, nullptr, nullptr, 100, 3, 4};
    World() {
        host.sprites = new TamoSpriteObjectSet(&host);
        host.map = new TamoMap(&host);
    }
    std::vector<uint8_t> bytes() {
        std::vector<uint8_t> out;
        MapFile::snapshotWorld(*host.map, *host.sprites, MapFormat::RecordOrder::Canonical, &out);
        return out;
    }
    CityScript::Result run(const std::string& text, const std::string& folder) {
        CityScript script(*host.map, *host.sprites, nullptr);
        return script.runText(text, "stamp.lua", folder);
    }
};

TEST(CityScriptStampTest, AStampIsPastedAsCtrlVPastesItsClipboardInEveryTurn) {
    ScratchFolder folder("tamo-stamp");
    std::filesystem::create_directories(folder.path("parts"));
    // A house of mixed faces with a figure, copied and saved as a stamp.
    World source;
    const CellBox house(4000, 4000, 4000, 4004, 4002, 4002);
    ASSERT_TRUE(source
                    .run("city.hollow(4000, 4000, 4000, 4004, 4002, 4002, "
                         "city.material{texture = 101, rotation = 1})\n"
                         "city.set(4001, 4001, 4000, city.material{texture = 105})\n"
                         "city.figure(4003, 4000, 4001, 2, 'IN', 30)\n",
                         folder.path())
                    .done);
    Clipboard copied;
    ASSERT_TRUE(
        RegionEdit(*source.host.map, *source.host.sprites, nullptr).copy(house, &copied).done);
    ASSERT_TRUE(StampFile::saveFile(folder.path("parts/house.map").c_str(), copied));
    for (int turns = -1; turns <= 4; ++turns)
        for (bool mirror : {false, true}) {
            Clipboard placed;
            ASSERT_TRUE(
                StampFile::loadFile(folder.path("parts/house.map").c_str(), 10, 15, &placed));
            for (int k = 0; k < (turns + 4) % 4; ++k)
                placed.rotateQuarter();
            if (mirror)
                placed.mirror();
            World pasted, scripted;
            RegionEdit(*pasted.host.map, *pasted.host.sprites, nullptr)
                .paste(placed, 4010, 3999, 3995);
            const CityScript::Result result =
                scripted.run("city.stamp('parts/house.map', 4010, 3999, 3995, " +
                                 std::to_string(turns) + ", " + (mirror ? "true" : "false") + ")",
                             folder.path());
            ASSERT_TRUE(result.done) << result.message;
            EXPECT_EQ(result.figures, 1);
            EXPECT_TRUE(scripted.bytes() == pasted.bytes()) << turns << ' ' << mirror;
        }
    // Nothing outside the script's folder, whatever the name says.
    ASSERT_EQ(symlink("/etc/hostname", folder.path("parts/outside.map").c_str()), 0);
    World other;
    for (const char* path :
         {"parts/outside.map", "/tmp/x.map", "parts/../parts/house.map", "parts/house.lua"})
        EXPECT_FALSE(
            other.run(std::string("city.stamp('") + path + "', 4000, 4000, 4000)", folder.path())
                .done)
            << path;
}

}  // namespace
