#include "world/MyOptimizedQuadHashTable.h"

namespace {

bool isBuildingSide(int32_t texture) { return texture >= 101 && texture <= 106; }

} // namespace

MyOptimizedQuadHashTable::MyOptimizedQuadHashTable(TamoEngineCore* core)
    : OptimizedQuadHashTable(core) {}

Vector2 MyOptimizedQuadHashTable::texCoord(const QuadRecord& quad, int32_t vertex) const {
    if (!isBuildingSide(quad.texture))
        return OptimizedQuadHashTable::texCoord(quad, vertex);
    // Stretched once over the whole quad, whatever its size.
    static const Vector2 corners[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    return corners[vertex < 0 ? 0 : (vertex > 3 ? 3 : vertex)];
}
