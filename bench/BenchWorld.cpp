#include "BenchWorld.h"

#include <cstdio>
#include <cstdlib>

#include "media/FileStream.h"
#include "platform/GLContext.h"
#include "platform/Geometry.h"
#include "platform/Window.h"
#include "world/TamoSpriteObjectSet.h"

namespace bench {

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
        s.core->sprites = new TamoSpriteObjectSet(s.core);
        s.map = new TamoMap(s.core);
        s.core->map = s.map;
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
