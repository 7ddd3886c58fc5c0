#include <cstdint>
#include <memory>
#include <random>

#include "world/MapFile.h"
#include "world/SnapshotCache.h"
#include "world/TestWorld.h"
#include "world/WorldHistory.h"

using namespace testworld;

namespace {

class WorldHistoryTest : public TestWorld {
protected:
    void SetUp() override {
        TestWorld::SetUp();
        history = std::make_unique<WorldHistory>(*map, *sprites);
    }
    void TearDown() override {
        history.reset();  // before the map and sprites it reports to
        TestWorld::TearDown();
    }

    void randomMaterial() {
        core->material.texture = 100 + static_cast<int32_t>(random() % 6);
        core->material.rotation = static_cast<uint8_t>(random() % 4);
        core->material.scaleU = static_cast<int8_t>(1 + random() % 3);
    }

    // A point in one of a few sectors around the start sector.
    Vector3 randomPoint() {
        return Vector3(39990.0f + static_cast<float>(random() % 240),
                       60000.0f + 15.0f * static_cast<float>(random() % 4) + 7.0f,
                       39990.0f + static_cast<float>(random() % 240));
    }

    // A used block's centre, or false when there is none.
    bool randomUsedBlock(BlockHit* hit) {
        std::vector<std::pair<int32_t, int32_t>> used;
        for (int32_t s = 0; s < map->sectorCount(); ++s)
            for (int32_t b = 0; b < map->sector(s)->blocks.count(); ++b)
                if (map->sector(s)->blocks[b].used)
                    used.emplace_back(s, b);
        if (used.empty())
            return false;
        const auto pick = used[random() % used.size()];
        const MapBlock& block = map->sector(pick.first)->blocks[pick.second];
        hit->sector = pick.first;
        hit->point =
            map->sector(pick.first)->origin +
            Vector3((block.x + 0.5f) * 10.0f, (block.y + 0.5f) * 15.0f, (block.z + 0.5f) * 10.0f);
        return true;
    }

    // One random user action: blocks, faces, sprites, names or a load.
    void randomAction(const std::vector<std::vector<uint8_t>>& earlier) {
        switch (random() % 8) {
        case 0:
        case 1:  // a stroke of cells
            for (int i = 0, n = 1 + static_cast<int>(random() % 6); i < n; ++i) {
                randomMaterial();
                map->setBlockAt(randomPoint(), random() % 3 != 0);
            }
            break;
        case 2: {  // a click beside or on a block, or painting a few faces
            BlockHit hit;
            if (!randomUsedBlock(&hit))
                break;
            randomMaterial();
            const Vector3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}};
            const Ray ray{hit.point, axes[random() % 4]};
            if (random() % 2 == 0) {
                map->editBlockAt(hit, ray, random() % 3 != 0, core->material);
            } else {
                for (int f = 0; f < 3; ++f) {
                    hit.point = hit.point + ray.direction * 4.0f;
                    map->paintFaceAt(hit);
                }
            }
            break;
        }
        case 3:
            core->spriteType = static_cast<int32_t>(random() % 4);
            sprites->addAt(randomPoint());
            break;
        case 4:
        case 5: {  // select some, then drag, turn, name or delete them
            if (sprites->count() == 0)
                break;
            sprites->object(static_cast<int32_t>(random() % sprites->count())).selected = true;
            const int what = static_cast<int>(random() % 4);
            if (what == 0) {
                sprites->moveSelectedTo(randomPoint());
                sprites->moveSelectedTo(randomPoint());
            } else if (what == 1) {
                sprites->turnSelectedTowards(randomPoint());
            } else if (what == 2) {
                for (int c = 0; c < 4; ++c) {
                    history->continueAction("typing " + std::to_string(runs));
                    if (c == 3)
                        sprites->eraseLastNameChar();
                    else
                        sprites->appendNameChar(static_cast<char>('A' + random() % 26));
                    history->closeAction();
                }
            } else {
                sprites->deleteSelected();
            }
            sprites->deselectAll();
            ++runs;
            break;
        }
        case 6: {  // a load of an earlier world
            writeFile(path("earlier.map"), earlier[random() % earlier.size()]);
            std::string why;
            ASSERT_TRUE(MapFile::loadWorld(path("earlier.map").c_str(), *map, *sprites, &why));
            WorldFileStamp file;  // the load's file name goes with it
            file.name = "load-" + std::to_string(++loads) + ".map";
            history->setWorldFile(file);
            break;
        }
        default:
            map->setBlockAt(randomPoint(), false);
            break;
        }
        history->closeAction();
    }

    // The autosave's snapshot, which keeps the records of unchanged sectors
    // from the one before, against the whole world written anew.
    void expectCachedSnapshot(int step) {
        WorldBytes bytes;
        ASSERT_TRUE(snapshots.take(*map, *sprites, &bytes));
        ASSERT_EQ(bytes.joined(), MapFile::snapshotWorld(*map, *sprites)) << "step " << step;
    }

    // Random actions, undos, redos and saves against the saved bytes after
    // every action; the history is checked against a model of its timeline
    // (with the world file's name of each state, and the sizes of the actions
    // the cap counts), the cached snapshot against the whole world before
    // every step, and the change count against every change of state.
    // Sets undoStoppedAt: 0 unless the cap dropped actions.
    void runRandomSequence(uint32_t seed, int steps) {
        random.seed(seed);
        std::vector<std::vector<uint8_t>> states{savedBytes()};
        std::vector<std::string> names{history->worldFile().name};
        // The bytes each action held when last measured; evictions are the
        // oldest actions while the sum of those kept is above the cap.
        std::vector<int64_t> sizes{0};
        size_t at = 0, floor = 0;
        long savedAt = 0;
        history->markSaved();
        auto held = [&](size_t from, size_t to) {
            int64_t sum = 0;
            for (size_t k = from; k <= to && k < sizes.size(); ++k)
                sum += sizes[k];
            return sum;
        };
        for (int step = 0; step < steps; ++step) {
            expectCachedSnapshot(step);
            const int choice = static_cast<int>(random() % 10);
            const uint64_t changesBefore = history->changeCount();
            const size_t atBefore = at;
            const int64_t usedBefore = static_cast<int64_t>(history->bytesUsed());
            if (choice < 5) {
                const uint64_t before = history->currentState();
                history->setCapBytes(SIZE_MAX);  // measured whole, evicted below
                randomAction(states);
                const std::vector<uint8_t> now = savedBytes();
                if (history->currentState() == before) {
                    history->setCapBytes(cap);
                    ASSERT_EQ(now, states[at]) << "a change was not recorded, step " << step;
                    continue;
                }
                const int64_t size = static_cast<int64_t>(history->bytesUsed()) -
                                     (usedBefore - held(at + 1, sizes.size()));
                history->setCapBytes(cap);
                states.resize(at + 1);
                names.resize(at + 1);
                sizes.resize(at + 1);
                if (savedAt > static_cast<long>(at))
                    savedAt = -1;
                states.push_back(now);
                names.push_back(history->worldFile().name);
                sizes.push_back(size);
                ++at;
                while (floor < at && held(floor + 1, at) > static_cast<int64_t>(cap))
                    ++floor;
                ASSERT_LE(history->bytesUsed(), cap);
            } else if (choice < 7) {
                ASSERT_EQ(history->undo(), at > floor) << "step " << step;
                if (at > floor) {
                    sizes[at] += static_cast<int64_t>(history->bytesUsed()) - usedBefore;
                    --at;
                }
                ASSERT_EQ(savedBytes(), states[at]) << "after undo, step " << step;
            } else if (choice < 9) {
                const bool can = at + 1 < states.size();
                ASSERT_EQ(history->redo(), can) << "step " << step;
                if (can)
                    sizes[++at] += static_cast<int64_t>(history->bytesUsed()) - usedBefore;
                ASSERT_EQ(savedBytes(), states[at]) << "after redo, step " << step;
            } else {
                history->markSaved();
                savedAt = static_cast<long>(at);
            }
            ASSERT_EQ(history->undoableCount(), at - floor) << "step " << step;
            ASSERT_EQ(history->worldFile().name, names[at]) << "step " << step;
            ASSERT_EQ(history->isModified(), savedAt != static_cast<long>(at)) << "step " << step;
            if (at != atBefore) {
                ASSERT_NE(history->changeCount(), changesBefore) << "uncounted, step " << step;
            }
        }
        // Everything still held undoes back to the oldest state kept.
        while (history->undo()) {
            EXPECT_EQ(savedBytes(), states[--at]);
            expectCachedSnapshot(steps);
        }
        EXPECT_EQ(at, floor);
        undoStoppedAt = at;
    }

    std::unique_ptr<WorldHistory> history;
    SnapshotCache snapshots;
    std::mt19937 random;
    int runs = 0;
    int loads = 0;
    size_t undoStoppedAt = 0;
    size_t cap = WorldHistory::DefaultCapBytes;
};

TEST_F(WorldHistoryTest, RandomEditsUndoAndRedoToTheSavedBytesOfEachState) {
    runRandomSequence(20261208, 200);
    EXPECT_EQ(undoStoppedAt, 0u);
}

TEST_F(WorldHistoryTest, TheCapDropsTheOldestActionsAndUndoStopsAtTheOldestKept) {
    cap = 16 * 1024;
    history->setCapBytes(cap);
    runRandomSequence(7, 160);
    EXPECT_GT(undoStoppedAt, 0u);
}

// Besides the edits, undos, redos and loads, the draws come between them
// (the plan view orders records by level to draw them; a rebuild gives
// facades their roofs, which are saved, without an action). Records written ahead between snapshots too; and the
// history let go, so that the sectors it held free their memory for those of
// later loads (a record kept for a freed sector must not serve the one made
// at its address).
TEST_F(WorldHistoryTest, TheCachedSnapshotIsTheWholeWorldAfterEveryKindOfChange) {
    random.seed(20261209);
    std::vector<std::vector<uint8_t>> earlier{savedBytes()};
    for (int step = 0; step < 300; ++step) {
        switch (random() % 8) {
        case 7:
            history->clear();
            break;
        case 0:
        case 1:
            randomAction(earlier);
            break;
        case 2:
            history->undo();
            break;
        case 3:
            history->redo();
            break;
        case 4:
        case 5:
            core->view3D = random() % 2 == 0;
            map->draw();
            break;
        default:
            snapshots.warm(*map, 1 + static_cast<int32_t>(random() % 3));
            break;
        }
        if (random() % 10 == 0)
            earlier.push_back(savedBytes());
        // Snapshots a few steps apart, as the autosave takes them: sectors
        // made and freed between two.
        if (random() % 4 == 0)
            expectCachedSnapshot(step);
    }
}

// Loads one after another, the history let go between: the sectors built
// for a load may lie where those of two loads before lay, and must not take
// over the records kept for them.
TEST_F(WorldHistoryTest, ASectorMadeWhereAFreedOneLayIsWrittenAnew) {
    for (int32_t texture = 100; texture < 106; ++texture) {
        expectCachedSnapshot(texture);
        Bytes world;
        world.i32(2);
        for (int32_t s = 0; s < 2; ++s)
            world.sectorHeader(20, 40000.0f + 200.0f * s, 60000.0f, 40000.0f, 1)
                .block(s, texture % 20, 0, texture);
        writeFile(path("world.map"), world.i32(0).data());
        ASSERT_TRUE(MapFile::loadWorld(path("world.map").c_str(), *map, *sprites, nullptr));
        history->clear();
    }
    expectCachedSnapshot(0);
}

TEST_F(WorldHistoryTest, APressIsOneActionAndATypingRunIntoOneSelectionIsAnother) {
    const std::vector<uint8_t> start = savedBytes();
    EXPECT_FALSE(history->isModified());
    EXPECT_FALSE(history->undo());
    for (int x = 0; x < 5; ++x)
        map->setBlockAt(Vector3(40005.0f + 10.0f * x, 60007.0f, 40005.0f), true);
    history->closeAction();
    sprites->addAt(Vector3(40001, 60015, 40002));
    history->closeAction();
    sprites->object(0).selected = true;
    for (char c : std::string("ABC")) {
        history->continueAction("name 0");
        sprites->appendNameChar(c);
        history->closeAction();
    }
    EXPECT_EQ(history->undoableCount(), 3u);
    EXPECT_TRUE(history->isModified());
    history->markSaved();
    const std::vector<uint8_t> saved = savedBytes();
    // After a save the run goes on as a new action: undo comes back to the save.
    history->continueAction("name 0");
    sprites->appendNameChar('D');
    history->closeAction();
    EXPECT_TRUE(history->isModified());
    ASSERT_TRUE(history->undo());
    EXPECT_FALSE(history->isModified());
    EXPECT_EQ(savedBytes(), saved);
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(sprites->object(0).name, "");
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(sprites->count(), 0);
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(savedBytes(), start);
    EXPECT_TRUE(history->isModified());  // the saved state is the later one
    // A new action drops what could be redone; the saved state is gone for good.
    map->setBlockAt(Vector3(40005.0f, 60022.0f, 40005.0f), true);
    history->closeAction();
    EXPECT_FALSE(history->redo());
    EXPECT_TRUE(history->undo());
    EXPECT_TRUE(history->isModified());
}

}  // namespace
