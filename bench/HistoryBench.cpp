// Undo and autosave beside the plain way of doing the same: undo through the
// history against putting back a whole snapshot of the world, and the
// autosave's cached snapshot against the whole world's bytes in memory and
// against writing the file on the frame.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "BenchWorld.h"
#include "world/MapFile.h"
#include "world/MapFormat.h"
#include "world/SnapshotCache.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using namespace bench;

namespace {

// A block in the middle of the million, removed by the edit undone.
const Vector3 EditPoint(40105.0f, 60307.0f, 40105.0f);

// Rebuilds what the next frame would: every sector an edit or a load marked,
// display lists included. Returns how many.
int32_t rebuildMarkedSectors(TamoMap& map) {
    int32_t rebuilt = 0;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        TamoSector* sector = map.sector(i);
        if (sector->needsRebuild) {
            sector->rebuild();
            ++rebuilt;
        }
    }
    glFinish();
    return rebuilt;
}

// Undoing a one-block edit in a world of a million blocks until it shows:
// the undo and the rebuild of the sector it marked.
void BM_UndoOneBlockInMillion_History(benchmark::State& state) {
    buildMillion();
    Stage& s = stage();
    rebuildMarkedSectors(*s.map);
    WorldHistory history(*s.map, *s.core->sprites);
    int32_t rebuilt = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.map->setBlockAt(EditPoint, false);
        history.closeAction();
        rebuildMarkedSectors(*s.map);
        state.ResumeTiming();
        history.undo();
        rebuilt = rebuildMarkedSectors(*s.map);
    }
    state.counters["rebuilt"] = rebuilt;
}

// The same undo from a snapshot of the world taken before the edit: the
// world's bytes parsed and every sector replaced; a sector built from a
// record rebuilds as it is built, so all 125 rebuilds are inside the
// replacement ("rebuilt" counts any left for the frame).
void BM_UndoOneBlockInMillion_Snapshot(benchmark::State& state) {
    buildMillion();
    Stage& s = stage();
    int32_t rebuilt = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<uint8_t> before = MapFile::snapshotWorld(*s.map, *s.core->sprites);
        s.map->setBlockAt(EditPoint, false);
        rebuildMarkedSectors(*s.map);
        state.ResumeTiming();
        MapFormat::WorldRecords records;
        MapFormat::parseWorld(before.data(), before.size(), &records, nullptr);
        s.map->replaceSectors(std::move(records.sectors));
        s.core->sprites->replaceAll(std::move(records.sprites));
        rebuilt = rebuildMarkedSectors(*s.map);
    }
    state.counters["rebuilt"] = rebuilt;
    state.counters["sectors"] = s.map->sectorCount();
}

BENCHMARK(BM_UndoOneBlockInMillion_History)->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_UndoOneBlockInMillion_Snapshot)->Unit(benchmark::kMillisecond)->Iterations(3);

// The frame's share of an autosave of a 200-sector city after a one-block
// edit: the cached snapshot, which writes again only the edited sector's
// record, against the whole world's bytes in memory and against writing
// the file on the frame.
void BM_AutosaveSnapshotCity200_Cached(benchmark::State& state) {
    Vector3 eye, direction;
    buildCity(&eye, &direction, 20);
    Stage& s = stage();
    SnapshotCache snapshots;
    WorldBytes bytes;
    snapshots.take(*s.map, *s.core->sprites, &bytes);  // the autosave before
    bool place = false;
    for (auto _ : state) {
        state.PauseTiming();
        s.map->setBlockAt(Vector3(40055.0f, 60007.0f, 40055.0f), place);
        place = !place;
        state.ResumeTiming();
        if (!snapshots.take(*s.map, *s.core->sprites, &bytes))
            state.SkipWithError("no memory for the snapshot");
    }
    state.counters["sectors"] = s.map->sectorCount();
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_AutosaveSnapshotCity200_Memory(benchmark::State& state) {
    Vector3 eye, direction;
    buildCity(&eye, &direction, 20);
    Stage& s = stage();
    // The autosave keeps the memory of one snapshot for the next.
    std::vector<uint8_t> bytes;
    for (auto _ : state)
        MapFile::snapshotWorld(*s.map, *s.core->sprites, &bytes);
    state.counters["sectors"] = s.map->sectorCount();
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_AutosaveSnapshotCity200_File(benchmark::State& state) {
    Vector3 eye, direction;
    buildCity(&eye, &direction, 20);
    Stage& s = stage();
    for (auto _ : state) {
        std::string why;
        if (!MapFile::saveWorld("/tmp/tamo-bench-autosave.map", *s.map, *s.core->sprites, &why))
            state.SkipWithError(why.c_str());
    }
}

BENCHMARK(BM_AutosaveSnapshotCity200_Cached)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveSnapshotCity200_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveSnapshotCity200_File)->Unit(benchmark::kMillisecond);

}  // namespace
