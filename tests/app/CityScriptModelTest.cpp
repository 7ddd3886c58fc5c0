// Random city scripts against a plain model of the city calls' rules, cell
// by cell, through both ways a script runs: --script on a world file, and
// Ctrl+R in the program's window (then undone and redone). Every face of
// every block is compared; a script that fails half way must leave the
// world (and the history) as it was.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/HeadlessCity.h"
#include "app/InitApplication.h"
#include "app/MainWindow.h"
#include "app/ScriptCommand.h"
#include "engine/TamoEngineCore.h"
#include "media/Archive.h"
#include "media/InterfaceLayout.h"
#include "media/MediaArchive.h"
#include "platform/ScreenSize.h"
#include "platform/SystemClock.h"
#include "platform/VirtualKeys.h"
#include "platform/Window.h"
#include "platform/WindowRegistry.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

namespace fs = std::filesystem;

namespace {

using Cell = std::array<int32_t, 3>;
using Faces = std::array<FaceMaterial, 6>;

// The city as the rules describe it: blocks by cell, figures in order.
struct Model {
    std::map<Cell, Faces> cells;
    std::vector<std::string> figures;  // "type name angle x y z"

    static Faces all(const FaceMaterial& m) { return {m, m, m, m, m, m}; }
    void put(int64_t x, int64_t y, int64_t z, const FaceMaterial& m) {
        cells[{int32_t(x), int32_t(y), int32_t(z)}] = all(m);
    }
};

std::string faceText(const FaceMaterial& f) {
    std::ostringstream out;
    out << f.texture << ',' << f.offsetU << ',' << f.offsetV << ',' << int(f.rotation) << ','
        << int(f.scaleU) << ',' << int(f.scaleV) << ';';
    return out.str();
}

std::string figureText(int32_t type, const std::string& name, float angle, float x, float y,
                       float z) {
    std::ostringstream out;
    out << type << ' ' << name << ' ' << angle << ' ' << x << ' ' << y << ' ' << z;
    return out.str();
}

// The world's blocks by world cell (its sectors lie on the grid) and figures.
Model observe(const TamoMap& map, const TamoSpriteObjectSet& sprites) {
    Model seen;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        const TamoSector& sector = *map.sector(i);
        const int32_t ox = int32_t(sector.origin.x) / 10, oy = int32_t(sector.origin.y) / 15,
                      oz = int32_t(sector.origin.z) / 10;
        for (const MapBlock& b : sector.blocks)
            if (b.used) {
                Faces faces;
                std::copy(std::begin(b.faces), std::end(b.faces), faces.begin());
                EXPECT_TRUE(seen.cells.emplace(Cell{ox + b.x, oy + b.y, oz + b.z}, faces).second);
            }
    }
    for (int32_t i = 0; i < sprites.count(); ++i) {
        const SpriteObject& s = sprites.object(i);
        seen.figures.push_back(
            figureText(s.type, s.name, s.angle, s.position.x, s.position.y, s.position.z));
    }
    return seen;
}

void expectSame(const Model& expected, const Model& seen, const std::string& script) {
    EXPECT_EQ(seen.figures, expected.figures) << script;
    ASSERT_EQ(seen.cells.size(), expected.cells.size()) << script;
    for (const auto& [cell, faces] : expected.cells) {
        const auto found = seen.cells.find(cell);
        ASSERT_NE(found, seen.cells.end()) << cell[0] << ' ' << cell[1] << ' ' << cell[2] << script;
        for (int f = 0; f < 6; ++f)
            ASSERT_EQ(faceText(found->second[f]), faceText(faces[f]))
                << cell[0] << ' ' << cell[1] << ' ' << cell[2] << " face " << f << script;
    }
}

// Writes random calls as Lua and applies them to the model, the plain way.
class ScriptMaker {
public:
    explicit ScriptMaker(uint32_t seed) : random(seed) {}

    // A script of calls; prints holds what its gets must print. With fail
    // set the script ends in an error half way.
    std::string make(Model& model, std::vector<std::string>* prints, bool fail) {
        std::ostringstream lua;
        lua << "local function faces(b)\n"
               "  if not b then return 'nil' end\n"
               "  local t = {}\n"
               "  for f = 0, 5 do local m = b[f]\n"
               "    t[#t + 1] = string.format('%d,%d,%d,%d,%d,%d;', m.texture, m.offset_u,\n"
               "      m.offset_v, m.rotation, m.scale_u, m.scale_v)\n"
               "  end\n"
               "  return table.concat(t)\n"
               "end\n";
        const int calls = 4 + int(random() % 14);
        const int failAt = fail ? int(random() % calls) : -1;
        for (int i = 0; i < calls; ++i) {
            if (i == failAt)
                lua << "error('half way')\n";
            call(lua, model, prints);
        }
        return lua.str();
    }

private:
    int32_t pick(int32_t low, int32_t high) { return low + int32_t(random() % (high - low + 1)); }
    Cell cell() { return {pick(3992, 4012), pick(3998, 4004), pick(3992, 4012)}; }

    FaceMaterial material(std::ostream& lua) {
        FaceMaterial m;
        m.texture = pick(101, 106);
        m.offsetU = pick(-2, 2);
        m.rotation = uint8_t(pick(0, 3));
        m.scaleV = int8_t(pick(1, 3) * (pick(0, 1) ? 1 : -1));  // negative: mirrored
        lua << "city.material{texture = " << m.texture << ", offset_u = " << m.offsetU
            << ", rotation = " << int(m.rotation) << ", scale_v = " << int(m.scaleV) << "}";
        return m;
    }

    static void corners(std::ostream& lua, const Cell& a, const Cell& b) {
        lua << a[0] << ", " << a[1] << ", " << a[2] << ", " << b[0] << ", " << b[1] << ", " << b[2];
    }

    template <class Visit>
    static void box(const Cell& a, const Cell& b, Visit visit) {
        for (int32_t x = std::min(a[0], b[0]); x <= std::max(a[0], b[0]); ++x)
            for (int32_t y = std::min(a[1], b[1]); y <= std::max(a[1], b[1]); ++y)
                for (int32_t z = std::min(a[2], b[2]); z <= std::max(a[2], b[2]); ++z)
                    visit(x, y, z,
                          x == std::min(a[0], b[0]) || x == std::max(a[0], b[0]) ||
                              y == std::min(a[1], b[1]) || y == std::max(a[1], b[1]) ||
                              z == std::min(a[2], b[2]) || z == std::max(a[2], b[2]));
    }

    void call(std::ostream& lua, Model& model, std::vector<std::string>* prints) {
        const Cell a = cell(), b = cell();
        const int kind = pick(0, 10);
        if (kind <= 1) {
            lua << (kind == 0 ? "city.fill(" : "city.hollow(");
            corners(lua, a, b);
            lua << ", ";
            const FaceMaterial m = material(lua);
            lua << ")\n";
            box(a, b, [&](int32_t x, int32_t y, int32_t z, bool wall) {
                if (kind == 0 || wall)
                    model.put(x, y, z, m);
                else
                    model.cells.erase({x, y, z});
            });
        } else if (kind == 2) {
            lua << "city.clear(";
            corners(lua, a, b);
            lua << ")\n";
            box(a, b, [&](int32_t x, int32_t y, int32_t z, bool) { model.cells.erase({x, y, z}); });
            std::vector<std::string> kept;
            for (const std::string& f : model.figures) {
                std::istringstream in(f.substr(f.find(' ', f.find(' ') + 1)));
                float angle, px, py, pz;
                in >> angle >> px >> py >> pz;
                const Cell at{int32_t(std::floor(px / 10)), int32_t(std::floor(py / 15)),
                              int32_t(std::floor(pz / 10))};
                bool inside = true;
                for (int k = 0; k < 3; ++k)
                    inside =
                        inside && at[k] >= std::min(a[k], b[k]) && at[k] <= std::max(a[k], b[k]);
                if (!inside)
                    kept.push_back(f);
            }
            model.figures = kept;
        } else if (kind == 3) {
            // Replace the material of some face of a block that is there.
            FaceMaterial from;
            from.texture = pick(101, 106);
            if (!model.cells.empty() && pick(0, 2) > 0) {
                auto it = model.cells.begin();
                std::advance(it, random() % model.cells.size());
                from = it->second[random() % 6];
            }
            lua << "city.replace(";
            corners(lua, a, b);
            lua << ", {texture = " << from.texture << ", offset_u = " << from.offsetU
                << ", offset_v = " << from.offsetV << ", rotation = " << int(from.rotation)
                << ", scale_u = " << int(from.scaleU) << ", scale_v = " << int(from.scaleV)
                << "}, ";
            const FaceMaterial to = material(lua);
            lua << ")\n";
            box(a, b, [&](int32_t x, int32_t y, int32_t z, bool) {
                const auto found = model.cells.find({x, y, z});
                if (found != model.cells.end())
                    for (FaceMaterial& f : found->second)
                        if (f == from)
                            f = to;
            });
        } else if (kind == 4) {
            lua << "city.line(";
            corners(lua, a, b);
            lua << ", ";
            const FaceMaterial m = material(lua);
            lua << ")\n";
            int64_t n = 0;
            for (int k = 0; k < 3; ++k)
                n = std::max<int64_t>(n, std::abs(b[k] - a[k]));
            for (int64_t i = 0; i <= n; ++i) {
                int64_t c[3];
                for (int k = 0; k < 3; ++k)
                    c[k] = a[k] + (n == 0 ? 0 : int64_t(std::round(double(b[k] - a[k]) * i / n)));
                model.put(c[0], c[1], c[2], m);
            }
        } else if (kind <= 6) {
            const bool upright = kind == 5, hollow = pick(0, 1) == 1;
            const int32_t r = pick(0, 5), h = pick(0, 4);
            lua << (upright ? "city.cylinder(" : "city.sphere(") << a[0] << ", " << a[1] << ", "
                << a[2] << ", " << r << ", ";
            if (upright)
                lua << h << ", ";
            const FaceMaterial m = material(lua);
            lua << ", " << (hollow ? "true" : "false") << ")\n";
            for (int32_t dx = -r; dx <= r; ++dx)
                for (int32_t dy = upright ? 0 : -r; dy <= (upright ? h - 1 : r); ++dy)
                    for (int32_t dz = -r; dz <= r; ++dz) {
                        const int32_t d = dx * dx + dz * dz + (upright ? 0 : dy * dy);
                        if (d <= r * r && (!hollow || d > (r - 1) * (r - 1)))
                            model.put(a[0] + dx, a[1] + dy, a[2] + dz, m);
                    }
        } else if (kind == 7) {
            lua << "city.set(" << a[0] << ", " << a[1] << ", " << a[2] << ", ";
            model.put(a[0], a[1], a[2], material(lua));
            lua << ")\n";
        } else if (kind == 8) {
            lua << "city.remove(" << a[0] << ", " << a[1] << ", " << a[2] << ")\n";
            model.cells.erase(a);
        } else if (kind == 9) {
            const int32_t type = pick(0, 13), heading = pick(-400, 400);
            const std::string name = "F" + std::to_string(pick(0, 99));
            lua << "city.figure(" << a[0] << ", " << a[1] << ", " << a[2] << ", " << type << ", '"
                << name << "', " << heading << ")\n";
            model.figures.push_back(figureText(type, name, float(std::fmod(heading, 360.0)),
                                               a[0] * 10.0f + 5.0f, (a[1] + 1) * 15.0f,
                                               a[2] * 10.0f + 5.0f));
        } else {
            lua << "print(faces(city.get(" << a[0] << ", " << a[1] << ", " << a[2] << ")))\n";
            const auto found = model.cells.find(a);
            std::string text = "nil";
            if (found != model.cells.end()) {
                text.clear();
                for (const FaceMaterial& f : found->second)
                    text += faceText(f);
            }
            prints->push_back(text);
        }
    }

    std::mt19937 random;
};

std::string fileDialogAnswer;
bool answerDialog(uintptr_t, bool, char* buffer, int32_t size, const char*, const char*) {
    std::snprintf(buffer, static_cast<size_t>(size), "%s", fileDialogAnswer.c_str());
    return true;
}

class CityScriptModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.made());
        const fs::path build(TAMO_BUILD_DIR);
        fs::copy_file(build / "TamoData.arc", fs::path(folder.path()) / "TamoData.arc");
        fs::copy(build / "Textures", fs::path(folder.path()) / "Textures");
        ASSERT_TRUE(folder.enter());
        ScreenWidth = 640;
        ScreenHeight = 480;
    }
    void TearDown() override { clearArchiveEntries(); }

    // The new world: the start block in texture 100.
    static Model startWorld() {
        Model model;
        FaceMaterial start;
        start.texture = 100;
        model.put(4000, 4000, 4000, start);
        return model;
    }

    ScratchFolder folder{"tamo_script_model"};
};

TEST_F(CityScriptModelTest, HeadlessRunsMatchTheModelAndFailuresWriteNothing) {
    ScriptMaker maker(20261209);
    Model model = startWorld();
    for (int round = 0; round < 30; ++round) {
        Model next = model;
        std::vector<std::string> prints;
        const bool fail = round % 4 == 3;
        const std::string script = maker.make(next, &prints, fail);
        writeFileBytes("round.lua", std::vector<uint8_t>(script.begin(), script.end()));
        const std::vector<uint8_t> before = readFileBytes("city.map");
        std::ostringstream out, err;
        const int code = ScriptCommand::runOnFile("round.lua", "city.map", out, err);
        if (fail) {
            EXPECT_EQ(code, 1) << script;
            EXPECT_NE(err.str().find("round.lua:"), std::string::npos) << err.str();
            EXPECT_EQ(readFileBytes("city.map"), before) << script;
            continue;
        }
        ASSERT_EQ(code, 0) << err.str() << script;
        std::ostringstream expected;
        for (const std::string& line : prints)
            expected << line << '\n';
        EXPECT_EQ(out.str().substr(0, out.str().rfind("city.map: ")), expected.str()) << script;
        HeadlessCity city;
        std::string why;
        ASSERT_TRUE(city.load("city.map", &why)) << why;
        expectSame(next, observe(city.map(), city.sprites()), script);
        model = next;
    }
}

TEST_F(CityScriptModelTest, CtrlRRunsMatchTheModelAsOneUndoableAction) {
    clearArchiveEntries();
    declareMediaArchive();
    MainWindow* window = new MainWindow(mainWindowDescription());
    window->setFileDialog(&answerDialog);
    TamoEngineCore& core = *window->getEngineCore();
    fileDialogAnswer = (fs::current_path() / "round.lua").string();
    ScriptMaker maker(7);
    Model model = startWorld();
    for (int round = 0; round < 20; ++round) {
        Model next = model;
        std::vector<std::string> prints;
        const bool fail = round % 4 == 3;
        const std::string script = maker.make(next, &prints, fail);
        writeFileBytes("round.lua", std::vector<uint8_t>(script.begin(), script.end()));
        const size_t undoable = core.history->undoableCount();
        // Ctrl+R the first time, then F5 runs the same file again.
        window->onEvent(EventKeyDown, round == 0 ? 'R' : VK_F1 + 4,
                        round == 0 ? KeyModifierControl : 0);
        const char* caption = window->captionAt(getTickCount());
        ASSERT_NE(caption, nullptr);
        if (fail) {
            EXPECT_STREQ(caption, "SCRIPT FAILED");
            EXPECT_EQ(core.history->undoableCount(), undoable);
            expectSame(model, observe(*core.map, *core.sprites), script);
            continue;
        }
        EXPECT_EQ(std::string(caption).rfind("CHANGED ", 0), 0u) << caption;
        expectSame(next, observe(*core.map, *core.sprites), script);
        if (core.history->undoableCount() == undoable) {
            model = next;  // it changed nothing
            continue;
        }
        EXPECT_EQ(core.history->undoableCount(), undoable + 1);
        ASSERT_TRUE(core.history->undo());
        expectSame(model, observe(*core.map, *core.sprites), script);
        ASSERT_TRUE(core.history->redo());
        expectSame(next, observe(*core.map, *core.sprites), script);
        model = next;
    }
    if (anyWindowRegistered())
        delete window;
}

}  // namespace
