#pragma once
// A live GL context and engine core for the benchmarks, and the worlds they
// run on.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/MyTamoEngineCore.h"
#include "world/MapBlock.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"

class GLContext;
class Window;

namespace bench {

// One window, context and engine core (with its map) for the whole run.
struct Stage {
    Window* window = nullptr;
    GLContext* gl = nullptr;
    MyTamoEngineCore* core = nullptr;
    TamoMap* map = nullptr;
};
Stage& stage();
// Empties the map (no sectors) and restores the 3D view.
void resetMap();

enum class Fill { Solid, Checkerboard, RandomHalf };
// The blocks of one 20 x 20 x 20 sector: one material everywhere, a 3D
// checkerboard of two materials, or half the cells at random with four.
std::vector<MapBlock> sectorBlocks(Fill fill, uint32_t seed = 1);
// Puts blocks into a sector through the editor's setBlock, with each block's
// own material.
void placeBlocks(TamoSector& sector, const std::vector<MapBlock>& blocks);

// A city of 10 x 10 grid sectors (columns x 10) at one level: a ground floor
// and towers of random heights with building textures. Returns the map's eye
// and a ray direction that meets a tower after crossing the city.
void buildCity(Vector3* eye, Vector3* direction, int32_t columns = 10);
// A million blocks: 125 solid sectors of 20 x 20 x 20.
void buildMillion();

// The city file of 2, 200, 1000 or 10,000 sectors (about 80 KB each): a grid
// of sector columns around the start point with streets, houses and odd
// blocks. writtenCity writes it on the stage's map the first time in a run
// (the map then holds it) and returns its path.
std::string cityFile(int32_t sectors);
std::string writtenCity(int32_t sectors);

}  // namespace bench
