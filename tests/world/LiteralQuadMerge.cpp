#include "world/LiteralQuadMerge.h"

#include <algorithm>

namespace literal {

namespace {

Vector3 lowest(const Vector3& a, const Vector3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

Vector3 highest(const Vector3& a, const Vector3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

float coordinate(const Vector3& point, int axis) {
    return axis == 0 ? point.x : axis == 1 ? point.y : point.z;
}

void rewrite(QuadRecord& quad) {
    const Vector3& mn = quad.min;
    const Vector3& mx = quad.max;
    const bool front = quad.orientation == 0;
    if (quad.axis == 0) {
        const float y = quad.q[0].y;
        quad.q[0] = {mn.x, y, mn.z};
        quad.q[1] = front ? Vector3(mn.x, y, mx.z) : Vector3(mx.x, y, mn.z);
        quad.q[2] = {mx.x, y, mx.z};
        quad.q[3] = front ? Vector3(mx.x, y, mn.z) : Vector3(mn.x, y, mx.z);
    } else if (quad.axis == 1) {
        const float x = quad.q[0].x;
        quad.q[0] = {x, mn.y, mn.z};
        quad.q[1] = front ? Vector3(x, mn.y, mx.z) : Vector3(x, mx.y, mn.z);
        quad.q[2] = {x, mx.y, mx.z};
        quad.q[3] = front ? Vector3(x, mx.y, mn.z) : Vector3(x, mn.y, mx.z);
    } else {
        const float z = quad.q[0].z;
        quad.q[0] = {mn.x, mn.y, z};
        quad.q[1] = front ? Vector3(mn.x, mx.y, z) : Vector3(mx.x, mn.y, z);
        quad.q[2] = {mx.x, mx.y, z};
        quad.q[3] = front ? Vector3(mx.x, mn.y, z) : Vector3(mn.x, mx.y, z);
    }
}

}  // namespace

// Two faces hide each other when they face opposite ways in one plane from
// one corner: the plane across the first face's axis, through its first
// vertex, and the lowest corner within that plane.
bool coincide(const QuadRecord& a, const QuadRecord& b) {
    // The world coordinate (x 0, y 1, z 2) that each face axis holds constant.
    const int across[] = {1, 0, 2};
    if (a.axis > 2 || a.orientation == b.orientation)
        return false;
    const int plane = across[a.axis];
    if (coordinate(a.q[0], plane) != coordinate(b.q[0], plane))
        return false;
    for (int c = 0; c < 3; ++c)
        if (c != plane && coordinate(a.min, c) != coordinate(b.min, c))
            return false;
    return true;
}

bool canMerge(const QuadRecord& a, const QuadRecord& b) {
    if (a.orientation != b.orientation)
        return false;
    int32_t shared = 0;
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 4; ++k)
            shared += a.q[i] == b.q[k] ? 1 : 0;
        if (shared >= 2)
            return true;
    }
    return false;
}

void removeHiddenPairs(QuadBuckets& buckets) {
    for (std::vector<QuadRecord>& records : buckets) {
        const size_t count = records.size();
        for (size_t i = 0; i < count; ++i) {
            if (!records[i].alive)
                continue;
            for (size_t j = i + 1; j < count; ++j) {
                if (records[j].alive && coincide(records[i], records[j])) {
                    records[i].alive = 0;
                    records[j].alive = 0;
                    break;
                }
            }
        }
    }
}

std::vector<int32_t> mergeQuads(QuadBuckets& buckets) {
    std::vector<int32_t> passes;
    for (std::vector<QuadRecord>& records : buckets) {
        int32_t made = 0;
        bool merged = true;
        while (merged) {
            ++made;
            merged = false;
            for (size_t i = 0; i < records.size(); ++i) {
                QuadRecord& into = records[i];
                if (!into.alive)
                    continue;
                for (size_t j = i + 1; j < records.size(); ++j) {
                    QuadRecord& other = records[j];
                    if (!other.alive || !canMerge(into, other))
                        continue;
                    into.min = lowest(into.min, other.min);
                    into.max = highest(into.max, other.max);
                    rewrite(into);
                    other.alive = 0;
                    merged = true;
                }
            }
        }
        passes.push_back(made);
    }
    return passes;
}

}  // namespace literal
