#include "world/WorldMesh.h"

#include <cmath>
#include <map>
#include <utility>

#include "media/SpriteSheet.h"
#include "world/OptimizedQuadHashTable.h"
#include "world/QuadRecord.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"
#include "world/TamoSpriteObjectSet.h"

namespace {

// The frame showing a figure from the front (see chooseFrame).
constexpr int32_t FrontFrame = 0;

}  // namespace

void WorldMesh::addBlocks(TamoMap& map) {
    std::map<int32_t, std::vector<Quad>> byTexture;
    for (int32_t i = 0; i < map.sectorCount(); ++i) {
        TamoSector& sector = *map.sector(i);
        sector.rebuild();
        sector.fillQuadTable();
        OptimizedQuadHashTable& table = *sector.quadTable;
        table.mergeFaces();
        for (const QuadRecord& record : table.liveQuads()) {
            Quad quad;
            for (int32_t v = 0; v < 4; ++v) {
                quad.corner[v] = sector.origin + record.q[v];
                quad.texCoord[v] = table.texCoord(record, v);
            }
            byTexture[record.texture].push_back(quad);
        }
    }
    for (auto& [texture, quads] : byTexture) {
        Part part;
        part.name = "blocks " + std::to_string(texture);
        part.texture = texture;
        part.quads = std::move(quads);
        blocks.push_back(std::move(part));
    }
}

namespace {

// The plane of a figure's quad as comparable whole numbers: the heading
// modulo 180 degrees (a figure facing the other way lies in the same plane)
// in hundredths of a degree, and the plane's distance from the origin along
// that heading in hundredths of a unit.
std::pair<int64_t, int64_t> planeKey(float degrees, const Vector3& foot) {
    double heading = std::fmod(static_cast<double>(degrees), 360.0);
    if (heading < 0.0)
        heading += 360.0;
    if (heading >= 180.0)
        heading -= 180.0;
    const double radians = heading * 3.14159265358979 / 180.0;
    const double distance = std::cos(radians) * double(foot.x) + std::sin(radians) * double(foot.z);
    return {std::llround(heading * 100.0) % 18000, std::llround(distance * 100.0)};
}

}  // namespace

void WorldMesh::addSprites(const TamoSpriteObjectSet& set, const SpriteSheet* sheet) {
    if (!sheet || sheet->width() <= 0 || sheet->height() <= 0)
        return;
    std::map<std::pair<int64_t, int64_t>, int32_t> figuresInPlane;
    const float w = static_cast<float>(sheet->width());
    const float h = static_cast<float>(sheet->height());
    const float scale = TamoSpriteObjectSet::BillboardScale;
    for (int32_t i = 0; i < set.count(); ++i) {
        const SpriteObject& object = set.object(i);
        if (!sheet->isValidFrame(object.type, FrontFrame))
            continue;
        const SpriteFrame& frame = sheet->frameAt(object.type, FrontFrame);
        // As the texture table maps a source rectangle: its texels' outer edges.
        const float s0 = static_cast<float>(frame.left) / w;
        const float s1 = static_cast<float>(frame.right + 1) / w;
        const float t0 = static_cast<float>(frame.top) / h;
        const float t1 = static_cast<float>(frame.bottom + 1) / h;
        const float halfWidth = scale * static_cast<float>(frame.right - frame.left + 1) * 0.5f;
        const float height = scale * static_cast<float>(frame.bottom - frame.top + 1);
        // Seen from ahead of the figure, its right hand side lies along
        // (sin, 0, -cos) of the heading (0 along +x, 90 along +z).
        const float radians = object.angle * 3.14159265358979f / 180.0f;
        const Vector3 right(std::sin(radians) * halfWidth, 0.0f, -std::cos(radians) * halfWidth);
        const Vector3 up(0.0f, height, 0.0f);
        const int32_t earlier = figuresInPlane[planeKey(object.angle, object.position)]++;
        // Counter-clockwise corners face along the heading: (cos, 0, sin).
        const Vector3 ahead(std::cos(radians), 0.0f, std::sin(radians));
        const Vector3 foot = object.position + ahead * (CoplanarHair * static_cast<float>(earlier));
        Quad quad;
        quad.corner[0] = foot - right;
        quad.corner[1] = foot + right;
        quad.corner[2] = foot + right + up;
        quad.corner[3] = foot - right + up;
        quad.texCoord[0] = {s0, t1};
        quad.texCoord[1] = {s1, t1};
        quad.texCoord[2] = {s1, t0};
        quad.texCoord[3] = {s0, t0};
        Part part;
        part.name = object.name;
        part.id = object.id;
        part.texture = sheet->textureId();
        part.quads.push_back(quad);
        sprites.push_back(std::move(part));
    }
}

int32_t WorldMesh::quadCount() const {
    size_t count = 0;
    for (const Part& part : blocks)
        count += part.quads.size();
    for (const Part& part : sprites)
        count += part.quads.size();
    return static_cast<int32_t>(count);
}

Vector3 WorldMesh::groundMiddle() const {
    Vector3 low, high;
    if (!bounds(&low, &high))
        return Vector3();
    return Vector3((low.x + high.x) * 0.5f, low.y, (low.z + high.z) * 0.5f);
}

void WorldMesh::moveBy(const Vector3& offset) {
    for (std::vector<Part>* parts : {&blocks, &sprites})
        for (Part& part : *parts)
            for (Quad& quad : part.quads)
                for (Vector3& corner : quad.corner)
                    corner = corner + offset;
}

bool WorldMesh::bounds(Vector3* low, Vector3* high) const {
    bool any = false;
    for (const std::vector<Part>* parts : {&blocks, &sprites})
        for (const Part& part : *parts)
            for (const Quad& quad : part.quads)
                for (const Vector3& corner : quad.corner) {
                    *low = any ? componentMin(*low, corner) : corner;
                    *high = any ? componentMax(*high, corner) : corner;
                    any = true;
                }
    return any;
}
