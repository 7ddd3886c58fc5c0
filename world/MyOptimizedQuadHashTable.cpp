#include "world/MyOptimizedQuadHashTable.h"

#include "world/BuildingTextures.h"

namespace {

// Where value lies between low and high, 0 to 1 (0 for an empty range).
float fraction(float value, float low, float high) {
    return high > low ? (value - low) / (high - low) : 0.0f;
}

}  // namespace

// Building sides are stretched once over the whole quad, whatever its size.
// The coordinate follows the vertex's place in the quad's bounds rather than
// its index, because merging renumbers the corners: so a single face and a
// merged wall both show the picture upright (its top row along the top edge)
// and unmirrored, s growing to the right of a viewer outside the block.
Vector2 MyOptimizedQuadHashTable::texCoord(const QuadRecord& quad, int32_t vertex) const {
    if (!isBuildingSide(quad.texture))
        return OptimizedQuadHashTable::texCoord(quad, vertex);
    const Vector3& v = quad.q[vertex < 0 ? 0 : (vertex > 3 ? 3 : vertex)];
    const Vector3& lo = quad.min;
    const Vector3& hi = quad.max;
    const float down = 1.0f - fraction(v.y, lo.y, hi.y);
    switch (quad.axis) {
    case 1: {
        // Orientation 0 looks towards -x, where +z is on the viewer's right.
        const float across = fraction(v.z, lo.z, hi.z);
        return {quad.orientation == 0 ? across : 1.0f - across, down};
    }
    case 2: {
        // Orientation 0 looks towards -z, where +x is on the viewer's left.
        const float across = fraction(v.x, lo.x, hi.x);
        return {quad.orientation == 0 ? 1.0f - across : across, down};
    }
    default:
        return {fraction(v.x, lo.x, hi.x), fraction(v.z, lo.z, hi.z)};
    }
}
