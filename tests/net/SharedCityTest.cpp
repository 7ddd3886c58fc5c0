// A real server and simulated people on the loopback address, in one
// process: each person makes random changes (blocks, faces, sprite figures,
// undo and redo of their own), some leave and join again. When it settles,
// every person's world equals the server's, and both equal an independent
// model that applies the server's order of changes; every person's saved
// bytes (a save and the autosave's snapshots) are the server's file's.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <tuple>

#include "net/CityClient.h"
#include "net/CityServer.h"
#include "net/Loopback.h"
#include "net/SharedCity.h"
#include "script/CityScript.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "world/CellBox.h"
#include "world/MapFile.h"
#include "world/RegionEdit.h"
#include "world/SnapshotCache.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestHost.h"
#include "world/WorldHistory.h"

namespace {

using Protocol::Change;

// A world of the program's own classes, without GL; a person's keeps a history.
struct World {
    TestHost host{nullptr, nullptr, nullptr, 100, 3, 4};
    explicit World(WorldHost::History kept = WorldHost::History::None) { host.buildWorld(kept); }
    TamoMap& map() { return *host.map; }
    TamoSpriteObjectSet& sprites() { return *host.sprites; }
};

struct Member {
    World world{WorldHost::History::Kept};
    WorldHistory& history = *world.host.history;
    SharedCity city{world.map(), world.sprites(), history, world.host};
    SnapshotCache autosave;  // kept across snapshots, as the program's is
    std::vector<uint8_t> snapshot() {
        WorldBytes bytes;
        autosave.take(world.map(), world.sprites(), &bytes);
        return bytes.joined();
    }
};

// The world as the tests compare it: sectors in list order with their used
// cells, then the sprites in order with the fields a file keeps.
std::string describeFace(const FaceMaterial& f) {
    std::ostringstream out;
    out << f.texture << ',' << f.offsetU << ',' << f.offsetV << ',' << int(f.rotation) << ','
        << int(f.scaleU) << ',' << int(f.scaleV) << ';';
    return out.str();
}

std::string describeSprite(const SpriteObject& s) {
    std::ostringstream out;
    out << "sprite " << s.id << ' ' << s.position.x << ' ' << s.position.y << ' ' << s.position.z
        << ' ' << s.angle << ' ' << s.type << ' ' << s.team << ' ' << s.height << " '" << s.name
        << "'\n";
    return out.str();
}

using Cells = std::map<std::tuple<int32_t, int32_t, int32_t>, std::array<FaceMaterial, 6>>;

std::string describeSector(const Vector3& origin, int32_t size, const Cells& cells) {
    std::ostringstream out;
    out << "sector " << origin.x << ' ' << origin.y << ' ' << origin.z << ' ' << size << '\n';
    for (const auto& [cell, faces] : cells) {
        out << "  " << std::get<0>(cell) << ' ' << std::get<1>(cell) << ' ' << std::get<2>(cell)
            << ' ';
        for (const FaceMaterial& face : faces)
            out << describeFace(face);
        out << '\n';
    }
    return out.str();
}

std::string describe(World& world) {
    std::string text;
    for (int32_t i = 0; i < world.map().sectorCount(); ++i) {
        const TamoSector& sector = *world.map().sector(i);
        Cells cells;
        for (const MapBlock& block : sector.blocks)
            if (block.used)
                std::copy(std::begin(block.faces), std::end(block.faces),
                          cells[{block.x, block.y, block.z}].begin());
        text += describeSector(sector.origin, sector.size, cells);
    }
    for (int32_t i = 0; i < world.sprites().count(); ++i)
        text += describeSprite(world.sprites().object(i));
    return text + "next " + std::to_string(world.sprites().getNextId()) + '\n';
}

// The shared city's rules written out plainly: sectors by origin and size,
// cells as a map, sprites as a list with the next id.
struct Model {
    struct Sector {
        Vector3 origin;
        int32_t size;
        Cells cells;
    };
    std::vector<Sector> sectors;
    std::vector<SpriteObject> sprites;
    int32_t nextId = 0;
    int sectorsRemoved = 0, spritesRestored = 0;

    explicit Model(World& world) {
        for (int32_t i = 0; i < world.map().sectorCount(); ++i) {
            const TamoSector& sector = *world.map().sector(i);
            sectors.push_back({sector.origin, sector.size, {}});
            for (const MapBlock& block : sector.blocks)
                if (block.used)
                    std::copy(std::begin(block.faces), std::end(block.faces),
                              sectors.back().cells[{block.x, block.y, block.z}].begin());
        }
        for (int32_t i = 0; i < world.sprites().count(); ++i)
            sprites.push_back(world.sprites().object(i));
        nextId = world.sprites().getNextId();
    }
    // A sector undone goes when empty; a block set brings its sector back.
    Sector& sectorMade(const Change& c) {
        if (!sector(c))
            sectors.push_back({c.origin, c.size, {}});
        return *sector(c);
    }
    Sector* sector(const Change& c) {
        for (Sector& s : sectors)
            if (s.origin == c.origin && s.size == c.size)
                return &s;
        return nullptr;
    }
    SpriteObject* sprite(int32_t id) {
        for (SpriteObject& s : sprites)
            if (s.id == id)
                return &s;
        return nullptr;
    }
    void apply(const Change& c) {
        const auto cell = std::make_tuple(c.block.x, c.block.y, c.block.z);
        switch (c.type) {
        case Change::SectorAdd:
            sectorMade(c);
            break;
        case Change::SectorRemove:
            for (size_t i = 0; i < sectors.size(); ++i)
                if (sectors[i].origin == c.origin && sectors[i].size == c.size) {
                    if (sectors[i].cells.empty()) {
                        sectors.erase(sectors.begin() + static_cast<long>(i));
                        ++sectorsRemoved;
                    }
                    break;
                }
            break;
        case Change::CellSet:
            std::copy(std::begin(c.block.faces), std::end(c.block.faces),
                      sectorMade(c).cells[cell].begin());
            break;
        case Change::CellClear:
            if (Sector* s = sector(c))
                s->cells.erase(cell);
            break;
        case Change::SpriteAdd:
            sprites.push_back(c.sprite);
            sprites.back().id = nextId++;
            break;
        case Change::SpriteEdit:
            if (SpriteObject* s = sprite(c.sprite.id))
                *s = c.sprite;
            break;
        case Change::SpriteRemove:
            for (size_t i = 0; i < sprites.size(); ++i)
                if (sprites[i].id == c.sprite.id) {
                    sprites.erase(sprites.begin() + static_cast<long>(i));
                    break;
                }
            break;
        case Change::SpriteRestore: {
            if (sprite(c.sprite.id))
                break;
            // Before the one that followed it, else at its old place.
            auto at = sprites.begin() + std::min<long>(c.place, static_cast<long>(sprites.size()));
            for (auto it = sprites.begin(); c.followed && it != sprites.end(); ++it)
                if (it->id == c.following)
                    at = it;
            sprites.insert(at, c.sprite);
            nextId = std::max(nextId, c.sprite.id + 1);
            ++spritesRestored;
            break;
        }
        }
    }
    std::string describe() const {
        std::string text;
        for (const Sector& s : sectors)
            text += describeSector(s.origin, s.size, s.cells);
        for (const SpriteObject& s : sprites)
            text += describeSprite(s);
        return text + "next " + std::to_string(nextId) + '\n';
    }
};

// One random change by a person, through the world's own edit operations.
void randomChange(Member& member, std::mt19937& random) {
    World& world = member.world;
    std::uniform_int_distribution<int> pick(0, 99);
    const int what = pick(random);
    // Points over four sectors around the start point, so people meet.
    std::uniform_real_distribution<float> along(-300.0f, 300.0f);
    std::uniform_real_distribution<float> up(0.0f, 120.0f);
    const Vector3 point(40000.0f + along(random), 60000.0f + up(random), 40000.0f + along(random));
    if (what < 50) {
        world.host.material.texture = pick(random) % 4;
        world.host.material.rotation = static_cast<uint8_t>(pick(random) % 4);
        world.map().setBlockAt(point, pick(random) % 4 != 0);
    } else if (what < 62) {
        world.sprites().addAt(point);
    } else if (what < 76 && world.sprites().count() > 0) {
        const int32_t index = pick(random) % world.sprites().count();
        world.sprites().object(index).selected = true;
        world.sprites().moveSelectedTo(point);
        world.sprites().appendNameChar(static_cast<char>('a' + pick(random) % 26));
        world.sprites().object(index).selected = false;
    } else if (what < 84 && world.sprites().count() > 0) {
        // Often the last: its id is not given again, also to those who join.
        const int32_t count = world.sprites().count();
        world.sprites().removeObject(pick(random) % 2 ? count - 1 : pick(random) % count);
    } else if (what < 87) {
        // A box edit of a few cells, as the region tools make one.
        int32_t x = 0, y = 0, z = 0;
        CellBox::cellOf(point, world.host.blockWidth, world.host.blockHeight, &x, &y, &z);
        const CellBox box(x, y, z, x + pick(random) % 3, y + pick(random) % 2,
                          z + pick(random) % 3);
        RegionEdit edit(world.map(), world.sprites(), &member.history);
        world.host.material.texture = pick(random) % 4;
        if (pick(random) % 3 == 0)
            edit.remove(box);
        else
            edit.fill(box, world.host.material);
    } else if (what < 90) {
        // A block far off, mostly in a sector of its own, often undone at
        // once (the sector then goes too).
        std::uniform_real_distribution<float> far(-3000.0f, 3000.0f);
        world.map().setBlockAt(point + Vector3(far(random), 0.0f, far(random)), true);
        member.history.closeAction();
        if (pick(random) % 2 == 0)
            member.city.undo();
    } else if (what < 95) {
        member.city.undo();
    } else {
        member.city.redo();
    }
    member.history.closeAction();
}

void runCity(int people, uint32_t seed) {
    World serverWorld;
    std::ostringstream log;
    CityServer::Options options = loopback::serverOptions();
    // Room for those who join again while their old connection still leaves.
    options.maxPeople = 2 * people;
    CityServer server(serverWorld.map(), serverWorld.sprites(), serverWorld.host, options, log);
    std::string why;
    ASSERT_TRUE(server.start(&why)) << why;
    Model model(serverWorld);
    server.setAppliedHook([&](uint32_t, const std::vector<Change>& changes) {
        for (const Change& change : changes)
            model.apply(change);
    });

    std::mt19937 random(seed);
    std::vector<std::unique_ptr<Member>> members(static_cast<size_t>(people));
    // People on their way out, until the server saw them go.
    std::vector<std::unique_ptr<Member>> leaving;
    // Own batches sent and returned, per person.
    std::vector<uint32_t> returned(members.size());
    const auto joinAt = [&](size_t i) {
        members[i] = std::make_unique<Member>();
        returned[i] = 0;
        members[i]->city.setAppliedHook(
            [&, i](uint32_t author, uint32_t batch, const std::vector<Change>&) {
                if (author == members[i]->city.personId())
                    returned[i] = batch;
            });
        ASSERT_TRUE(
            members[i]->city.join("127.0.0.1", server.port(), "p" + std::to_string(i), "", &why))
            << why;
    };
    for (size_t i = 0; i < members.size(); ++i)
        joinAt(i);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto serviceAll = [&] {
        server.service(0);
        for (auto& member : members)
            member->city.update(0);
        for (auto& member : leaving)
            member->city.update(0);
        server.service(1);
    };
    while (server.peopleCount() < people) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "people did not all join";
        serviceAll();
    }

    std::uniform_int_distribution<int> chance(0, 999);
    for (int round = 0; round < 80; ++round) {
        for (size_t i = 0; i < members.size(); ++i) {
            Member& member = *members[i];
            if (member.city.status() != SharedCity::Status::Shared)
                continue;
            if (chance(random) < 8) {
                member.city.leave(false);
                leaving.push_back(std::move(members[i]));
                joinAt(i);
                continue;
            }
            randomChange(member, random);
            if (round % 8 == 0)
                member.snapshot();
        }
        serviceAll();
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    }

    // Settled: everyone joined, everyone's own changes returned, every world
    // as the server's.
    const auto settled = [&] {
        const std::string expected = describe(serverWorld);
        for (size_t i = 0; i < members.size(); ++i) {
            SharedCity& city = members[i]->city;
            if (city.status() != SharedCity::Status::Shared || returned[i] != city.lastBatchSent())
                return false;
            if (describe(members[i]->world) != expected)
                return false;
        }
        return true;
    };
    do {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << log.str();
        serviceAll();
    } while (!settled());
    EXPECT_EQ(model.describe(), describe(serverWorld));
    EXPECT_GT(server.changesApplied(), static_cast<uint64_t>(people * 20));
    if (people > 2) {
        // Undos took sectors away again and brought deleted figures back.
        EXPECT_GT(model.sectorsRemoved, 0);
        EXPECT_GT(model.spritesRestored, 0);
    }
    // Byte for byte: the server's file, each person's save and autosave.
    ScratchFolder folder("shared-city");
    ASSERT_TRUE(MapFile::saveWorld(folder.path("city.map").c_str(), serverWorld.map(),
                                   serverWorld.sprites(), &why))
        << why;
    const std::vector<uint8_t> file = readFileBytes(folder.path("city.map"));
    ASSERT_FALSE(file.empty());
    for (auto& member : members) {
        EXPECT_EQ(MapFile::snapshotWorld(member->world.map(), member->world.sprites()), file);
        EXPECT_EQ(member->snapshot(), file);
    }
    for (auto& member : members) {
        member->city.leave(false);
        leaving.push_back(std::move(member));
    }
    members.clear();
    while (server.peopleCount() > 0) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "people did not all leave";
        serviceAll();
    }
}

TEST(SharedCityTest, TwoPeopleConvergeOnTheServersOrder) {
    runCity(2, 7);
}

TEST(SharedCityTest, SixteenPeopleConvergeOnTheServersOrder) {
    runCity(16, 11);
}

}  // namespace

namespace {

// A server and two people, serviced until done says so (five seconds at most).
struct TwoPeople {
    World serverWorld;
    std::ostringstream log;
    CityServer server;
    Member ann, bob;
    std::map<const Member*, uint32_t> returned;

    TwoPeople()
            : server(serverWorld.map(), serverWorld.sprites(), serverWorld.host,
                     loopback::serverOptions(), log) {
        std::string why;
        EXPECT_TRUE(server.start(&why)) << why;
        for (Member* member : {&ann, &bob})
            member->city.setAppliedHook(
                [this, member](uint32_t author, uint32_t batch, const std::vector<Change>&) {
                    if (author == member->city.personId())
                        returned[member] = batch;
                });
        EXPECT_TRUE(ann.city.join("127.0.0.1", server.port(), "ann", "", &why)) << why;
        EXPECT_TRUE(bob.city.join("127.0.0.1", server.port(), "bob", "", &why)) << why;
        EXPECT_TRUE(until([&] {
            return ann.city.status() == SharedCity::Status::Shared &&
                   bob.city.status() == SharedCity::Status::Shared;
        }));
    }
    bool until(const std::function<bool()>& done) {
        return loopback::serviceUntil(done, [this] {
            server.service(1);
            ann.city.update(0);
            bob.city.update(0);
        });
    }
    // Sends what was changed and waits until it came back and every world
    // is the server's.
    bool settle() {
        ann.city.update(0);
        bob.city.update(0);
        return until([&] {
            const std::string expected = describe(serverWorld);
            return returned[&ann] == ann.city.lastBatchSent() &&
                   returned[&bob] == bob.city.lastBatchSent() && describe(ann.world) == expected &&
                   describe(bob.world) == expected;
        });
    }
};

bool hasBlock(World& world, const Vector3& point) {
    const int32_t index = world.map().findSector(point);
    return index >= 0 && world.map().sector(index)->hasBlockAt(point);
}

TEST(SharedCityTest, UndoTakesBackOnlyOnesOwnWorkAndSaysWhenPartly) {
    TwoPeople city;
    // Cells beside the start block, which stands in cell (0, 0, 0).
    const Vector3 mine(40025.0f, 60002.0f, 40003.0f), shared(40045.0f, 60002.0f, 40003.0f);
    city.ann.world.map().setBlockAt(mine, true);
    city.ann.world.map().setBlockAt(shared, true);
    city.ann.world.sprites().addAt(mine);
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    ASSERT_TRUE(hasBlock(city.bob.world, shared));
    ASSERT_EQ(city.bob.world.sprites().count(), 1);

    // Bob paints over Ann's second block: Ann's undo leaves it.
    city.bob.world.host.material.texture = 3;
    city.bob.world.map().setBlockAt(shared, true);
    city.bob.history.closeAction();
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Partly);
    ASSERT_TRUE(city.settle());
    EXPECT_FALSE(hasBlock(city.bob.world, mine));
    EXPECT_TRUE(hasBlock(city.bob.world, shared));
    EXPECT_EQ(city.bob.world.sprites().count(), 0);

    // Redo brings back what the undo took; the figure keeps its number.
    EXPECT_EQ(city.ann.city.redo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_TRUE(hasBlock(city.bob.world, mine));
    ASSERT_EQ(city.bob.world.sprites().count(), 1);
    EXPECT_EQ(city.bob.world.sprites().object(0).id, 0);
    EXPECT_EQ(city.bob.world.sprites().getNextId(), 1);
    // Bob has nothing of his own left to undo after his one action.
    EXPECT_EQ(city.bob.city.undo(), SharedWorld::UndoOutcome::Done);
    EXPECT_EQ(city.bob.city.undo(), SharedWorld::UndoOutcome::Nothing);
    ASSERT_TRUE(city.settle());
}

TEST(SharedCityTest, UndoTakesAwayTheSectorItAddedAndPutsAFigureBackWithItsId) {
    TwoPeople city;
    const int32_t sectors = city.bob.world.map().sectorCount();
    const uint64_t counted = city.bob.history.changeCount();
    const Vector3 far(40250.0f, 60002.0f, 40003.0f);  // in no sector yet
    city.ann.world.map().setBlockAt(far, true);
    city.ann.history.closeAction();
    city.ann.city.update(0);
    for (float x : {40010.0f, 40020.0f, 40030.0f})
        city.ann.world.sprites().addAt(Vector3(x, 60002.0f, 40003.0f));
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    ASSERT_EQ(city.bob.world.map().sectorCount(), sectors + 1);
    // Others' changes count, for the autosave writes on a new count.
    EXPECT_GT(city.bob.history.changeCount(), counted);
    // Ann deletes the middle figure and Bob the first: Ann's undo puts hers
    // back before the one that followed it, under its own id.
    const int32_t middle = city.bob.world.sprites().object(1).id;
    const int32_t last = city.bob.world.sprites().object(2).id;
    city.ann.world.sprites().removeObject(1);
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    city.bob.world.sprites().removeObject(0);
    city.bob.history.closeAction();
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    ASSERT_EQ(city.bob.world.sprites().count(), 2);
    EXPECT_EQ(city.bob.world.sprites().object(0).id, middle);
    EXPECT_EQ(city.bob.world.sprites().object(1).id, last);
    // The figures (one deleted by Bob), then the block and its sector.
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Partly);
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(city.bob.world.sprites().count(), 0);
    EXPECT_EQ(city.bob.world.map().sectorCount(), sectors);
    EXPECT_EQ(city.ann.city.redo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_TRUE(hasBlock(city.bob.world, far));
    // Someone joining now gives the next figure the id everyone else does,
    // though the file holds no figure to tell it.
    Member cid;
    std::string why;
    ASSERT_TRUE(cid.city.join("127.0.0.1", city.server.port(), "cid", "", &why)) << why;
    ASSERT_TRUE(city.until([&] {
        cid.city.update(0);
        return cid.city.status() == SharedCity::Status::Shared;
    }));
    city.bob.world.sprites().addAt(far);
    city.bob.history.closeAction();
    ASSERT_TRUE(city.until([&] {
        cid.city.update(0);
        return cid.world.sprites().count() == 1 && city.bob.world.sprites().count() == 1;
    }));
    EXPECT_EQ(cid.world.sprites().object(0).id, city.bob.world.sprites().object(0).id);
}

TEST(SharedCityTest, AnActionSentOverSeveralFramesIsUndoneAsOne) {
    TwoPeople city;
    const Vector3 first(40025.0f, 60002.0f, 40003.0f), second(40045.0f, 60002.0f, 40003.0f);
    // A stroke: the history's action stays open across frames, while others'
    // changes arrive in between.
    city.ann.world.map().setBlockAt(first, true);
    ASSERT_TRUE(city.settle());
    city.bob.world.sprites().addAt(second);
    city.bob.history.closeAction();
    ASSERT_TRUE(city.settle());
    city.ann.world.map().setBlockAt(second, true);
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    ASSERT_TRUE(hasBlock(city.bob.world, first) && hasBlock(city.bob.world, second));
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_FALSE(hasBlock(city.bob.world, first));
    EXPECT_FALSE(hasBlock(city.bob.world, second));
    EXPECT_EQ(city.bob.world.sprites().count(), 1);
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Nothing);
    // A new action after the close (in a later frame) is one of its own.
    city.ann.world.map().setBlockAt(first, true);
    city.ann.history.closeAction();
    city.ann.city.update(0);
    city.ann.world.map().setBlockAt(second, true);
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_TRUE(hasBlock(city.bob.world, first));
    EXPECT_FALSE(hasBlock(city.bob.world, second));
}

// Both build in a sector of their own at once and Bob's reach the server
// first: Ann's figure, named before the server numbered it, takes the next
// id, and the lists take the server's order. Ann's undo still finds her
// sector by its origin and her figure by its id, takes nothing of Bob's,
// and her redo brings the figure back under its id.
TEST(SharedCityTest, UndoFindsOnesOwnSectorAndFigureAfterOthersCameFirst) {
    TwoPeople city;
    const int32_t sectors = city.ann.world.map().sectorCount();
    const Vector3 annFar(40250.0f, 60002.0f, 40003.0f), bobFar(40003.0f, 60002.0f, 40250.0f);
    city.bob.world.map().setBlockAt(bobFar, true);
    city.bob.world.sprites().addAt(bobFar);
    city.bob.history.closeAction();
    // Bob's batch reaches the server before Ann hears of it or sends hers.
    const uint64_t appliedBefore = city.server.changesApplied();
    city.bob.city.update(0);
    ASSERT_TRUE(loopback::serviceUntil([&] { return city.server.changesApplied() > appliedBefore; },
                                       [&] {
                                           city.server.service(1);
                                           city.bob.city.update(0);
                                       }));
    city.ann.world.map().setBlockAt(annFar, true);
    city.ann.world.sprites().addAt(annFar);
    city.ann.world.sprites().object(0).selected = true;
    city.ann.world.sprites().appendNameChar('a');
    city.ann.world.sprites().object(0).selected = false;
    city.ann.history.closeAction();
    ASSERT_TRUE(city.settle());
    const auto figures = [](World& world) {
        std::string ids;
        for (int32_t i = 0; i < world.sprites().count(); ++i)
            ids += std::to_string(world.sprites().object(i).id) + world.sprites().object(i).name;
        return ids;
    };
    EXPECT_EQ(figures(city.ann.world), "01a");
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(figures(city.bob.world), "0");
    EXPECT_FALSE(hasBlock(city.bob.world, annFar));
    EXPECT_TRUE(hasBlock(city.bob.world, bobFar));
    EXPECT_EQ(city.bob.world.map().sectorCount(), sectors + 1);
    EXPECT_EQ(city.ann.city.redo(), SharedWorld::UndoOutcome::Done);
    ASSERT_TRUE(city.settle());
    EXPECT_EQ(figures(city.bob.world), "01a");
    EXPECT_TRUE(hasBlock(city.bob.world, annFar));
}

TEST(SharedCityTest, LeavingKeepsOnesChangesThatHadNotComeBack) {
    TwoPeople city;
    const Vector3 mine(40025.0f, 60002.0f, 40003.0f);
    city.ann.world.map().setBlockAt(mine, true);
    city.ann.world.sprites().addAt(mine);
    city.ann.history.closeAction();
    // Sent, and in Ann's world all the while; leaving before the server
    // returns it keeps it there.
    city.ann.city.update(0);
    ASSERT_TRUE(hasBlock(city.ann.world, mine));
    city.ann.city.leave(false);
    EXPECT_TRUE(hasBlock(city.ann.world, mine));
    EXPECT_EQ(city.ann.world.sprites().count(), 1);
    // What arrives while the leave completes changes nothing more.
    EXPECT_TRUE(city.until([&] { return city.server.peopleCount() == 1; }));
    EXPECT_EQ(city.ann.world.sprites().count(), 1);
}

TEST(SharedCityTest, AScriptGoesToTheServerAsOneActionAndAFailedOneSendsNothing) {
    TwoPeople city;
    const std::string before = describe(city.bob.world);
    // A box reaching into sectors nobody has yet, a block changed twice, a
    // cell cleared and a figure.
    CityScript script(city.ann.world.map(), city.ann.world.sprites(), &city.ann.history);
    const CityScript::Result result =
        script.runText("local m = city.material{texture = 101}\n"
                       "city.fill(3995, 4000, 3995, 4024, 4001, 4004, m)\n"
                       "city.set(4000, 4002, 4000, m)\n"
                       "city.set(4000, 4002, 4000, city.material{texture = 102, rotation = 2})\n"
                       "city.clear(4001, 4000, 4001, 4001, 4001, 4001)\n"
                       "city.figure(4003, 4001, 4003, 'tree', 'OAK', 45)\n",
                       "grid.lua", ".");
    ASSERT_TRUE(result.done) << result.message;
    // Over 256 changes go in several messages: wait for the last one too.
    const auto everyone = [&](const std::function<bool()>& also) {
        return city.settle() && city.until([&] {
            const std::string server = describe(city.serverWorld);
            return describe(city.ann.world) == server && describe(city.bob.world) == server &&
                   also();
        });
    };
    ASSERT_TRUE(everyone([&] { return city.bob.world.sprites().count() == 1; }));
    EXPECT_EQ(city.bob.world.map().sectorCount(), 6);
    // One undo takes all of it back everywhere, sectors included.
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Done);
    // (Figure ids are never given twice in a shared city: only the next id stays.)
    const auto blocksAndFigures = [](World& world) {
        const std::string text = describe(world);
        return text.substr(0, text.rfind("next "));
    };
    const std::string start = before.substr(0, before.rfind("next "));
    ASSERT_TRUE(everyone([&] { return blocksAndFigures(city.bob.world) == start; }));
    EXPECT_EQ(city.ann.city.undo(), SharedWorld::UndoOutcome::Nothing);

    // A script that fails half way sends nothing and leaves the world alone.
    const uint32_t sent = city.ann.city.lastBatchSent();
    const CityScript::Result failed = script.runText(
        "city.fill(3990, 4000, 3990, 4030, 4003, 4030, city.material{texture = 103})\n"
        "error('half way')\n",
        "broken.lua", ".");
    EXPECT_FALSE(failed.done);
    EXPECT_EQ(failed.message, "broken.lua:2: half way");
    city.ann.city.update(0);
    EXPECT_EQ(city.ann.city.lastBatchSent(), sent);
    EXPECT_EQ(blocksAndFigures(city.ann.world), start);
}

TEST(SharedCityTest, AddressesAreReadWithTheDefaultPort) {
    const struct {
        const char* text;
        bool sound;
        const char* host;
        uint16_t port;
    } cases[] = {{"example.org", true, "example.org", Protocol::DefaultPort},
                 {"127.0.0.1:9000", true, "127.0.0.1", 9000},
                 {"[::1]:9000", true, "::1", 9000},
                 {"[::1]", true, "::1", Protocol::DefaultPort},
                 {"::1", false, "", 0},
                 {"host:0", false, "", 0},
                 {"host:70000", false, "", 0},
                 {"host:", false, "", 0},
                 {":9000", false, "", 0},
                 {"[::1", false, "", 0}};
    for (const auto& c : cases) {
        std::string host, why;
        uint16_t port = 0;
        ASSERT_EQ(CityClient::parseAddress(c.text, &host, &port, &why), c.sound) << c.text;
        if (c.sound) {
            EXPECT_EQ(host, c.host);
            EXPECT_EQ(port, c.port);
        } else {
            EXPECT_FALSE(why.empty());
        }
    }
}

}  // namespace
