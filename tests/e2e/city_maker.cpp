// Writes a small city as a world file, for the export test and the README
// pictures: grass, two crossing roads with pavements, houses of every facade,
// a pond, and people, trees, lamps and cars standing about. The same file
// every run. With --street, the ground of a street instead: a road along x
// past the start point with pavements, lamps and grass, no houses; the
// screenshot script builds the houses on it with the region tools.
// Usage: probe_city_maker [--street] OUT.map
#include <cstdio>
#include <string>
#include <vector>

#include "app/HeadlessCity.h"
#include "world/MapFile.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/WorldSettings.h"

namespace {

// Loose textures by number (texture 100 + n).
enum Texture : int32_t {
    Facade = 101,  // 101 to 106, roofs follow
    Asphalt = 113,
    CentreLine = 114,
    Pavement = 117,
    Grass = 118,
    Water = 119,
    Cobbles = 126,
};

// Sprite groups of the world sheet.
enum Figure : int32_t { Man, Woman, Worker, Elder, Tree, Lamp, TrafficLight, Bush, Car, Bench };

// The program starts at (40000, 60000, 40000) looking along +x: the city
// lies ahead of it, ten blocks below.
constexpr float Left = 40040.0f, Near = 39800.0f, Ground = 59850.0f;
constexpr int32_t Cells = 40;

class CityMaker {
public:
    explicit CityMaker(HeadlessCity& city)
            : city(city), settings(city.settings()), w(float(settings.blockWidth)),
              h(float(settings.blockHeight)) {}

    void block(int32_t x, int32_t y, int32_t z, int32_t texture, int32_t rotation = 0) {
        FaceMaterial material;
        material.texture = texture;
        material.rotation = static_cast<uint8_t>(rotation);
        city.map().setBlockAt(
            {Left + (x + 0.5f) * w, Ground + (y + 0.5f) * h, Near + (z + 0.5f) * w}, true,
            material);
    }

    void building(int32_t x0, int32_t z0, int32_t width, int32_t depth, int32_t floors,
                  int32_t facade) {
        for (int32_t y = 1; y <= floors; ++y)
            for (int32_t x = x0; x < x0 + width; ++x)
                for (int32_t z = z0; z < z0 + depth; ++z)
                    block(x, y, z, facade);
    }

    void figure(int32_t type, float x, float z, float angle, const char* name) {
        SpriteObject object;
        object.id = static_cast<int32_t>(figures.size());
        object.position = {Left + x * w, Ground + h, Near + z * w};
        object.angle = angle;
        object.type = type;
        object.team = object.id % 4;
        object.name = name;
        figures.push_back(object);
    }

    void finish() {
        // The start block is not part of the city.
        city.map().setBlockAt({40005.0f, 60005.0f, 40005.0f}, false);
        // Edited sectors give facade blocks their roofs as a frame would.
        for (int32_t i = 0; i < city.map().sectorCount(); ++i)
            city.map().sector(i)->rebuild();
        city.sprites().replaceAll(std::move(figures));
    }

private:
    HeadlessCity& city;
    WorldSettings& settings;
    const float w, h;
    std::vector<SpriteObject> figures;
};

void makeCity(CityMaker& city) {
    const int32_t road = 18;  // the cells road and road + 1 carry the roads
    for (int32_t x = 0; x < Cells; ++x)
        for (int32_t z = 0; z < Cells; ++z) {
            const bool alongZ = x == road || x == road + 1;
            const bool alongX = z == road || z == road + 1;
            const bool kerb = x == road - 1 || x == road + 2 || z == road - 1 || z == road + 2;
            if (alongZ && alongX)
                city.block(x, 0, z, Cobbles);
            else if (alongZ)
                city.block(x, 0, z, CentreLine, x == road ? 0 : 2);
            else if (alongX)
                city.block(x, 0, z, CentreLine, z == road ? 1 : 3);
            else if (kerb)
                city.block(x, 0, z, Pavement);
            else if (x > 24 && x < 33 && z > 4 && z < 12)
                city.block(x, 0, z, Water);
            else
                city.block(x, 0, z, Grass);
        }
    // Houses along the roads, every facade at least once.
    city.building(12, 22, 5, 4, 3, Facade + 0);
    city.building(12, 27, 5, 5, 5, Facade + 1);
    city.building(5, 22, 5, 5, 2, Facade + 2);
    city.building(22, 22, 4, 4, 2, Facade + 3);
    city.building(27, 22, 6, 4, 4, Facade + 4);
    city.building(22, 28, 5, 5, 3, Facade + 5);
    city.building(12, 10, 5, 6, 4, Facade + 1);
    city.building(5, 12, 5, 4, 2, Facade + 2);
    city.building(22, 13, 4, 4, 6, Facade + 4);
    city.building(5, 30, 4, 5, 3, Facade + 0);

    city.figure(Man, 17.0f, 14.0f, 180.0f, "Tom");
    city.figure(Woman, 17.2f, 16.0f, 0.0f, "Ada");
    city.figure(Worker, 22.5f, 17.2f, 90.0f, "Bob");
    city.figure(Elder, 21.4f, 21.6f, 200.0f, "Eve");
    city.figure(Car, 18.5f, 8.0f, 90.0f, "");
    city.figure(Car, 19.5f, 30.0f, 270.0f, "");
    for (int32_t i = 0; i < 5; ++i) {
        city.figure(Tree, 25.0f + 2.0f * i, 13.0f, 0.0f, "");
        city.figure(Tree, 24.0f, 5.0f + 2.0f * i, 0.0f, "");
        city.figure(Lamp, 17.0f, 4.0f + 8.0f * i, 0.0f, "");
    }
    city.figure(Bush, 33.5f, 6.0f, 0.0f, "");
    city.figure(Bench, 27.0f, 12.7f, 180.0f, "");
    city.figure(TrafficLight, 21.2f, 17.0f, 180.0f, "");
}

// The road runs along x through the cells z 19 and 20 (world cells 3999
// and 4000, under the start point), from behind the start point on.
void makeStreet(CityMaker& city) {
    for (int32_t x = -10; x < 22; ++x)
        for (int32_t z = 8; z < 31; ++z) {
            if (z == 19 || z == 20)
                city.block(x, 0, z, CentreLine, z == 19 ? 1 : 3);
            else if (z == 18 || z == 21)
                city.block(x, 0, z, Pavement);
            else
                city.block(x, 0, z, Grass);
        }
    for (int32_t i = 0; i < 5; ++i) {
        city.figure(Lamp, -3.0f + 6.0f * i, 18.5f, 0.0f, "");
        city.figure(Lamp, -3.0f + 6.0f * i, 21.5f, 0.0f, "");
    }
    city.figure(Car, 4.0f, 19.5f, 90.0f, "");
    city.figure(Woman, 1.0f, 21.4f, 0.0f, "Ada");
}

}  // namespace

int main(int argc, char** argv) {
    const bool street = argc == 3 && std::string(argv[1]) == "--street";
    if (argc != 2 && !street) {
        std::fprintf(stderr, "usage: probe_city_maker [--street] OUT.map\n");
        return 2;
    }
    const char* out = argv[argc - 1];
    HeadlessCity city;
    CityMaker maker(city);
    if (street)
        makeStreet(maker);
    else
        makeCity(maker);
    maker.finish();
    std::string why;
    if (!MapFile::saveWorld(out, city.map(), city.sprites(), &why)) {
        std::fprintf(stderr, "probe_city_maker: %s: %s\n", out, why.c_str());
        return 1;
    }
    return 0;
}
