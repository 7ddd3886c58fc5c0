#include "app/CityCommands.h"

#include <map>
#include <ostream>
#include <set>

#include "app/GltfExport.h"
#include "app/HeadlessCity.h"
#include "app/NameText.h"
#include "app/ObjExport.h"
#include "app/ProgramOptions.h"
#include "media/WorldSpriteGroups.h"
#include "world/MapBlock.h"
#include "world/QuadRecord.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"
#include "world/CityPictures.h"
#include "world/WorldMesh.h"
#include "world/WorldSettings.h"

namespace CityCommands {

namespace {

int failed(std::ostream& err, const std::string& file, const std::string& why) {
    err << "tamotown: " << file << ": " << why << "\n";
    return 1;
}

std::ostream& operator<<(std::ostream& out, const Vector3& p) {
    return out << "(" << p.x << ", " << p.y << ", " << p.z << ")";
}

}  // namespace

int exportCity(const std::string& city, const std::string& file, bool keepPosition,
               std::ostream& out, std::ostream& err) {
    HeadlessCity world;
    std::string why;
    if (!world.load(city, &why))
        return failed(err, city, why);
    if (!world.loadMedia(&why))
        return failed(err, file, why);
    WorldMesh mesh;
    mesh.addBlocks(world.map());
    mesh.addSprites(world.sprites(), world.sheet());
    if (!keepPosition)
        mesh.moveBy(-mesh.groundMiddle());
    ExportSummary summary;
    const bool written = exportIsGlb(file)
                             ? GltfExport::write(mesh, world.images(), file, &why, &summary)
                             : ObjExport::write(mesh, world.images(), file, &why, &summary);
    if (!written)
        return failed(err, file, why);
    out << "tamotown: " << summary.line() << "\n";
    return 0;
}

int printInfo(const std::string& city, std::ostream& out, std::ostream& err) {
    HeadlessCity world;
    std::string why;
    if (!world.load(city, &why))
        return failed(err, city, why);
    const TamoMap& map = world.map();
    const WorldSettings& settings = world.settings();
    const Vector3 cell(static_cast<float>(settings.blockWidth),
                       static_cast<float>(settings.blockHeight),
                       static_cast<float>(settings.blockWidth));
    int64_t blocks = 0;
    Vector3 low, high;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        const TamoSector& sector = *map.sector(i);
        for (const MapBlock& block : sector.blocks) {
            if (!block.used)
                continue;
            const Vector3 corner =
                sector.origin + Vector3(block.x * cell.x, block.y * cell.y, block.z * cell.z);
            low = blocks == 0 ? corner : componentMin(low, corner);
            high = blocks == 0 ? corner + cell : componentMax(high, corner + cell);
            ++blocks;
        }
    }
    const std::set<int32_t> textures = CityPictures::texturesUsed(map);
    out << city << "\n";
    out << "sectors: " << map.sectorCount() << "\n";
    out << "blocks: " << blocks << "\n";
    const TamoSpriteObjectSet& sprites = world.sprites();
    out << "sprite objects: " << sprites.count() << "\n";
    std::map<int32_t, int32_t> ofType;
    for (int32_t i = 0; i < sprites.count(); ++i) {
        const SpriteObject& object = sprites.object(i);
        out << "  " << object.id << " \"" << nameAsUtf8(object.name) << "\" type " << object.type
            << " at " << object.position << "\n";
        ++ofType[object.type];
    }
    if (!ofType.empty()) {
        out << "figure types:";
        for (const auto& [type, count] : ofType) {
            const bool named = type >= 0 && type < WorldSpriteGroupCount;
            out << (type == ofType.begin()->first ? " " : ", ")
                << (named ? std::string(WorldSpriteGroups[type].name)
                          : "type " + std::to_string(type))
                << " (" << count << ")";
        }
        out << "\n";
    }
    if (blocks > 0)
        out << "bounding box: " << low << " to " << high << "\n";
    else
        out << "bounding box: none (no blocks)\n";
    out << "textures:";
    for (const int32_t texture : textures)
        out << " " << texture;
    out << "\n";
    // Those the program would show without a picture here: neither in its
    // media nor among the user's or the city's own pictures.
    world.loadTextures();
    std::string missing;
    for (const int32_t texture : textures)
        if (world.images().count(texture) == 0)
            missing += " " + std::to_string(texture);
    if (!missing.empty())
        out << "missing textures:" << missing << "\n";
    return 0;
}

}  // namespace CityCommands
