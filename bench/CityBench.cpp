// Frames of a whole city from fixed cameras, with culling on and off in the
// same run, and the load of the city file: frames per second, quads
// submitted and sectors drawn per frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchWorld.h"
#include "media/SkyDome.h"
#include "media/Textures.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "world/MapFile.h"
#include "world/TamoSpriteObjectSet.h"

using namespace bench;

namespace {

// Textures 100 to 118 as the program loads them: 64 x 64, linear filtering.
void loadCityTextures() {
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    for (int32_t id = 100; id <= 118; ++id) {
        std::vector<uint8_t> rgb;
        for (int32_t i = 0; i < 64 * 64; ++i)
            rgb.insert(rgb.end(), {static_cast<uint8_t>(id * 23 + i % 64 * 3),
                                   static_cast<uint8_t>(i / 64 * 4), static_cast<uint8_t>(id * 5)});
        createUniformAlphaTexture(stage().gl->textures.get(), rgb.data(), 64, 64, id, 1.0f);
    }
}

std::string cityFile(int32_t sectors) {
    return "/tmp/tamo-bench-city-" + std::to_string(sectors) + ".map";
}

// The city's file, written once per size: a grid of sector columns around
// the start point, each a ground sector (streets on top, one sector below
// the eye) and the sector above it, houses of 2 to 14 storeys standing on
// the streets with facades (their roofs follow), and a few dozen odd blocks
// of random materials in each sector.
void writeCity(int32_t sectors) {
    resetMap();
    Stage& s = stage();
    const int32_t across = sectors == 200 ? 10 : 25;
    const int32_t deep = sectors / 2 / across;
    std::mt19937 random(static_cast<uint32_t>(sectors));
    const auto below = [&](int32_t n) { return static_cast<int32_t>(random() % n); };
    const Vector3 start(40000, 60000, 40000);
    for (int32_t cx = -across / 2; cx < across - across / 2; ++cx)
        for (int32_t cz = -deep / 2; cz < deep - deep / 2; ++cz) {
            // The column's two sectors; cell y 0 to 19 in the ground sector,
            // 20 to 39 in the one above.
            const Vector3 corner = start + Vector3(cx * 200.0f + 1, -299, cz * 200.0f + 1);
            TamoSector* ground = s.map->sector(s.map->findOrCreateSector(corner));
            TamoSector* above =
                s.map->sector(s.map->findOrCreateSector(corner + Vector3(0, 300, 0)));
            const auto put = [&](int32_t x, int32_t y, int32_t z, int32_t texture) {
                s.core->material = FaceMaterial{texture, 0, 0, 0, 1, 1};
                (y < 20 ? ground : above)->setBlock(x, y % 20, z, true);
            };
            // Streets along two edges of the column, pavement elsewhere.
            for (int32_t x = 0; x < 20; ++x)
                for (int32_t z = 0; z < 20; ++z)
                    put(x, 16, z, x < 4 || z < 4 ? 100 : 113);
            // Four houses on the blocks between the streets.
            for (int32_t house = 0; house < 4; ++house) {
                const int32_t x0 = 5 + (house % 2) * 8, z0 = 5 + (house / 2) * 8;
                const int32_t storeys = 2 + below(13);
                const int32_t facade = 101 + below(6);
                for (int32_t x = x0; x < x0 + 6; ++x)
                    for (int32_t z = z0; z < z0 + 6; ++z)
                        for (int32_t y = 17; y < 17 + storeys; ++y)
                            put(x, y, z, facade);
            }
            for (int32_t odd = 0; odd < 40; ++odd)
                put(below(20), 17 + below(23), below(20), 113 + below(6));
        }
    s.core->material = FaceMaterial{100, 0, 0, 0, 1, 1};
    MapFile::saveWorld(cityFile(sectors).c_str(), *s.map, *s.core->sprites, nullptr);
}

// The city on the map: its sectors, 0 for the empty map, -1 for none yet.
int32_t loadedCity = -1;

void loadCity(int32_t sectors) {
    if (loadedCity == sectors)
        return;
    loadCityTextures();
    loadedCity = sectors;
    if (sectors == 0) {
        resetMap();
        return;
    }
    static bool written[2] = {false, false};
    if (!written[sectors == 1000]) {
        writeCity(sectors);
        written[sectors == 1000] = true;
    }
    std::string why;
    if (!MapFile::loadWorld(cityFile(sectors).c_str(), *stage().map, *stage().core->sprites, &why))
        std::fprintf(stderr, "city: %s\n", why.c_str());
}

struct Camera {
    Vector3 eye, direction;
};

// The start position and view; walked back to the city's edge, looking in;
// high over one corner, looking down across it.
const Camera Cameras[3] = {{{40000, 60000, 40000}, {1, 0, 0}},
                           {{38900, 60060, 40000}, {1, 0, 0}},
                           {{38800, 60600, 38800}, {1, -0.5f, 1}}};

// One frame as the program draws it: sky dome, map, presented. A city of 0
// sectors is an empty map: what the frame costs without the world.
void cityFrame(benchmark::State& state) {
    const int32_t sectors = static_cast<int32_t>(state.range(0));
    const Camera& camera = Cameras[state.range(1)];
    const bool cull = state.range(2) != 0;
    loadCity(sectors);
    Stage& s = stage();
    static std::unique_ptr<SkyDome> sky(new SkyDome(*s.gl, 950.0f, 16, 20, 1));
    s.core->view3D = true;
    s.core->settings.cullToView = cull;
    s.gl->eye = camera.eye;
    Vector3 direction = camera.direction;
    s.gl->direction = normalise(direction);
    s.gl->up = Vector3(0, 1, 0);
    s.gl->applyProjection();
    s.gl->enableAlphaTest();  // as the program draws
    for (auto _ : state) {
        s.gl->clear();
        s.gl->applyCamera();
        sky->drawSkyDome(s.gl->eye, 0.0f);
        s.map->draw();
        s.core->sprites->drawSprites();
        s.gl->present();
        glFinish();
    }
    s.core->settings.cullToView = true;
    const DrawCounts& counts = s.map->lastDrawCounts();
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["quads"] = static_cast<double>(counts.quadsDrawn);
    state.counters["quadsTotal"] = static_cast<double>(counts.quadsTotal);
    state.counters["sectors"] = counts.sectorsDrawn;
    state.counters["sectorsTotal"] = counts.sectorsTotal;
}
BENCHMARK(cityFrame)
    ->Name("BM_CityFrame")
    ->ArgNames({"sectors", "camera", "cull"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        // The city outermost: it is built and loaded once per size.
        for (int64_t sectors : {0, 200, 1000})
            for (int64_t camera : {0, 1, 2})
                for (int64_t cull : {1, 0})
                    if (sectors > 0 || (camera == 0 && cull == 1))
                        b->Args({sectors, camera, cull});
    })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// Loading the city file, sector rebuilds included.
void cityLoad(benchmark::State& state) {
    const int32_t sectors = static_cast<int32_t>(state.range(0));
    loadCity(sectors);
    for (auto _ : state) {
        resetMap();
        std::string why;
        if (!MapFile::loadWorld(cityFile(sectors).c_str(), *stage().map, *stage().core->sprites,
                                &why))
            state.SkipWithError(why.c_str());
        glFinish();
    }
    loadedCity = sectors;
}
BENCHMARK(cityLoad)
    ->Name("BM_CityLoad")
    ->ArgNames({"sectors"})
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
