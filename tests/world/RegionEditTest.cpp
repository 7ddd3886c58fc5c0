#include <memory>
#include <random>
#include <sstream>

#include "world/CellBox.h"
#include "world/Clipboard.h"
#include "world/LiteralRegionWorld.h"
#include "world/MapFile.h"
#include "world/RegionEdit.h"
#include "world/StampFile.h"
#include "world/TestWorld.h"
#include "world/WorldHistory.h"

using namespace testworld;

namespace {

class RegionEditTest : public TestWorld {
protected:
    FaceMaterial randomMaterial() {
        FaceMaterial m;
        m.texture = 100 + static_cast<int32_t>(rng() % 8);
        m.offsetU = static_cast<int32_t>(rng() % 3);
        m.rotation = static_cast<uint8_t>(rng() % 4);
        m.scaleU = static_cast<int8_t>(1 + rng() % 2);
        return m;
    }

    // A few sectors around the start, one of them perhaps off the grid and
    // overlapping the others, with blocks of mixed faces and some figures.
    literal::LiteralRegionWorld randomWorld() {
        literal::LiteralRegionWorld model;
        const int32_t keys[][3] = {
            {200, 200, 200}, {199, 200, 200}, {200, 200, 199}, {200, 201, 200}, {201, 200, 200}};
        for (const auto& key : keys) {
            if (rng() % 3 == 0)
                continue;
            literal::Sector s{20, Vector3(key[0] * 200.0f, key[1] * 300.0f, key[2] * 200.0f), {}};
            if (rng() % 4 == 0)
                s.origin = s.origin + Vector3(5.0f, 0.0f, -15.0f);
            for (int n = static_cast<int>(rng() % 160); n > 0; --n) {
                literal::Record r{static_cast<int32_t>(rng() % 20),
                                  static_cast<int32_t>(rng() % 4),
                                  static_cast<int32_t>(rng() % 20),
                                  {},
                                  true};
                for (FaceMaterial& f : r.faces)
                    f = randomMaterial();
                bool taken = false;
                for (const literal::Record& o : s.records)
                    taken = taken || (o.x == r.x && o.y == r.y && o.z == r.z);
                if (!taken)
                    s.records.push_back(r);
            }
            model.world.sectors.push_back(s);
        }
        for (int n = static_cast<int>(rng() % 6); n > 0; --n) {
            SpriteObject o;
            o.id = model.world.nextId++;
            o.position = Vector3((3985 + rng() % 40) * 10.0f + 2.5f, (4000 + rng() % 4) * 15.0f,
                                 (3985 + rng() % 40) * 10.0f + 5.0f * (rng() % 2));
            o.angle = 90.0f * (rng() % 4) + (rng() % 2 ? 30.0f : 0.0f);
            o.type = static_cast<int32_t>(rng() % 3);
            o.name = "f" + std::to_string(n);
            model.world.sprites.push_back(o);
        }
        return model;
    }

    literal::Box randomBox() {
        literal::Box box;
        const int32_t base[3] = {3988, 3999, 3988}, span[3] = {30, 5, 30}, most[3] = {9, 5, 9};
        for (int a = 0; a < 3; ++a) {
            box.low[a] = base[a] + static_cast<int32_t>(rng() % span[a]);
            box.high[a] = box.low[a] + static_cast<int32_t>(rng() % most[a]);
        }
        return box;
    }

    static CellBox cellBox(const literal::Box& b) {
        return CellBox(b.low[0], b.low[1], b.low[2], b.high[0], b.high[1], b.high[2]);
    }

    std::mt19937 rng{20261208};
};

// Random boxes and edits on random worlds, undone and redone at random: the
// saved bytes match the cell-by-cell model after every step.
TEST_F(RegionEditTest, RandomEditsMatchCellByCellModel) {
    for (int round = 0; round < 8; ++round) {
        literal::LiteralRegionWorld model = randomWorld();
        writeFile(path("start.map"), model.bytes());
        std::string why;
        ASSERT_TRUE(MapFile::loadWorld(path("start.map").c_str(), *map, *sprites, &why)) << why;
        WorldHistory history(*map, *sprites);
        RegionEdit edit(*map, *sprites, &history);
        Clipboard clip;
        literal::Clip modelClip;
        std::ostringstream trace;
        for (int step = 0; step < 30; ++step) {
            const literal::Box b = randomBox();
            const CellBox box = cellBox(b);
            const FaceMaterial m = randomMaterial();
            int64_t expected = -1, got = -1;
            const std::vector<uint8_t> bytesBefore = model.bytes();
            const uint64_t changesBefore = history.changeCount();
            const unsigned op = rng() % 10;
            trace << op << " ";
            switch (op) {
            case 0:
            case 1:
                got = (op ? edit.hollow(box, m) : edit.fill(box, m)).blocks;
                expected = model.fill(b, m, op == 1);
                break;
            case 2:
                got = edit.remove(box).blocks;
                expected = model.remove(b);
                break;
            case 3:
                got = edit.paint(box, m).blocks;
                expected = model.paint(b, m);
                break;
            case 4:
            case 5:
                got = (op == 4 ? edit.copy(box, &clip) : edit.cut(box, &clip)).blocks;
                modelClip = model.copy(b);
                expected = static_cast<int64_t>(modelClip.cells.size());
                if (op == 5)
                    model.remove(b);
                for (int t = static_cast<int>(rng() % 6); t > 0; --t) {
                    const bool turn = rng() % 3 != 0;
                    turn ? clip.rotateQuarter() : clip.mirror();
                    turn ? model.rotate(modelClip) : model.mirror(modelClip);
                }
                ASSERT_EQ(clip.sizeX(), modelClip.size[0]);
                ASSERT_EQ(clip.sizeZ(), modelClip.size[2]);
                break;
            case 6:
                if (clip.holdsBox()) {
                    got = edit.paste(clip, b.low[0], b.low[1], b.low[2]).blocks;
                    expected = model.paste(modelClip, b.low);
                }
                break;
            case 7: {
                const int32_t axis = static_cast<int32_t>(rng() % 3), sign = rng() % 2 ? 1 : -1;
                int32_t d[3] = {0, 0, 0};
                d[axis] = sign;
                const RegionEdit::Result moved = edit.move(box, d[0], d[1], d[2]);
                ASSERT_EQ(moved.box, box.moved(d[0], d[1], d[2]));
                got = moved.blocks;
                expected = model.move(b, d);
                break;
            }
            case 8:
                history.undo();
                model.undo();
                break;
            default:
                history.redo();
                model.redo();
                break;
            }
            ASSERT_EQ(got, expected) << "round " << round << " ops " << trace.str();
            ASSERT_EQ(MapFile::snapshotWorld(*map, *sprites), model.bytes())
                << "round " << round << " ops " << trace.str();
            // The autosave writes when the count moves: every edit that changed
            // the world must move it.
            if (model.bytes() != bytesBefore) {
                ASSERT_NE(history.changeCount(), changesBefore)
                    << "round " << round << " ops " << trace.str();
            }
        }
    }
}

bool sameBlocks(const std::vector<MapBlock>& a, const std::vector<MapBlock>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z ||
            !std::equal(a[i].faces, a[i].faces + 6, b[i].faces))
            return false;
    return true;
}

// Four quarter turns, two mirrors, or turn-mirror-turn-mirror give back the
// clipboard exactly; a stamp saved and loaded holds the same content; a bad
// stamp leaves the clipboard alone; boxes past the limit change nothing.
TEST_F(RegionEditTest, ClipboardTurnsStampsAndLimits) {
    literal::LiteralRegionWorld model = randomWorld();
    writeFile(path("start.map"), model.bytes());
    std::string why;
    ASSERT_TRUE(MapFile::loadWorld(path("start.map").c_str(), *map, *sprites, &why)) << why;
    RegionEdit edit(*map, *sprites, nullptr);
    const CellBox box(3990, 3999, 3990, 4010, 4003, 4003);
    Clipboard clip;
    ASSERT_TRUE(edit.copy(box, &clip).done);
    ASSERT_GT(clip.blockCount(), 0u);
    const std::vector<MapBlock> original = clip.placedBlocks();
    for (const char* sequence : {"RRRR", "MM", "RMRM", "MRRMRR"}) {
        for (const char* c = sequence; *c; ++c) {
            *c == 'R' ? clip.rotateQuarter() : clip.mirror();
            EXPECT_TRUE(c[1] == 0 || !sameBlocks(clip.placedBlocks(), original)) << sequence;
        }
        EXPECT_TRUE(sameBlocks(clip.placedBlocks(), original)) << sequence;
        EXPECT_EQ(clip.sizeX(), 21);
    }
    EXPECT_LE(clip.memoryBytes(), sizeof(Clipboard) + clip.blockCount() * sizeof(MapBlock) +
                                      clip.spriteCount() * (sizeof(SpriteObject) + 16));

    clip.rotateQuarter();
    ASSERT_TRUE(StampFile::saveFile(path("stamp.map").c_str(), clip, &why)) << why;
    Clipboard loaded;
    ASSERT_TRUE(StampFile::loadFile(path("stamp.map").c_str(), 10, 15, &loaded, &why)) << why;
    EXPECT_TRUE(sameBlocks(loaded.placedBlocks(), clip.placedBlocks()));
    EXPECT_EQ(loaded.spriteCount(), clip.spriteCount());
    // Pasted at the start block's cell, the stamp's file is the world it pastes into there.
    ASSERT_TRUE(MapFile::loadWorld(path("stamp.map").c_str(), *map, *sprites, &why)) << why;
    const std::vector<uint8_t> asFile = MapFile::snapshotWorld(*map, *sprites);
    map->replaceSectors({});
    sprites->replaceAll({});
    edit.paste(clip, 4000, 4000, 4000);
    EXPECT_EQ(MapFile::snapshotWorld(*map, *sprites), asFile);

    writeFile(path("bad.map"), std::vector<uint8_t>{1, 0, 0, 0, 20, 0});
    EXPECT_FALSE(StampFile::loadFile(path("bad.map").c_str(), 10, 15, &loaded, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(sameBlocks(loaded.placedBlocks(), clip.placedBlocks()));

    const std::vector<uint8_t> before = MapFile::snapshotWorld(*map, *sprites);
    const CellBox huge(0, 0, 0, 100, 99, 99);  // 1,010,000 cells
    for (const RegionEdit::Result& r : {edit.fill(huge, FaceMaterial()), edit.remove(huge),
                                        edit.copy(huge, &clip), edit.move(huge, 1, 0, 0)}) {
        EXPECT_FALSE(r.done);
        EXPECT_FALSE(r.why.empty());
    }
    EXPECT_EQ(MapFile::snapshotWorld(*map, *sprites), before);
    EXPECT_TRUE(sameBlocks(loaded.placedBlocks(), clip.placedBlocks()));
    int32_t x = 0, y = 0, z = 0;  // far points (a file may hold them) go to the ends of the range
    CellBox::cellOf(Vector3(3e38f, -3e38f, -0.5f), 10, 15, &x, &y, &z);
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
    EXPECT_EQ(z, -1);
}

}  // namespace
