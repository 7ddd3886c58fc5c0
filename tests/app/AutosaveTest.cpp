#include "app/Autosave.h"
#include "app/RecoveryOffer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <random>

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
        core->buildWorld(WorldHost::History::Kept);
    }
    void TearDown() override {
        core.reset();
        GLTestFixture::TearDown();
    }
    void tick(Autosave& saver, uint32_t now) {
        saver.tick(now, *core->history, *core->map, *core->sprites, WorldFileStamp{"city.map"});
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

    // A second program on the same folder autosaves to a slot of its own and
    // leaves the first's autosave alone (its lock is held).
    Autosave second(folder, 1000);
    ASSERT_TRUE(second.start(&why)) << why;
    EXPECT_EQ(second.path(), folder + "/autosave-2.map");
    EXPECT_FALSE(second.pending());
    std::string notice, detail;
    ASSERT_TRUE(second.takeNotice(&notice, &detail));
    EXPECT_EQ(notice + " " + detail, "AUTOSAVE SLOT 2 autosave-2.map");

    core->history->markSaved();
    tick(saver, 6100);
    EXPECT_FALSE(fs::exists(saver.path())) << "saved work left its autosave";
}

TEST_F(AutosaveTest, ADamagedAutosaveIsSetAsideAndWritingNowNeedsNoWorker) {
    {
        Autosave first(folder, 1000);
        std::string why;
        ASSERT_TRUE(first.start(&why)) << why;
        EXPECT_TRUE(first.writeNow(*core->map, *core->sprites, WorldFileStamp{"a.map"}));
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

// What the world's file was when last loaded or saved goes into the autosave
// with its name: recovered work saved under that name still notices that
// another program saved over the file meanwhile, even while no program ran.
TEST_F(AutosaveTest, RecoveredWorkKnowsWhatItsFileWasWhenLastLoadedOrSaved) {
    const std::string city = scratch.path() + "/city.map";
    writeFileBytes(city, MapFile::snapshotWorld(*core->map, *core->sprites));
    std::string why, damaged;
    auto start = [&] {
        auto saver = std::make_unique<Autosave>(folder, 1000);
        EXPECT_TRUE(saver->start(&why)) << why;
        return saver;
    };
    EXPECT_TRUE(start()->writeNow(*core->map, *core->sprites, WorldFileStamp::of(city)));
    EXPECT_FALSE(start()->pendingFile().changedOnDisk()) << "an unchanged file reads as changed";
    writeFileBytes(city + ".new", MapFile::snapshotWorld(*core->map, *core->sprites));
    fs::rename(city + ".new", city);  // another program's save
    auto saver = start();
    const QuestionFunction recover = [](uintptr_t, const char*, const char*, const char* const*,
                                        int32_t, int32_t, int32_t) { return 0; };
    ASSERT_TRUE(RecoveryOffer::run(*saver, *core->map, *core->sprites, *core->history, recover, 0,
                                   &damaged));
    EXPECT_EQ(core->history->worldFile().name, city);
    EXPECT_TRUE(core->history->worldFile().changedOnDisk()) << "the other program's save is lost";
}

// Random edits, each action left open or closed at random, undos, redos and
// saves, with a tick one interval later after every step: the autosave then
// holds the world as it is (the bytes a save writes) and its name, or is gone
// when the world is saved. Now and then the autosave cannot be written (a
// folder in its place): that is told once, tried again at every interval,
// and told again once it works.
TEST_F(AutosaveTest, ATickAfterEveryStepLeavesTheWorldOnDiskAndAFailureIsRetried) {
    Autosave saver(folder, 1000);
    std::string why, notice, detail;
    ASSERT_TRUE(saver.start(&why)) << why;
    std::mt19937 random(20261208);
    TamoMap& map = *core->map;
    TamoSpriteObjectSet& sprites = *core->sprites;
    WorldHistory& history = *core->history;
    auto point = [&] {
        return Vector3(39990.0f + static_cast<float>(random() % 240),
                       60007.0f + 15.0f * static_cast<float>(random() % 3),
                       39990.0f + static_cast<float>(random() % 240));
    };
    uint32_t now = 0;
    bool blocked = false;
    int failuresTold = 0, recoveriesTold = 0;
    for (int step = 0; step < 120; ++step) {
        const int choice = static_cast<int>(random() % 10);
        if (choice < 4) {
            for (int i = 0, n = 1 + static_cast<int>(random() % 4); i < n; ++i)
                map.setBlockAt(point(), random() % 4 != 0);
        } else if (choice == 4) {
            sprites.addAt(point());
        } else if (choice == 5 && sprites.count() > 0) {
            sprites.deselectAll();
            sprites.object(static_cast<int32_t>(random() % sprites.count())).selected = true;
            history.continueAction("typing");
            sprites.appendNameChar(static_cast<char>('A' + random() % 26));
            sprites.moveSelectedTo(point());
        } else if (choice == 6) {
            history.undo();
        } else if (choice == 7) {
            history.redo();
        } else if (choice == 8) {
            history.markSaved();
        } else if (!blocked) {
            fs::remove(saver.path());
            ASSERT_TRUE(fs::create_directories(saver.path() + "/x"));  // writes fail from now on
            blocked = true;
        } else {
            fs::remove_all(saver.path());
            blocked = false;
        }
        if (random() % 2 == 0)
            history.closeAction();
        now += 1000;
        tick(saver, now);
        if (saver.takeNotice(&notice, &detail)) {
            failuresTold += notice == "AUTOSAVE FAILED";
            recoveriesTold += notice == "AUTOSAVE OK";
        }
        if (blocked) {
            EXPECT_TRUE(fs::is_directory(saver.path())) << "step " << step;
            continue;
        }
        if (!history.isModified()) {
            EXPECT_FALSE(fs::exists(saver.path())) << "saved work kept its autosave, step " << step;
            continue;
        }
        ASSERT_EQ(readFileBytes(saver.path()), MapFile::snapshotWorld(map, sprites))
            << "step " << step << (history.canUndo() ? "" : " (nothing to undo)");
        EXPECT_EQ(readFileBytes(folder + "/autosave.name"),
                  std::vector<uint8_t>({'c', 'i', 't', 'y', '.', 'm', 'a', 'p', '\n'}));
    }
    EXPECT_GT(failuresTold, 1);
    EXPECT_GE(recoveriesTold, failuresTold - 1);
    EXPECT_LE(recoveriesTold, failuresTold);
    fs::remove_all(saver.path());
    EXPECT_TRUE(saver.writeNow(map, sprites, WorldFileStamp{"city.map"}));
    EXPECT_FALSE(Autosave::finalWriteFailed());
    fs::remove(saver.path());
    ASSERT_TRUE(fs::create_directories(saver.path() + "/x"));
    EXPECT_FALSE(saver.writeNow(map, sprites, WorldFileStamp{"city.map"}, &why))
        << "reported as written";
    EXPECT_TRUE(Autosave::finalWriteFailed());
    fs::remove_all(saver.path());
}

// Every program has a slot; a slot left by a program that ended is an
// orphan, offered newest first, unless a running program holds it. Orphans
// not recovered are kept (discarded, or set aside as damaged, never
// overwriting an earlier one); temporary files of interrupted writes go.
TEST_F(AutosaveTest, OrphanedSlotsAreOfferedNewestFirstAndHeldOnesAreLeftAlone) {
    std::string why;
    // Programs that start; write (when named) their work aged by age seconds.
    auto startAt = [&](const char* name, int32_t age) {
        auto saver = std::make_unique<Autosave>(folder, 1000);
        EXPECT_TRUE(saver->start(&why)) << why;
        if (name) {
            EXPECT_TRUE(saver->writeNow(*core->map, *core->sprites, WorldFileStamp{name}));
            const timespec times[2] = {{time(nullptr) - age, 0}, {time(nullptr) - age, 0}};
            utimensat(AT_FDCWD, saver->path().c_str(), times, 0);
        }
        return saver;
    };
    auto running = startAt("running.map", 0);  // slot 1: a running program's work
    auto old = startAt("old.map", 500);
    auto newer = startAt("new.map", 100);
    EXPECT_EQ(newer->path(), folder + "/autosave-3.map");
    old.reset();  // both end without saving
    newer.reset();
    writeFileBytes(folder + "/.autosave-2.map.Ab12Cd", std::vector<uint8_t>(8, 1));
    writeFileBytes(folder + "/.autosave.map.Zz99yy", std::vector<uint8_t>(8, 1));
    writeFileBytes(folder + "/autosave-2.map.bad", std::vector<uint8_t>(8, 2));

    auto saver = startAt(nullptr, 0);
    EXPECT_EQ(saver->slot(), 2);
    EXPECT_FALSE(fs::exists(folder + "/.autosave-2.map.Ab12Cd")) << "an orphan's leftover stayed";
    EXPECT_TRUE(fs::exists(folder + "/.autosave.map.Zz99yy")) << "a running program's was removed";
    ASSERT_TRUE(saver->pending());
    EXPECT_EQ(saver->pendingName(), "new.map");
    EXPECT_EQ(saver->pendingPath(), folder + "/autosave-3.map");
    saver->discardPending();
    EXPECT_TRUE(fs::exists(folder + "/autosave-3.map.discarded"));
    ASSERT_TRUE(saver->pending());
    EXPECT_EQ(saver->pendingName(), "old.map");
    const std::string bad = saver->setAside();
    EXPECT_NE(bad, folder + "/autosave-2.map.bad");
    EXPECT_TRUE(fs::exists(bad)) << bad;
    EXPECT_EQ(readFileBytes(folder + "/autosave-2.map.bad"), std::vector<uint8_t>(8, 2));
    EXPECT_FALSE(saver->pending()) << "a running program's autosave was offered";
    saver.reset();

    // Recovered from another slot: that slot becomes the run's own.
    auto free2 = startAt(nullptr, 0);
    startAt("other.map", 0).reset();
    free2.reset();
    auto third = startAt(nullptr, 0);
    EXPECT_EQ(third->slot(), 2);
    ASSERT_TRUE(third->pending());
    EXPECT_EQ(third->pendingName(), "other.map");
    third->adoptPending();
    EXPECT_FALSE(third->pending());
    EXPECT_EQ(third->path(), folder + "/autosave-3.map");
    EXPECT_EQ(startAt(nullptr, 0)->slot(), 2) << "the slot left was not freed";
    third->remove();
    third->waitIdle();
    EXPECT_FALSE(fs::exists(folder + "/autosave-3.map"));
    EXPECT_TRUE(fs::exists(running->path()));
}

}  // namespace
