// Frames of a whole city from fixed cameras, with culling on and off in the
// same run, the load of the city file with the memory it takes, and a click
// in it: frames per second, quads submitted and sectors drawn per frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <random>
#include <set>
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

// Textures 100 to 118 as the program loads them: 64 x 64, linear filtering;
// the sky's texture 1 (512 x 32, opaque).
void loadCityTextures() {
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    std::vector<uint8_t> sky;
    for (int32_t i = 0; i < 512 * 32; ++i)
        sky.insert(sky.end(), {static_cast<uint8_t>(60 + i / 512 * 4), 120,
                               static_cast<uint8_t>(200 + i % 512 / 16)});
    createUniformAlphaTexture(stage().gl->textures.get(), sky.data(), 512, 32, 1, 1.0f);
    for (int32_t id = 100; id <= 118; ++id) {
        std::vector<uint8_t> rgb;
        for (int32_t i = 0; i < 64 * 64; ++i)
            rgb.insert(rgb.end(), {static_cast<uint8_t>(id * 23 + i % 64 * 3),
                                   static_cast<uint8_t>(i / 64 * 4), static_cast<uint8_t>(id * 5)});
        createUniformAlphaTexture(stage().gl->textures.get(), rgb.data(), 64, 64, id, 1.0f);
    }
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
    std::string why;
    if (!MapFile::loadWorld(writtenCity(sectors).c_str(), *stage().map, *stage().core->sprites,
                            &why))
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

// One frame as the program draws it: the map, the sky dome behind it, the
// sprite objects, presented. A city of 0 sectors is an empty map: what the
// frame costs without the world.
void cityFrame(benchmark::State& state) {
    const int32_t sectors = static_cast<int32_t>(state.range(0));
    const Camera& camera = Cameras[state.range(1)];
    const bool cull = state.range(2) != 0;
    const bool buffers = state.range(3) != 0;
    const bool skyFirst = state.range(4) == 0;
    loadCity(sectors);
    Stage& s = stage();
    if (s.gl->vertexBuffers() != buffers) {
        s.gl->allowVertexBuffers(buffers);
        for (int32_t i = 0; i < s.map->sectorCount(); ++i) {
            s.map->sector(i)->needsRebuild = true;
            s.map->sector(i)->rebuild();
        }
    }
    static std::unique_ptr<SkyDome> sky(new SkyDome(*s.gl, 950.0f, 16, 20, 1));
    s.core->view3D = true;
    s.core->cullToView = cull;
    s.gl->eye = camera.eye;
    Vector3 direction = camera.direction;
    s.gl->direction = normalise(direction);
    s.gl->up = Vector3(0, 1, 0);
    s.gl->applyProjection();
    s.gl->enableAlphaTest();  // as the program draws
    for (auto _ : state) {
        s.gl->clear();
        s.gl->applyCamera();
        if (skyFirst) {
            sky->drawSkyDome(s.gl->eye, 0.0f);
            s.map->draw();
        } else {
            s.map->drawWithSky(*sky);
        }
        s.core->sprites->drawSprites();
        s.gl->present();
        glFinish();
    }
    s.core->cullToView = true;
    if (!buffers) {
        s.gl->allowVertexBuffers(true);
        for (int32_t i = 0; i < s.map->sectorCount(); ++i) {
            s.map->sector(i)->needsRebuild = true;
            s.map->sector(i)->rebuild();
        }
    }
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
    ->ArgNames({"sectors", "camera", "cull", "buffers", "skyBehind"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        // The city outermost: it is built and loaded once per size. Quads
        // in vertex buffers, and in display lists as before; culled frames
        // also with the sky drawn first, as before, not behind the city.
        for (int64_t sectors : {0, 200, 1000})
            for (int64_t camera : {0, 1, 2})
                for (int64_t cull : {1, 0})
                    for (int64_t buffers : {1, 0})
                        for (int64_t behind : {1, 0})
                            if ((sectors > 0 || (camera == 0 && cull == 1)) &&
                                (behind == 1 || (sectors > 0 && cull == 1)))
                                b->Args({sectors, camera, cull, buffers, behind});
    })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

// Resident memory of the process (pages in RAM), in MB, after giving freed
// memory back to the system: what the world holds, not what an earlier world
// left in the allocator.
double residentMB() {
    malloc_trim(0);
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

double processMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Loading the city file, sector rebuilds included, and the memory the loaded
// city holds against what it must: the block records plus the vertex data
// its display lists draw (four vertices of five floats a quad), beside the
// memory of the start world measured in the same process before any city.
void cityLoad(benchmark::State& state) {
    // The GL context, the textures and an empty map: the start world less
    // its one block.
    static const double StartWorldMB = [] {
        loadCityTextures();
        resetMap();
        return residentMB();
    }();
    const int32_t sectors = static_cast<int32_t>(state.range(0));
    loadCity(sectors);
    std::vector<double> loads;
    for (auto _ : state) {
        resetMap();
        const double start = processMilliseconds();
        std::string why;
        if (!MapFile::loadWorld(cityFile(sectors).c_str(), *stage().map, *stage().core->sprites,
                                &why))
            state.SkipWithError(why.c_str());
        glFinish();
        loads.push_back(processMilliseconds() - start);
    }
    loadedCity = sectors;
    int64_t blocks = 0, quads = 0;
    TamoMap& map = *stage().map;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        blocks += map.sector(i)->blocks.count();
        quads += map.sector(i)->compiledQuads;
    }
    const double recordsMB = static_cast<double>(blocks) * sizeof(MapBlock) / 1e6;
    const double vertexMB = static_cast<double>(quads) * 4 * 5 * sizeof(float) / 1e6;
    const double resident = residentMB();
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["firstLoadCpuMs"] = loads.front();
    state.counters["laterLoadCpuMs"] = loads.back();
    state.counters["residentMB"] = resident;
    state.counters["startWorldMB"] = StartWorldMB;
    state.counters["recordsMB"] = recordsMB;
    state.counters["vertexMB"] = vertexMB;
    state.counters["targetMB"] = 1.5 * (recordsMB + vertexMB) + StartWorldMB;
    state.counters["bytesPerSector"] =
        (resident - StartWorldMB) * 1e6 / static_cast<double>(map.sectorCount());
}
BENCHMARK(cityLoad)
    ->Name("BM_CityLoad")
    ->ArgNames({"sectors"})
    ->Arg(200)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// One click in the city from the start position, looking down at the
// pavement ahead: the pick and the rebuild of the one sector it changes, a
// block placed and removed again per iteration (two clicks). A city of 0
// sectors is the start world, clicking on its one block; one of 2 sectors is
// a single column of the city, the same kind of sector clicked as in the
// large ones.
void cityClick(benchmark::State& state) {
    const int32_t sectors = static_cast<int32_t>(state.range(0));
    Stage& s = stage();
    if (sectors == 0) {
        resetMap();
        s.core->buildWorld(WorldHost::History::None);
        s.map = s.core->map;
        loadedCity = -1;
    } else {
        loadCity(sectors);
    }
    TamoMap& map = *s.map;
    Ray ray;
    const float w = static_cast<float>(s.core->blockWidth);
    const float h = static_cast<float>(s.core->blockHeight);
    // Over the middle of the start block, or at the start position.
    ray.start =
        Vector3(40000, 60000, 40000) + (sectors == 0 ? Vector3(w / 2, 3 * h, w / 2) : Vector3());
    Vector3 down(sectors == 0 ? 0.0f : 1.0f, -1.0f, sectors == 0 ? 0.0f : 0.3f);
    ray.direction = normalise(down);
    for (int32_t i = 0; i < map.sectorCount(); ++i)
        map.sector(i)->rebuild();
    for (auto _ : state) {
        for (bool place : {true, false}) {
            BlockHit hit;
            if (!map.pick(ray, TamoMap::CursorRayLength, TamoMap::BlockEditStep, &hit)) {
                state.SkipWithError("the ray meets no block");
                return;
            }
            map.editBlockAt(hit, ray, place, s.core->material);
            map.sector(hit.sector)->rebuild();
            glFinish();
        }
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(cityClick)
    ->Name("BM_CityClick")
    ->ArgNames({"sectors"})
    ->Arg(0)
    ->Arg(2)
    ->Arg(200)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
