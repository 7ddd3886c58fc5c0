#include "world/LiteralRayMarch.h"

#include <cmath>

#include "platform/Geometry.h"
#include "world/LiteralBlockSearch.h"
#include "world/TamoMap.h"
#include "world/TamoSector.h"

namespace literal {

namespace {

int32_t index(float offset, float cellSize, int32_t size) {
    const float cell = std::floor(offset / cellSize);
    if (!(cell >= 0.0f) || cell >= static_cast<float>(size))
        return -1;
    return static_cast<int32_t>(cell);
}

}  // namespace

bool cellOf(const TamoSector& sector, float w, float h, const Vector3& p, int32_t cell[3]) {
    cell[0] = index(p.x - sector.origin.x, w, sector.size);
    cell[1] = index(p.y - sector.origin.y, h, sector.size);
    cell[2] = index(p.z - sector.origin.z, w, sector.size);
    return cell[0] >= 0 && cell[1] >= 0 && cell[2] >= 0;
}

bool hasBlockAt(const TamoSector& sector, float w, float h, const Vector3& p) {
    int32_t cell[3];
    if (!cellOf(sector, w, h, p, cell))
        return false;
    const int32_t found = findBlockIndex(sector.blocks, cell[0], cell[1], cell[2]);
    return found >= 0 && sector.blocks[found].used;
}

void marchRay(const TamoMap& map, float w, float h, const Vector3& start, const Vector3& end,
              float step, Vector3* hit, int32_t* sectorIndex) {
    Vector3 offset = end - start;
    const float len = length(offset);
    const Vector3 n = normalise(offset);
    *hit = end;
    if (!(step > 0.0f))
        return;
    Vector3 p = start;
    for (float t = 0.0f; t <= len; t += step) {
        for (int32_t i = 0; i < map.sectorCount(); ++i) {
            if (hasBlockAt(*map.sector(i), w, h, p)) {
                *hit = p;
                *sectorIndex = i;
                return;
            }
        }
        p = p + n * step;
    }
}

}  // namespace literal
