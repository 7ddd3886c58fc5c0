// Each figure beside the plain algorithm it replaces, measured in the same
// run: "Indexed" is the program's code, "Literal" the pairwise, linear or
// per-cell original kept as the test oracle.
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <malloc.h>
#include <time.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchWorld.h"
#include "LiteralQuadTable.h"
#include "media/FileStream.h"
#include "platform/Geometry.h"
#include "platform/GLContext.h"
#include "world/LiteralPlanView.h"
#include "world/LiteralRayMarch.h"
#include "world/MapFile.h"
#include "world/MyOptimizedQuadHashTable.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/TestFaceCorners.h"

using namespace bench;

namespace {

void fillTable(OptimizedQuadHashTable& table, const std::vector<MapBlock>& blocks) {
    table.clear();
    for (const MapBlock& b : blocks) {
        const Vector3 cell(static_cast<float>(b.x), static_cast<float>(b.y),
                           static_cast<float>(b.z));
        for (int32_t f = 0; f < 6; ++f) {
            const TestFaceCorners& c = FaceCorners[f];
            const FaceMaterial& m = b.faces[f];
            table.addFace(c.p1 + cell, c.p2 + cell, c.orientation, m.texture, m.offsetU, m.offsetV,
                          m.rotation, m.scaleU, m.scaleV);
        }
    }
}

// Hidden faces and merging of one sector's faces, without drawing.
template <bool Literal>
void mergeSector(benchmark::State& state, Fill fill) {
    TamoEngineCore* core = stage().core;
    const std::vector<MapBlock> blocks = sectorBlocks(fill);
    LiteralQuadTable literalTable(core->blockWidth, core->blockHeight);
    MyOptimizedQuadHashTable table(core->blockWidth, core->blockHeight);
    for (auto _ : state) {
        state.PauseTiming();
        fillTable(Literal ? literalTable : table, blocks);
        state.ResumeTiming();
        if (Literal) {
            literalTable.mergeOnly();
        } else {
            table.removeHiddenPairs();
            table.mergeQuads();
        }
    }
    table.removeHiddenPairs();
    state.counters["faces"] = static_cast<double>(blocks.size() * 6);
}

// A whole sector rebuild: faces added, merged and compiled into its list.
template <bool Literal>
void rebuildSector(benchmark::State& state, Fill fill) {
    resetMap();
    TamoEngineCore* core = stage().core;
    std::unique_ptr<TamoSector> sector(core->createSector({40000, 60000, 40000}, 20));
    if (Literal)
        sector->quadTable.reset(new LiteralQuadTable(core->blockWidth, core->blockHeight));
    placeBlocks(*sector, sectorBlocks(fill));
    for (auto _ : state) {
        sector->needsRebuild = true;
        sector->rebuild();
        glFinish();
    }
}

// The program's merge: the sector hands its table the faces (leaving out
// those a neighbour hides when it can tell), and the table drops hidden
// faces and merges, without drawing. Unlike the table-only figures above,
// handing the faces over is timed too.
void mergeThroughSector(benchmark::State& state, Fill fill) {
    resetMap();
    std::unique_ptr<TamoSector> sector(stage().core->createSector({40000, 60000, 40000}, 20));
    placeBlocks(*sector, sectorBlocks(fill));
    sector->needsRebuild = true;
    sector->rebuild();  // building sides get their roofs, as in the program
    for (auto _ : state) {
        sector->fillQuadTable();
        sector->quadTable->removeHiddenPairs();
        sector->quadTable->mergeQuads();
    }
    state.counters["quads"] = static_cast<double>(sector->quadTable->liveQuads().size());
}

void BM_MergeSolidSector_Sector(benchmark::State& s) {
    mergeThroughSector(s, Fill::Solid);
}
void BM_MergeCheckerboard_Sector(benchmark::State& s) {
    mergeThroughSector(s, Fill::Checkerboard);
}
void BM_MergeRandomHalf_Sector(benchmark::State& s) {
    mergeThroughSector(s, Fill::RandomHalf);
}
BENCHMARK(BM_MergeSolidSector_Sector)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeCheckerboard_Sector)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeRandomHalf_Sector)->Unit(benchmark::kMicrosecond);

// Hidden-face removal alone, the larger part of merging a full sector.
void BM_HiddenFacesSolidSector_Indexed(benchmark::State& state) {
    const std::vector<MapBlock> blocks = sectorBlocks(Fill::Solid);
    MyOptimizedQuadHashTable table(stage().core->blockWidth, stage().core->blockHeight);
    for (auto _ : state) {
        state.PauseTiming();
        fillTable(table, blocks);
        state.ResumeTiming();
        table.removeHiddenPairs();
    }
}
BENCHMARK(BM_HiddenFacesSolidSector_Indexed)->Unit(benchmark::kMicrosecond);

void BM_MergeSolidSector_Indexed(benchmark::State& s) {
    mergeSector<false>(s, Fill::Solid);
}
void BM_MergeSolidSector_Literal(benchmark::State& s) {
    mergeSector<true>(s, Fill::Solid);
}
void BM_MergeCheckerboard_Indexed(benchmark::State& s) {
    mergeSector<false>(s, Fill::Checkerboard);
}
void BM_MergeCheckerboard_Literal(benchmark::State& s) {
    mergeSector<true>(s, Fill::Checkerboard);
}
void BM_MergeRandomHalf_Indexed(benchmark::State& s) {
    mergeSector<false>(s, Fill::RandomHalf);
}
void BM_MergeRandomHalf_Literal(benchmark::State& s) {
    mergeSector<true>(s, Fill::RandomHalf);
}
void BM_RebuildSolidSector_Indexed(benchmark::State& s) {
    rebuildSector<false>(s, Fill::Solid);
}
void BM_RebuildSolidSector_Literal(benchmark::State& s) {
    rebuildSector<true>(s, Fill::Solid);
}
void BM_RebuildCheckerboard_Indexed(benchmark::State& s) {
    rebuildSector<false>(s, Fill::Checkerboard);
}
void BM_RebuildCheckerboard_Literal(benchmark::State& s) {
    rebuildSector<true>(s, Fill::Checkerboard);
}
void BM_RebuildRandomHalf_Indexed(benchmark::State& s) {
    rebuildSector<false>(s, Fill::RandomHalf);
}
void BM_RebuildRandomHalf_Literal(benchmark::State& s) {
    rebuildSector<true>(s, Fill::RandomHalf);
}

BENCHMARK(BM_MergeSolidSector_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeSolidSector_Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeCheckerboard_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeCheckerboard_Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeRandomHalf_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeRandomHalf_Literal)->Unit(benchmark::kMicrosecond)->Iterations(3);
BENCHMARK(BM_RebuildSolidSector_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildSolidSector_Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildCheckerboard_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildCheckerboard_Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildRandomHalf_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RebuildRandomHalf_Literal)->Unit(benchmark::kMicrosecond)->Iterations(3);

// One cursor pick across the 100-sector city: step 1.0 places blocks, step
// 0.1 paints and picks faces.
template <bool Literal>
void pickInCity(benchmark::State& state, float step) {
    Vector3 eye, direction;
    buildCity(&eye, &direction);
    TamoMap* map = stage().map;
    const Vector3 end = eye + direction * 1000.0f;
    const float w = static_cast<float>(stage().core->blockWidth);
    const float h = static_cast<float>(stage().core->blockHeight);
    Vector3 hit;
    int32_t index = -1;
    for (auto _ : state) {
        if (Literal)
            literal::marchRay(*map, w, h, eye, end, step, &hit, &index);
        else
            map->marchRay(eye, end, step, &hit, &index);
        benchmark::DoNotOptimize(hit);
    }
    state.counters["sectors"] = map->sectorCount();
    state.counters["hitDistance"] = length(hit - eye);
}

void BM_PlacePick_Indexed(benchmark::State& s) {
    pickInCity<false>(s, 1.0f);
}
void BM_PlacePick_Literal(benchmark::State& s) {
    pickInCity<true>(s, 1.0f);
}
void BM_PaintPick_Indexed(benchmark::State& s) {
    pickInCity<false>(s, 0.1f);
}
void BM_PaintPick_Literal(benchmark::State& s) {
    pickInCity<true>(s, 0.1f);
}
BENCHMARK(BM_PlacePick_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlacePick_Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPick_Indexed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintPick_Literal)->Unit(benchmark::kMicrosecond)->Iterations(5);

}  // namespace

namespace {

// A world of one million blocks: 125 full sectors, each of one of four
// materials, saved once to a file the loading benchmarks read.
const char* millionFile = "/tmp/tamo-bench-million.map";

void BM_SaveMillionBlocks(benchmark::State& state) {
    buildMillion();
    for (auto _ : state) {
        std::string why;
        if (!MapFile::saveWorld(millionFile, *stage().map, *stage().core->sprites, &why))
            state.SkipWithError(why.c_str());
    }
}

// The plain save: every field written with its own stream call.
void BM_SaveMillionBlocks_Literal(benchmark::State& state) {
    buildMillion();
    for (auto _ : state) {
        FileStream stream("/tmp/tamo-bench-literal.map", "wb");
        TamoMap& map = *stage().map;
        stream.writeI32(map.sectorCount());
        for (int32_t i = 0; i < map.sectorCount(); ++i) {
            TamoSector& sector = *map.sector(i);
            int32_t used = 0;
            for (const MapBlock& b : sector.blocks)
                used += b.used ? 1 : 0;
            stream.writeI32(sector.size);
            stream.writeF32(sector.origin.x);
            stream.writeF32(sector.origin.y);
            stream.writeF32(sector.origin.z);
            stream.writeI32(used);
            for (const MapBlock& b : sector.blocks) {
                if (!b.used)
                    continue;
                stream.writeI32(b.x);
                stream.writeI32(b.y);
                stream.writeI32(b.z);
                for (const FaceMaterial& f : b.faces) {
                    stream.writeI32(f.texture);
                    stream.writeI32(f.offsetU);
                    stream.writeI32(f.offsetV);
                    stream.writeU8(f.rotation);
                    stream.writeU8(static_cast<uint8_t>(f.scaleU));
                    stream.writeU8(static_cast<uint8_t>(f.scaleV));
                }
            }
        }
        stream.writeI32(0);
    }
}

double processMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The mean of two loads hides what a user sees: the first load in a fresh
// process also has the kernel fault in the block records' fresh pages; a
// later one (a city replacing another) finds the memory ready. Both are
// reported apart, processor time, cell indices included.
void BM_LoadMillionBlocks(benchmark::State& state) {
    buildMillion();
    MapFile::saveWorld(millionFile, *stage().map, *stage().core->sprites, nullptr);
    size_t bytesPerBlock = 0;
    std::vector<double> loads;
    for (auto _ : state) {
        resetMap();
        const size_t before = mallinfo2().uordblks;
        const double start = processMilliseconds();
        std::string why;
        if (!MapFile::loadWorld(millionFile, *stage().map, *stage().core->sprites, &why))
            state.SkipWithError(why.c_str());
        // Sectors build their cell index on first lookup: count it too.
        for (int32_t i = 0; i < stage().map->sectorCount(); ++i)
            stage().map->sector(i)->findBlock(0, 0, 0);
        loads.push_back(processMilliseconds() - start);
        bytesPerBlock = (mallinfo2().uordblks - before) / 1000000;
    }
    state.counters["bytesPerBlock"] = static_cast<double>(bytesPerBlock);
    state.counters["firstLoadMs"] = loads.front();
    state.counters["laterLoadMs"] = loads.back();
}

// The engine core as it makes sectors, but with quad tables that merge
// pairwise: loading as it was first written.
class LiteralCore : public MyTamoEngineCore {
public:
    LiteralCore() : MyTamoEngineCore(stage().gl, nullptr, nullptr, 100, 3, 4) {}
    OptimizedQuadHashTable* createQuadTable() override {
        return new LiteralQuadTable(blockWidth, blockHeight);
    }
};

void BM_LoadMillionBlocks_Literal(benchmark::State& state) {
    buildMillion();
    MapFile::saveWorld(millionFile, *stage().map, *stage().core->sprites, nullptr);
    resetMap();
    LiteralCore core;
    for (auto _ : state) {
        FileStream stream(millionFile, "rb");
        int32_t sectors = 0;
        stream.readI32(&sectors);
        std::vector<std::unique_ptr<TamoSector>> loaded;
        for (int32_t i = 0; i < sectors; ++i) {
            TamoSectorData data;
            int32_t count = 0;
            stream.readI32(&data.size);
            stream.readF32(&data.origin.x);
            stream.readF32(&data.origin.y);
            stream.readF32(&data.origin.z);
            stream.readI32(&count);
            for (int32_t b = 0; b < count; ++b) {
                MapBlock block;
                stream.readI32(&block.x);
                stream.readI32(&block.y);
                stream.readI32(&block.z);
                for (FaceMaterial& f : block.faces) {
                    uint8_t su = 0, sv = 0;
                    stream.readI32(&f.texture);
                    stream.readI32(&f.offsetU);
                    stream.readI32(&f.offsetV);
                    stream.readU8(&f.rotation);
                    stream.readU8(&su);
                    stream.readU8(&sv);
                    f.scaleU = static_cast<int8_t>(su);
                    f.scaleV = static_cast<int8_t>(sv);
                }
                block.used = true;
                data.blocks.push_back(block);
            }
            loaded.emplace_back(core.createSectorFromData(data));
        }
    }
}

BENCHMARK(BM_SaveMillionBlocks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SaveMillionBlocks_Literal)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LoadMillionBlocks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LoadMillionBlocks_Literal)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

namespace {

// One plan-view frame of the 100-sector city, scrolled so that its middle
// fills the screen, at a level cutting through the towers.
template <bool Literal>
void planFrame(benchmark::State& state) {
    Vector3 eye, direction;
    buildCity(&eye, &direction);
    Stage& s = stage();
    s.core->view3D = false;
    s.core->currentLevel = 4000 + 6;
    s.core->planScrollX = (40000 + 800) / 10.0f * 16.0f;
    s.core->planScrollY = (40000 + 800) / 10.0f * 16.0f;
    int64_t cells = 0;
    for (auto _ : state) {
        s.gl->clear();
        if (Literal) {
            for (int32_t i = 0; i < s.map->sectorCount(); ++i)
                literal::drawPlan(*s.map->sector(i), *s.core, s.core->planView());
        } else {
            s.map->draw();
        }
        glFinish();
    }
    for (int32_t i = 0; i < s.map->sectorCount(); ++i)
        cells += s.map->sector(i)->blocks.count();
    state.counters["records"] = static_cast<double>(cells);
    s.core->view3D = true;
}

void BM_PlanFrame_Indexed(benchmark::State& s) {
    planFrame<false>(s);
}
void BM_PlanFrame_Literal(benchmark::State& s) {
    planFrame<true>(s);
}
BENCHMARK(BM_PlanFrame_Indexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanFrame_Literal)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
