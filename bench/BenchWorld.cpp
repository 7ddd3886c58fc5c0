#include "BenchWorld.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "media/FileStream.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/Window.h"
#include "world/MapFile.h"
#include "world/TamoSpriteObjectSet.h"

namespace bench {

namespace {

// The city's file, written once per size: a grid of sector columns around
// the start point, each a ground sector (streets on top, one sector below
// the eye) and the sector above it, houses of 2 to 14 storeys standing on
// the streets with facades (their roofs follow), and a few dozen odd blocks
// of random materials in each sector.
void writeCity(int32_t sectors) {
    resetMap();
    Stage& s = stage();
    const int32_t across = sectors == 2 ? 1 : sectors == 200 ? 10 : sectors == 1000 ? 25 : 100;
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

}  // namespace

std::string cityFile(int32_t sectors) {
    return "/tmp/tamo-bench-city-" + std::to_string(sectors) + ".map";
}

std::string writtenCity(int32_t sectors) {
    static std::set<int32_t> written;
    if (written.insert(sectors).second)
        writeCity(sectors);
    return cityFile(sectors);
}

Stage& stage() {
    static Stage s;
    if (!s.core) {
        s.window = new Window("Tamotown bench", 640, 480, false, false, nullptr, false, 32);
        s.gl = new GLContext(s.window->getHandle("WindowHandler"), 640, 480, 32);
        if (!s.gl->hasRenderingContext()) {
            std::fprintf(stderr, "no GL context (is DISPLAY set?)\n");
            std::exit(1);
        }
        currentGLContext = s.gl;
        s.core = new MyTamoEngineCore(s.gl, nullptr, nullptr, 100, 3, 4);
        for (int32_t t = 100; t < 113; ++t)
            s.core->addTextureColour(t, 40 + t, 200 - t, (t * 37) % 256);
        s.core->buildWorld(WorldHost::History::None);
        s.map = s.core->map;
    }
    return s;
}

void resetMap() {
    Stage& s = stage();
    s.core->view3D = true;
    // A world file with no sectors and no sprite objects empties the map.
    const char* path = "/tmp/tamo-bench-empty.map";
    FILE* f = std::fopen(path, "wb");
    const int32_t zeros[2] = {0, 0};
    std::fwrite(zeros, sizeof zeros, 1, f);
    std::fclose(f);
    FileStream stream(path, "rb");
    s.map->load(stream);
}

std::vector<MapBlock> sectorBlocks(Fill fill, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<MapBlock> blocks;
    FaceMaterial materials[4];
    for (int32_t k = 0; k < 4; ++k) {
        materials[k].texture = 100 + 2 * k;
        materials[k].rotation = static_cast<uint8_t>(k % 4);
    }
    for (int32_t x = 0; x < 20; ++x)
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t z = 0; z < 20; ++z) {
                int32_t material = 0;
                if (fill == Fill::Checkerboard)
                    material = (x + y + z) % 2;
                if (fill == Fill::RandomHalf) {
                    if (random() % 2)
                        continue;
                    material = static_cast<int32_t>(random() % 4);
                }
                MapBlock block;
                block.x = x, block.y = y, block.z = z;
                for (FaceMaterial& face : block.faces)
                    face = materials[material];
                block.used = true;
                blocks.push_back(block);
            }
    return blocks;
}

void placeBlocks(TamoSector& sector, const std::vector<MapBlock>& blocks) {
    TamoEngineCore& core = *stage().core;
    const FaceMaterial saved = core.material;
    for (const MapBlock& block : blocks) {
        core.material = block.faces[0];
        sector.setBlock(block.x, block.y, block.z, true);
    }
    core.material = saved;
}

void buildCity(Vector3* eye, Vector3* direction, int32_t columns) {
    resetMap();
    Stage& s = stage();
    std::mt19937 random(7);
    const Vector3 corner(40000, 60000, 40000);
    FaceMaterial ground;
    ground.texture = 100;
    for (int32_t sx = 0; sx < columns; ++sx)
        for (int32_t sz = 0; sz < 10; ++sz) {
            const Vector3 origin = corner + Vector3(sx * 200.0f, 0, sz * 200.0f);
            TamoSector* sector =
                s.map->sector(s.map->findOrCreateSector(origin + Vector3(1, 1, 1)));
            s.core->material = ground;
            for (int32_t x = 0; x < 20; ++x)
                for (int32_t z = 0; z < 20; ++z)
                    sector->setBlock(x, 0, z, true);
            // Four towers of 4 x 4 cells per sector.
            for (int32_t tower = 0; tower < 4; ++tower) {
                FaceMaterial side;
                side.texture = 101 + static_cast<int32_t>(random() % 6);
                s.core->material = side;
                const int32_t x0 = (tower % 2) * 10 + 2, z0 = (tower / 2) * 10 + 2;
                const int32_t height = 3 + static_cast<int32_t>(random() % 17);
                for (int32_t x = x0; x < x0 + 4; ++x)
                    for (int32_t z = z0; z < z0 + 4; ++z)
                        for (int32_t y = 1; y < height; ++y)
                            sector->setBlock(x, y, z, true);
            }
        }
    s.core->material = FaceMaterial{100, 0, 0, 0, 1, 1};
    // From above one corner of the city, looking down across it at a tower
    // in the middle.
    *eye = corner + Vector3(300.0f, 400.0f, 300.0f);
    Vector3 towards = corner + Vector3(940.0f, 10.0f, 940.0f) - *eye;
    *direction = normalise(towards);
}

void buildMillion() {
    resetMap();
    Stage& s = stage();
    for (int32_t n = 0; n < 125; ++n) {
        const Vector3 origin(40000.0f + (n % 5) * 200.0f, 60000.0f + (n / 25) * 300.0f,
                             40000.0f + (n / 5 % 5) * 200.0f);
        TamoSector* sector = s.map->sector(s.map->findOrCreateSector(origin + Vector3(1, 1, 1)));
        s.core->material = FaceMaterial{100 + 2 * (n % 4), 0, 0, 0, 1, 1};
        for (int32_t x = 0; x < 20; ++x)
            for (int32_t y = 0; y < 20; ++y)
                for (int32_t z = 0; z < 20; ++z)
                    sector->setBlock(x, y, z, true);
    }
}

}  // namespace bench
