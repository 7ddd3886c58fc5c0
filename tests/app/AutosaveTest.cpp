#include "app/Autosave.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "engine/MyTamoEngineCore.h"
#include "support/FileBytes.h"
#include "support/GLTestFixture.h"
#include "support/ScratchFolder.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace fs = std::filesystem;

namespace {

class AutosaveTest : public GLTestFixture {
protected:
    void SetUp() override {
        GLTestFixture::SetUp();
        ASSERT_TRUE(scratch.made());
        folder = scratch.path() + "/state/tamotown";
        core = std::make_unique<MyTamoEngineCore>(gl, nullptr, nullptr, 100, 3, 4);
        core->sprites = new TamoSpriteObjectSet(core.get());
        core->map = new TamoMap(core.get());
        core->history = new WorldHistory(*core->map, *core->sprites);
    }
    void TearDown() override {
        core.reset();
        GLTestFixture::TearDown();
    }
    void tick(Autosave& saver, uint32_t now) {
        saver.tick(now, *core->history, *core->map, *core->sprites, "city.map");
        saver.waitIdle();
    }

    ScratchFolder scratch{"tamo-autosave"};
    std::string folder;
    std::unique_ptr<MyTamoEngineCore> core;
};

TEST_F(AutosaveTest, UnsavedWorkIsWrittenAfterTheIntervalAndRemovedOnceSaved) {
    Autosave saver(folder, 1000);
    std::string why;
    ASSERT_TRUE(saver.start(&why)) << why;
    struct stat info;
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(saver.pending());

    tick(saver, 0);
    tick(saver, 5000);
    EXPECT_FALSE(fs::exists(saver.path())) << "an unchanged world is not autosaved";
    core->sprites->addAt(Vector3(40005.0f, 60015.0f, 40005.0f));
    core->history->closeAction();
    tick(saver, 5500);
    EXPECT_FALSE(fs::exists(saver.path())) << "written before the interval passed";
    tick(saver, 6000);
    ASSERT_TRUE(fs::exists(saver.path()));
    EXPECT_EQ(readFileBytes(saver.path()), MapFile::snapshotWorld(*core->map, *core->sprites));
    EXPECT_EQ(saver.pendingName(), "city.map");
    // The next one keeps the unchanged sector's record and writes the new one's.
    core->map->setBlockAt(Vector3(40305.0f, 60007.0f, 40005.0f), true);
    core->history->closeAction();
    tick(saver, 6500);
    tick(saver, 7000);
    EXPECT_EQ(readFileBytes(saver.path()), MapFile::snapshotWorld(*core->map, *core->sprites));

    // A second program on the same folder autosaves nowhere.
    Autosave second(folder, 1000);
    EXPECT_FALSE(second.start(&why));
    EXPECT_NE(why.find("another"), std::string::npos) << why;
    EXPECT_FALSE(second.pending());

    core->history->markSaved();
    tick(saver, 6100);
    EXPECT_FALSE(fs::exists(saver.path())) << "saved work left its autosave";
}

TEST_F(AutosaveTest, ADamagedAutosaveIsSetAsideAndWritingNowNeedsNoWorker) {
    {
        Autosave first(folder, 1000);
        std::string why;
        ASSERT_TRUE(first.start(&why)) << why;
        EXPECT_TRUE(first.writeNow(*core->map, *core->sprites, "a.map"));
    }  // the lock goes with the program
    Autosave saver(folder, 1000);
    std::string why;
    ASSERT_TRUE(saver.start(&why)) << why;
    ASSERT_TRUE(saver.pending());
    EXPECT_GT(saver.pendingTime(), 0);
    EXPECT_EQ(saver.pendingName(), "a.map");
    saver.setAside();
    EXPECT_FALSE(saver.pending());
    EXPECT_TRUE(fs::exists(saver.path() + ".bad"));
}

}  // namespace
