// The street grid of examples/street_grid.lua (200 x 10 x 200 cells, about
// 93,000 cells and 200 lamps) built by the script, against the same cells set
// by the existing fill calls one by one (each its own action, the figures
// added one by one), rebuilds included on both sides. The two worlds are
// checked to be the same, byte for byte.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "BenchWorld.h"
#include "script/CityScript.h"
#include "world/CellBox.h"
#include "world/MapFile.h"
#include "world/RegionEdit.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using namespace bench;

namespace {

void rebuildMarked() {
    TamoMap& map = *stage().map;
    for (int32_t i = 0; i < map.sectorCount(); ++i)
        if (map.sector(i)->needsRebuild)
            map.sector(i)->rebuild();
}

FaceMaterial texture(int32_t id) {
    FaceMaterial m;
    m.texture = id;
    return m;
}

// The calls of examples/street_grid.lua, made through RegionEdit.
void streetGridByFills(RegionEdit& edit, TamoSpriteObjectSet& sprites) {
    const int32_t x0 = 3950, y0 = 3985, z0 = 3900, size = 200, block = 40, road = 6, walk = 2;
    edit.fill(CellBox(x0, y0, z0, x0 + size - 1, y0, z0 + size - 1), texture(118));
    for (int32_t s = 0; s < size; s += block) {
        const int32_t lo = s + block - road - 2 * walk, hi = lo + road + 2 * walk - 1;
        edit.fill(CellBox(x0 + lo, y0, z0, x0 + hi, y0, z0 + size - 1), texture(117));
        edit.fill(CellBox(x0, y0, z0 + lo, x0 + size - 1, y0, z0 + hi), texture(117));
    }
    for (int32_t s = 0; s < size; s += block) {
        const int32_t lo = s + block - road - walk;
        edit.fill(CellBox(x0 + lo, y0, z0, x0 + lo + road - 1, y0, z0 + size - 1), texture(113));
        edit.fill(CellBox(x0, y0, z0 + lo, x0 + size - 1, y0, z0 + lo + road - 1), texture(113));
        const int32_t mid = x0 + lo + road / 2;
        edit.fill(CellBox(mid, y0, z0, mid, y0, z0 + size - 1), texture(114));
    }
    int32_t n = 0;
    const int32_t corners[4][2] = {{2, 2}, {16, 2}, {2, 16}, {16, 16}};
    for (int32_t bx = 0; bx < size; bx += block)
        for (int32_t bz = 0; bz < size; bz += block)
            for (const auto& corner : corners) {
                ++n;
                const int32_t hx = x0 + bx + corner[0], hz = z0 + bz + corner[1];
                const int32_t height = 5 + (n * 7) % 6;
                edit.hollow(CellBox(hx, y0 + 1, hz, hx + 11, y0 + height, hz + 11),
                            texture(101 + n % 6));
            }
    for (int32_t s = 0; s < size; s += block) {
        const int32_t kerb = s + block - road - walk - 1;
        for (int32_t along = 4; along < size; along += 10) {
            SpriteObject lamp;
            lamp.type = 5;
            lamp.position =
                Vector3((x0 + kerb) * 10.0f + 5.0f, (y0 + 1) * 15.0f, (z0 + along) * 10.0f + 5.0f);
            sprites.addObject(lamp);
            lamp.position =
                Vector3((x0 + along) * 10.0f + 5.0f, (y0 + 1) * 15.0f, (z0 + kerb) * 10.0f + 5.0f);
            lamp.angle = 90.0f;
            sprites.addObject(lamp);
            lamp.angle = 0.0f;
        }
    }
}

std::vector<uint8_t> canonicalBytes() {
    std::vector<uint8_t> bytes;
    MapFile::snapshotWorld(*stage().map, *stage().core->sprites, MapFormat::RecordOrder::Canonical,
                           &bytes);
    return bytes;
}

std::vector<uint8_t> builtByFills;

void emptyWorld() {
    resetMap();
    stage().core->sprites->replaceAll({});
}

void BM_StreetGrid_Fills(benchmark::State& state) {
    Stage& s = stage();
    double editMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        emptyWorld();
        WorldHistory history(*s.map, *s.core->sprites);
        RegionEdit edit(*s.map, *s.core->sprites, &history);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        streetGridByFills(edit, *s.core->sprites);
        editMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        rebuildMarked();
        state.PauseTiming();
        builtByFills = canonicalBytes();
        state.ResumeTiming();
    }
    state.counters["editMs"] = editMs / static_cast<double>(state.iterations());
}

void BM_StreetGrid_Script(benchmark::State& state) {
    Stage& s = stage();
    double editMs = 0;
    int64_t cells = 0;
    for (auto _ : state) {
        state.PauseTiming();
        emptyWorld();
        WorldHistory history(*s.map, *s.core->sprites);
        CityScript script(*s.map, *s.core->sprites, &history);
        ScriptCity::Surroundings quiet;
        quiet.print = [](const std::string&) {};
        script.setSurroundings(quiet);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const CityScript::Result result =
            script.runFile(std::string(TAMO_SOURCE_DIR) + "/examples/street_grid.lua");
        editMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        rebuildMarked();
        state.PauseTiming();
        const char* fault = !result.done                       ? result.message.c_str()
                            : canonicalBytes() != builtByFills ? "the script's world differs"
                                                               : nullptr;
        if (fault) {
            state.SkipWithError(fault);
            break;
        }
        cells = result.cells;
        state.ResumeTiming();
    }
    state.counters["editMs"] = editMs / static_cast<double>(state.iterations());
    state.counters["cells"] = static_cast<double>(cells);
}

// The fills first: the script's run compares its world with theirs.
BENCHMARK(BM_StreetGrid_Fills)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StreetGrid_Script)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
