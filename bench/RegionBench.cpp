// Box edits beside the literal way of doing the same: one block at a time
// through the calls a click makes, in the plan view or in the 3D view, with
// or without the rebuild the frame after each click does.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchWorld.h"
#include "world/CellBox.h"
#include "world/Clipboard.h"
#include "world/RegionEdit.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldHistory.h"

using namespace bench;

namespace {

// 100 x 20 x 100 cells from the start block's cell: 25 sectors filled whole.
const CellBox FillBox(4000, 4000, 4000, 4099, 4019, 4099);

FaceMaterial brick() {
    FaceMaterial m;
    m.texture = 101;
    return m;
}

// What the next frame does before drawing: every marked sector rebuilds.
void rebuildMarked() {
    TamoMap& map = *stage().map;
    for (int32_t i = 0; i < map.sectorCount(); ++i)
        map.sector(i)->rebuild();
}

// The used blocks of the map: both ways must end with the same box filled.
int64_t usedBlocks() {
    const TamoMap& map = *stage().map;
    int64_t used = 0;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        const TamoSector& sector = *map.sector(i);
        for (int32_t k = 0; k < sector.blocks.count(); ++k)
            used += sector.blocks[k].used ? 1 : 0;
    }
    return used;
}

// Two phases of each iteration timed apart, reported as means per iteration.
class TwoPhases {
public:
    template <class First, class Second>
    void run(First first, Second second) {
        const auto start = std::chrono::steady_clock::now();
        first();
        const auto between = std::chrono::steady_clock::now();
        second();
        const auto end = std::chrono::steady_clock::now();
        firstMs += std::chrono::duration<double, std::milli>(between - start).count();
        secondMs += std::chrono::duration<double, std::milli>(end - between).count();
    }
    void report(benchmark::State& state, const char* first, const char* second) const {
        state.counters[first] = firstMs / static_cast<double>(state.iterations());
        state.counters[second] = secondMs / static_cast<double>(state.iterations());
    }

private:
    double firstMs = 0, secondMs = 0;
};

// The fill and the rebuilds it causes, each timed apart as well.
void BM_FillBox100x20x100_Region(benchmark::State& state) {
    Stage& s = stage();
    TwoPhases phases;
    for (auto _ : state) {
        state.PauseTiming();
        resetMap();
        WorldHistory history(*s.map, *s.core->sprites);
        RegionEdit edit(*s.map, *s.core->sprites, &history);
        state.ResumeTiming();
        phases.run([&] { edit.fill(FillBox, brick()); }, rebuildMarked);
    }
    phases.report(state, "fillMs", "rebuildMs");
}

// An empty world, brick the current material, the plan view scrolled to the
// origin: where the literal clicks start.
void prepareClicks() {
    Stage& s = stage();
    resetMap();
    s.core->material = brick();
    s.core->view3D = false;
    s.core->planScrollX = 0.0f;
    s.core->planScrollY = 0.0f;
}

// A click of the plan view (scrolled to the origin) per cell of level y of
// the fill's box (the line of one cell a click edits), each its own action
// as the avatar closes it; with framePerClick, each followed by the rebuild
// the frame after it does.
void planClicksOnLevel(int32_t y, WorldHistory& history, bool framePerClick) {
    Stage& s = stage();
    const int32_t cell = s.core->planCellSize;
    s.core->currentLevel = y;
    for (int32_t z = FillBox.lowZ(); z <= FillBox.highZ(); ++z)
        for (int32_t x = FillBox.lowX(); x <= FillBox.highX(); ++x) {
            const int32_t px = x * cell + cell / 2, py = z * cell + cell / 2;
            s.map->editBlockLine(px, py, px, py, true);
            history.closeAction();
            if (framePerClick)
                rebuildMarked();
        }
}

// The fill as plan-view clicks, the rebuilds once at the end, not after
// every click as the frames between clicks would do them.
void BM_FillBox100x20x100_Literal(benchmark::State& state) {
    Stage& s = stage();
    for (auto _ : state) {
        state.PauseTiming();
        prepareClicks();
        WorldHistory history(*s.map, *s.core->sprites);
        state.ResumeTiming();
        for (int32_t y = FillBox.lowY(); y <= FillBox.highY(); ++y)
            planClicksOnLevel(y, history, false);
        rebuildMarked();
        state.PauseTiming();
        s.core->view3D = true;
        s.core->currentLevel = 0;
        state.ResumeTiming();
    }
}

// A user's way in the 3D view: the lowest level with a plan-view click per
// cell (the only way onto empty ground), every level above with a click on
// the top of the block below, each click its own action through the calls a
// click makes (the pick along the ray at the editing step, the placement, the
// closed action). The eye stands three levels above the cell; the cursor's
// unprojection is left out in the literal's favour. With framePerClick, the
// touched sector rebuilds after every click, as the frame between two clicks
// rebuilds it; without, all rebuild once at the end.
void literal3DClicks(benchmark::State& state, bool framePerClick) {
    Stage& s = stage();
    const float w = static_cast<float>(s.core->blockWidth);
    const float h = static_cast<float>(s.core->blockHeight);
    for (auto _ : state) {
        state.PauseTiming();
        prepareClicks();
        WorldHistory history(*s.map, *s.core->sprites);
        state.ResumeTiming();
        planClicksOnLevel(FillBox.lowY(), history, framePerClick);
        s.core->view3D = true;
        for (int32_t y = FillBox.lowY() + 1; y <= FillBox.highY(); ++y)
            for (int32_t z = FillBox.lowZ(); z <= FillBox.highZ(); ++z)
                for (int32_t x = FillBox.lowX(); x <= FillBox.highX(); ++x) {
                    Ray ray;
                    ray.start =
                        Vector3((static_cast<float>(x) + 0.5f) * w, static_cast<float>(y + 3) * h,
                                (static_cast<float>(z) + 0.5f) * w);
                    ray.direction = Vector3(0.0f, -1.0f, 0.0f);
                    BlockHit hit;
                    if (s.map->pick(ray, TamoMap::CursorRayLength, TamoMap::BlockEditStep, &hit))
                        s.map->editBlockAt(hit, ray, true, s.core->material);
                    history.closeAction();
                    if (framePerClick)
                        rebuildMarked();
                }
        rebuildMarked();
        state.PauseTiming();
        state.counters["blocks"] = static_cast<double>(usedBlocks());
        s.core->currentLevel = 0;
        state.ResumeTiming();
    }
}

void BM_FillBox100x20x100_Literal3DClicks(benchmark::State& state) {
    literal3DClicks(state, false);
}

void BM_FillBox100x20x100_Literal3DClicksWithFrames(benchmark::State& state) {
    literal3DClicks(state, true);
}

// One sector filled as a user fills it one block at a time: a plan-view
// click per cell, each followed by the rebuild the next frame does; against
// the fill of the same box with its one rebuild.
const CellBox SectorBox(4000, 4000, 4000, 4019, 4019, 4019);

void BM_FillSector20_Region(benchmark::State& state) {
    Stage& s = stage();
    for (auto _ : state) {
        state.PauseTiming();
        resetMap();
        RegionEdit edit(*s.map, *s.core->sprites, nullptr);
        state.ResumeTiming();
        edit.fill(SectorBox, brick());
        rebuildMarked();
    }
}

void BM_FillSector20_LiteralClicksWithFrames(benchmark::State& state) {
    Stage& s = stage();
    const int32_t cell = s.core->planCellSize;
    for (auto _ : state) {
        state.PauseTiming();
        resetMap();
        s.core->material = brick();
        s.core->view3D = false;
        state.ResumeTiming();
        for (int32_t y = SectorBox.lowY(); y <= SectorBox.highY(); ++y) {
            s.core->currentLevel = y;
            for (int32_t z = SectorBox.lowZ(); z <= SectorBox.highZ(); ++z)
                for (int32_t x = SectorBox.lowX(); x <= SectorBox.highX(); ++x) {
                    const int32_t px = x * cell + cell / 2, py = z * cell + cell / 2;
                    s.map->editBlockLine(px, py, px, py, true);
                    rebuildMarked();
                }
        }
        state.PauseTiming();
        s.core->view3D = true;
        s.core->currentLevel = 0;
        state.ResumeTiming();
    }
}

// Undo, then redo, of that fill, each with the rebuilds it causes.
void BM_FillBox100x20x100_UndoRedo(benchmark::State& state) {
    Stage& s = stage();
    resetMap();
    WorldHistory history(*s.map, *s.core->sprites);
    RegionEdit edit(*s.map, *s.core->sprites, &history);
    edit.fill(FillBox, brick());
    rebuildMarked();
    const bool redo = state.range(0) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (redo) {
            history.undo();
            rebuildMarked();
        }
        state.ResumeTiming();
        redo ? history.redo() : history.undo();
        rebuildMarked();
        state.PauseTiming();
        if (!redo) {
            history.redo();
            rebuildMarked();
        }
        state.ResumeTiming();
    }
    state.counters["historyMB"] = static_cast<double>(history.bytesUsed()) / 1e6;
}

// The largest box: a million cells filled, then undone, each with its
// rebuilds; the history's step for it.
void BM_FillMillion_FillThenUndo(benchmark::State& state) {
    Stage& s = stage();
    const CellBox box(4000, 4000, 4000, 4099, 4099, 4099);
    TwoPhases phases;
    double historyMB = 0;
    for (auto _ : state) {
        state.PauseTiming();
        resetMap();
        WorldHistory history(*s.map, *s.core->sprites);
        RegionEdit edit(*s.map, *s.core->sprites, &history);
        state.ResumeTiming();
        phases.run(
            [&] {
                edit.fill(box, brick());
                rebuildMarked();
            },
            [&] {
                history.undo();
                rebuildMarked();
            });
        historyMB = static_cast<double>(history.bytesUsed()) / 1e6;
    }
    phases.report(state, "fillMs", "undoMs");
    state.counters["historyMB"] = historyMB;
}

// A house block of 50 x 30 x 50: walls, a floor every three levels, a roof.
void buildHouse(RegionEdit& edit, const CellBox& box) {
    edit.hollow(box, brick());
    FaceMaterial floor;
    floor.texture = 100;
    for (int32_t y = box.lowY() + 3; y < box.highY(); y += 3)
        edit.fill(CellBox(box.lowX(), y, box.lowZ(), box.highX(), y, box.highZ()), floor);
}

void BM_CopyPasteHouse50x30x50(benchmark::State& state) {
    Stage& s = stage();
    resetMap();
    WorldHistory history(*s.map, *s.core->sprites);
    RegionEdit edit(*s.map, *s.core->sprites, &history);
    const CellBox house(4000, 4000, 4000, 4049, 4029, 4049);
    buildHouse(edit, house);
    rebuildMarked();
    Clipboard clip;
    int32_t at = 4060;
    for (auto _ : state) {
        edit.copy(house, &clip);
        edit.paste(clip, at, 4000, 4000);
        rebuildMarked();
        state.PauseTiming();
        history.undo();  // the next paste lands on the same empty ground
        rebuildMarked();
        state.ResumeTiming();
    }
    state.counters["blocks"] = static_cast<double>(clip.blockCount());
    state.counters["clipboardMB"] = static_cast<double>(clip.memoryBytes()) / 1e6;
    state.counters["recordsMB"] = static_cast<double>(clip.blockCount() * sizeof(MapBlock)) / 1e6;
}

BENCHMARK(BM_FillBox100x20x100_Region)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FillBox100x20x100_Literal)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FillBox100x20x100_Literal3DClicks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_FillBox100x20x100_Literal3DClicksWithFrames)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_FillSector20_Region)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FillSector20_LiteralClicksWithFrames)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FillBox100x20x100_UndoRedo)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_FillMillion_FillThenUndo)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_CopyPasteHouse50x30x50)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
