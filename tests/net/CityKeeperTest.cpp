// The served city's journal and background writes: random batches and
// pictures, whole city writes stopped at each step a crash could interrupt
// (batches and pictures arriving while one is under way), restarts from what
// is on disk; every restart holds exactly the world and the pictures the
// server held, the pictures in the city's folder too. A damaged journal
// gives what came before the damage, and one that belongs to another city
// file nothing.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#include "net/ChangeApplier.h"
#include "net/CityKeeper.h"
#include "net/JournalFormat.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/TestPictures.h"
#include "world/CityPictureFolder.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"

namespace {

using Protocol::Change;
using Step = CityWriter::Step;

// Texture and hash of each picture.
std::string listOf(const CityPictures& pictures) {
    std::string list;
    for (const auto& [texture, entry] : pictures.entries())
        list += std::to_string(texture) + ":" + std::to_string(entry.hash) + " ";
    return list;
}

std::string picturesInFolder(const std::string& path) {
    CityPictures read;
    for (CityPictureFolder::Loaded& loaded : CityPictureFolder::read(path, nullptr))
        read.put(loaded.id, loaded.png);
    return listOf(read);
}

// The server's side: a world and its pictures as --serve keeps them, with
// its keeper.
struct Server {
    TestHost host{nullptr, nullptr, nullptr, 100, 3, 4};
    std::ostringstream log;
    std::unique_ptr<CityKeeper> keeper;
    CityPictures pictures;

    explicit Server(const std::string& path) {
        host.sprites = new TamoSpriteObjectSet(&host);
        host.map = new TamoMap(&host);
        host.map->setRecordOrder(MapFormat::RecordOrder::Canonical);
        std::string why;
        if (std::filesystem::exists(path)) {
            EXPECT_TRUE(MapFile::loadWorld(path.c_str(), *host.map, *host.sprites, &why)) << why;
        }
        for (CityPictureFolder::Loaded& loaded : CityPictureFolder::read(path, nullptr))
            pictures.put(loaded.id, loaded.png);
        keeper = std::make_unique<CityKeeper>(path, *host.map, *host.sprites, host, log);
        EXPECT_TRUE(keeper->open(&pictures, &why)) << why;
    }
    void keep(int32_t texture, const std::vector<uint8_t>& png) {
        auto bytes = std::make_shared<const std::vector<uint8_t>>(png);
        pictures.put(texture, bytes);
        keeper->recordPicture(texture, bytes);
    }
    void apply(const std::vector<Change>& batch) {
        ChangeApplier applier(*host.map, *host.sprites, host);
        for (const Change& change : batch)
            applier.apply(change);
        keeper->record(7, batch);
    }
    // The world as its file would hold it, and the id the next figure takes.
    std::string state() const {
        std::vector<uint8_t> bytes;
        MapFile::snapshotWorld(*host.map, *host.sprites, MapFormat::RecordOrder::Canonical, &bytes);
        MapFormat::WorldRecords records;
        EXPECT_TRUE(MapFormat::parseWorld(bytes.data(), bytes.size(), &records, nullptr));
        std::ostringstream out;
        for (const TamoSectorData& sector : records.sectors) {
            out << "sector " << sector.origin.x << ',' << sector.origin.z << ':';
            for (const MapBlock& b : sector.blocks)
                out << ' ' << b.x << ',' << b.y << ',' << b.z << '=' << b.faces[0].texture;
            out << '\n';
        }
        for (const SpriteObject& sprite : records.sprites)
            out << "sprite " << sprite.id << ' ' << sprite.position.x << " '" << sprite.name
                << "'\n";
        return out.str() + "next " + std::to_string(host.sprites->getNextId());
    }
};

// Sprite ids up to past the next: a figure coming back with one moves it on.
std::vector<Change> randomBatch(std::mt19937& random, const Server& server) {
    const int ids = server.host.sprites->getNextId() + 3;
    std::uniform_int_distribution<int> pick(0, 999);
    std::vector<Change> batch(1 + pick(random) % 4);
    for (Change& c : batch) {
        // Types 1 to 8, cells most often.
        const int type = pick(random) % 15;
        c.type = static_cast<Change::Type>(type < 5   ? Change::CellSet
                                           : type < 7 ? Change::CellClear
                                                      : type - 6);
        c.origin = Vector3(200.0f * (pick(random) % 3), 0.0f, 200.0f * (pick(random) % 3));
        c.size = 20;
        c.block.x = pick(random) % 20;
        c.block.y = pick(random) % 3;
        c.block.z = pick(random) % 20;
        c.block.used = c.type == Change::CellSet;  // as decoded
        for (FaceMaterial& face : c.block.faces)
            face.texture = 100 + pick(random) % 5;
        // Often the newest: once it goes, its id is not given again.
        c.sprite.id = pick(random) % 2 ? ids - 4 : pick(random) % ids;
        c.sprite.position = Vector3(static_cast<float>(pick(random)), 0.0f, 1.0f);
        c.sprite.name = std::string(static_cast<size_t>(pick(random) % 3), 'n');
        c.place = pick(random) % 4;
        c.followed = pick(random) % 2 == 0;
        c.following = pick(random) % ids;
    }
    return batch;
}

// Holds a write at its first step until the test lets it go on.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    void wait() {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return open; });
        open = false;
    }
    void release() {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
};

TEST(CityKeeperTest, EveryRestartHoldsWhatTheServerHeldWhereverAWriteStopped) {
    ScratchFolder folder;
    const std::string path = folder.path("town.map");
    std::mt19937 random(29);
    std::uniform_int_distribution<int> pick(0, 999);
    auto server = std::make_unique<Server>(path);
    int restarts = 0, applied = 0;
    int32_t nextPicture = 200;
    // Now and then a picture used first, before the batches that follow.
    const auto maybeKeep = [&] {
        if (pick(random) % 3 == 0)
            server->keep(nextPicture++, TestPictures::png(TestPictures::random(
                                            4, 2, static_cast<uint32_t>(pick(random)), true)));
    };
    for (int round = 0; round < 40; ++round) {
        // Stop the write at one of its steps (as a crash there would), or not.
        const int stopAt = pick(random) % 4;
        Gate gate;
        server->keeper->setStepHook([&, stopAt](Step step) {
            if (step == Step::FileSynced)
                gate.wait();
            return static_cast<int>(step) != stopAt;
        });
        maybeKeep();
        for (int i = pick(random) % 6; i > 0; --i)
            server->apply(randomBatch(random, *server));
        while (!server->keeper->writing())
            server->keeper->tick(true);
        // Batches and pictures arriving while the city is written go into
        // the cut journal.
        maybeKeep();
        for (int i = pick(random) % 6; i > 0; --i)
            server->apply(randomBatch(random, *server));
        gate.release();
        while (server->keeper->writing()) {
            server->keeper->tick(false);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        maybeKeep();
        for (int i = pick(random) % 6; i > 0; --i)
            server->apply(randomBatch(random, *server));
        if (pick(random) % 3 == 0)
            continue;  // no restart this round
        const std::string held = server->state();
        const std::string heldPictures = listOf(server->pictures);
        server->keeper->setStepHook(nullptr);
        if (pick(random) % 4 == 0) {
            ASSERT_TRUE(server->keeper->finish()) << server->log.str();
        }
        server.reset();  // a kill: what was queued is on disk, nothing more
        server = std::make_unique<Server>(path);
        ++restarts;
        applied += server->log.str().find("applied") != std::string::npos;
        ASSERT_EQ(server->state(), held) << "round " << round << ": " << server->log.str();
        ASSERT_EQ(listOf(server->pictures), heldPictures) << "round " << round;
        ASSERT_EQ(picturesInFolder(path), heldPictures)
            << "round " << round << ": " << server->log.str();
        EXPECT_EQ(server->log.str().find("damaged"), std::string::npos) << server->log.str();
    }
    EXPECT_GT(nextPicture, 220);
    EXPECT_GT(restarts, 15);
    EXPECT_GT(applied, 5);
}

TEST(CityKeeperTest, ADamagedJournalGivesWhatCameBeforeAndAnotherCitysNothing) {
    ScratchFolder folder;
    const std::string path = folder.path("town.map");
    const std::string journal = path + ".journal";
    std::mt19937 random(5);
    std::vector<std::string> states;
    {
        Server server(path);
        ASSERT_TRUE(server.keeper->finish());  // the city file exists
        states.push_back(server.state());
        for (int i = 0; i < 8; ++i) {
            server.apply(randomBatch(random, server));
            states.push_back(server.state());
        }
    }
    const std::vector<uint8_t> whole = readFileBytes(journal);
    JournalFormat::Contents contents;
    std::string why;
    ASSERT_TRUE(JournalFormat::read(journal, &contents, &why)) << why;
    ASSERT_EQ(contents.entries.size(), 9u);  // the base, eight batches
    size_t sixth = sizeof JournalFormat::Mark;
    for (size_t i = 0; i < 5; ++i)
        sixth += contents.entries[i].record.size();
    const auto restartWith = [&](std::vector<uint8_t> bytes, const char* said) {
        std::filesystem::remove(journal + ".bad");
        EXPECT_TRUE(writeFileBytes(journal, bytes));
        auto server = std::make_unique<Server>(path);
        EXPECT_NE(server->log.str().find(said), std::string::npos) << server->log.str();
        EXPECT_EQ(readFileBytes(journal + ".bad"), bytes) << "the damaged journal is kept";
        const std::string state = server->state();
        server = std::make_unique<Server>(path);  // the journal put in place is sound
        EXPECT_EQ(server->log.str().find("damaged"), std::string::npos) << server->log.str();
        EXPECT_EQ(server->state(), state);
        return state;
    };
    // A record torn by the crash: the seven before it.
    EXPECT_EQ(restartWith({whole.begin(), whole.end() - 3}, "record 9 at byte"), states[7]);
    // A byte changed in the sixth record (the fifth batch): the four before.
    std::vector<uint8_t> flipped = whole;
    flipped[sixth + 12] ^= 0x40;
    EXPECT_EQ(restartWith(flipped, ("record 6 at byte " + std::to_string(sixth)).c_str()),
              states[4]);
    // The city file replaced since: its journal applies to it no more.
    std::filesystem::remove(path);
    {
        Server other(path);
        other.apply(randomBatch(random, other));
        ASSERT_TRUE(other.keeper->finish());
        states.push_back(other.state());
    }
    EXPECT_EQ(restartWith(whole, "does not follow"), states.back());
}

TEST(CityKeeperTest, PicturesComeBackFromTheJournalBeforeTheirBatchesAndADamagedOneStopsIt) {
    ScratchFolder folder;
    const std::string path = folder.path("town.map");
    const std::string journal = path + ".journal";
    const std::vector<uint8_t> first = TestPictures::png(TestPictures::random(8, 8, 1, true));
    const std::vector<uint8_t> second = TestPictures::png(TestPictures::random(16, 4, 2, false));
    std::mt19937 random(11);
    std::vector<std::string> states, pictures;
    {
        Server server(path);
        ASSERT_TRUE(server.keeper->finish());
        for (int i = 0; i < 3; ++i) {
            server.apply(randomBatch(random, server));
            if (i < 2)
                server.keep(300 + i, i == 0 ? first : second);
            states.push_back(server.state());
            pictures.push_back(listOf(server.pictures));
        }
    }  // a kill: the journal alone holds them
    const std::vector<uint8_t> whole = readFileBytes(journal);
    JournalFormat::Contents contents;
    std::string why;
    ASSERT_TRUE(JournalFormat::read(journal, &contents, &why)) << why;
    using E = JournalFormat::Entry;
    std::vector<E::Type> types;
    for (const E& entry : contents.entries)
        types.push_back(entry.type);
    ASSERT_EQ(types, (std::vector<E::Type>{E::Base, E::Batch, E::Picture, E::Batch, E::Picture,
                                           E::Batch}));
    EXPECT_EQ(contents.entries[2].texture, 300);
    EXPECT_EQ(*contents.entries[2].png, first);
    EXPECT_EQ(contents.entries[4].anchor.seq, 2u);  // after the second batch
    EXPECT_EQ(*contents.entries[4].png, second);
    size_t fifth = sizeof JournalFormat::Mark;
    for (size_t i = 0; i < 4; ++i)
        fifth += contents.entries[i].record.size();

    const auto restartWith = [&](const std::vector<uint8_t>& bytes, const std::string& said) {
        std::filesystem::remove_all(CityPictureFolder::folderOf(path));
        EXPECT_TRUE(writeFileBytes(journal, bytes));
        Server server(path);
        EXPECT_NE(server.log.str().find(said), std::string::npos) << server.log.str();
        EXPECT_EQ(picturesInFolder(path), listOf(server.pictures))
            << "in the folder before any write";
        return server.state() + "\n" + listOf(server.pictures);
    };
    EXPECT_EQ(restartWith(whole, " changes) and 2 pictures from"), states[2] + "\n" + pictures[2]);
    // A byte of the second picture changed, or a sound frame around bytes
    // that do not decode: the journal stops before that picture.
    const std::string stopped = "record 5 at byte " + std::to_string(fifth) + " is damaged";
    std::vector<uint8_t> flipped = whole;
    flipped[fifth + 40] ^= 0x10;
    EXPECT_EQ(restartWith(flipped, stopped), states[1] + "\n" + pictures[0]);
    std::vector<uint8_t> undecodable(whole.begin(), whole.begin() + fifth);
    std::vector<uint8_t> noPicture = second;
    noPicture[20] ^= 0xff;  // its header's checksum no longer holds
    const std::vector<uint8_t> bad = JournalFormat::pictureRecord(2, 301, noPicture);
    undecodable.insert(undecodable.end(), bad.begin(), bad.end());
    undecodable.insert(undecodable.end(), contents.entries[5].record.begin(),
                       contents.entries[5].record.end());
    EXPECT_EQ(restartWith(undecodable, stopped), states[1] + "\n" + pictures[0]);
}

}  // namespace
