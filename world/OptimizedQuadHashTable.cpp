#include "world/OptimizedQuadHashTable.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "engine/TamoEngineCore.h"

namespace {

constexpr int32_t initialBucketCapacity = 32;

Vector3 componentMin(const Vector3& a, const Vector3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

Vector3 componentMax(const Vector3& a, const Vector3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

} // namespace

OptimizedQuadHashTable::OptimizedQuadHashTable(TamoEngineCore* core_) : core(core_) {}

OptimizedQuadHashTable::~OptimizedQuadHashTable() = default;

void OptimizedQuadHashTable::clear() { std::vector<Bucket>().swap(buckets); }

bool OptimizedQuadHashTable::addFace(const Vector3& p1, const Vector3& p2, int32_t orientation,
                                     int32_t texture, int32_t offsetU, int32_t offsetV,
                                     int32_t rotation, int32_t scaleU, int32_t scaleV) {
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
    const Vector3 a(p1.x * w, p1.y * h, p1.z * w);
    const Vector3 b(p2.x * w, p2.y * h, p2.z * w);

    QuadRecord quad;
    if (a.y == b.y) {
        const float y = a.y;
        quad.axis = 0;
        if (orientation == 0) {
            quad.q[0] = {a.x, y, a.z};
            quad.q[1] = {a.x, y, b.z};
            quad.q[2] = {b.x, y, b.z};
            quad.q[3] = {b.x, y, a.z};
        } else {
            quad.q[0] = {a.x, y, a.z};
            quad.q[1] = {b.x, y, a.z};
            quad.q[2] = {b.x, y, b.z};
            quad.q[3] = {a.x, y, b.z};
        }
    } else if (a.z == b.z) {
        const float z = a.z;
        quad.axis = 2;
        quad.q[0] = {a.x, a.y, z};
        quad.q[1] = {b.x, a.y, z};
        quad.q[2] = {b.x, b.y, z};
        quad.q[3] = {a.x, b.y, z};
    } else if (a.x == b.x) {
        const float x = a.x;
        quad.axis = 1;
        quad.q[0] = {x, a.y, a.z};
        quad.q[1] = {x, b.y, a.z};
        quad.q[2] = {x, b.y, b.z};
        quad.q[3] = {x, a.y, b.z};
    } else {
        return false;
    }

    quad.min = quad.q[0];
    quad.max = quad.q[0];
    for (int i = 1; i < 4; ++i) {
        quad.min = componentMin(quad.min, quad.q[i]);
        quad.max = componentMax(quad.max, quad.q[i]);
    }
    quad.texture = texture;
    quad.offsetU = offsetU;
    quad.offsetV = offsetV;
    quad.rotation = static_cast<uint8_t>(rotation);
    quad.scaleU = static_cast<int8_t>(scaleU);
    quad.scaleV = static_cast<int8_t>(scaleV);
    quad.orientation = static_cast<uint8_t>(orientation);
    quad.alive = 1;
    return addQuad(quad);
}

void OptimizedQuadHashTable::compile() {
    removeHiddenPairs();
    mergeQuads();
    drawQuads();
}

bool OptimizedQuadHashTable::addBucket() {
    Bucket bucket;
    bucket.storage.reset(new (std::nothrow) QuadRecord[initialBucketCapacity]);
    if (!bucket.storage)
        return false;
    bucket.capacity = initialBucketCapacity;
    try {
        buckets.push_back(std::move(bucket));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool OptimizedQuadHashTable::appendToBucket(const QuadRecord& quad, int32_t bucketIndex) {
    if (bucketIndex < 0 || bucketIndex > bucketCount())
        return false;
    if (bucketIndex == bucketCount() && !addBucket())
        return false;
    Bucket& bucket = buckets[bucketIndex];
    if (bucket.count == bucket.capacity) {
        // A bucket compacted down to nothing has capacity 0; start it afresh.
        const int32_t grown = std::max(bucket.capacity * 2, initialBucketCapacity);
        std::unique_ptr<QuadRecord[]> storage(new (std::nothrow) QuadRecord[grown]);
        if (!storage)
            return false;
        std::copy(bucket.storage.get(), bucket.storage.get() + bucket.count, storage.get());
        bucket.storage = std::move(storage);
        bucket.capacity = grown;
    }
    bucket.storage[bucket.count] = quad;
    ++bucket.count;
    return true;
}

bool OptimizedQuadHashTable::addQuad(const QuadRecord& quad) {
    int32_t index = 0;
    while (index < bucketCount() &&
           (buckets[index].count == 0 || !sameKey(buckets[index].storage[0], quad)))
        ++index;
    return appendToBucket(quad, index);
}

bool OptimizedQuadHashTable::sameKey(const QuadRecord& a, const QuadRecord& b) const {
    return a.axis == b.axis && a.texture == b.texture && a.offsetU == b.offsetU &&
           a.offsetV == b.offsetV && a.rotation == b.rotation && a.scaleU == b.scaleU &&
           a.scaleV == b.scaleV;
}

void OptimizedQuadHashTable::removeHiddenPairs() {
    for (Bucket& bucket : buckets) {
        QuadRecord* records = bucket.storage.get();
        for (int32_t i = 0; i < bucket.count; ++i) {
            if (!records[i].alive)
                continue;
            for (int32_t j = i + 1; j < bucket.count; ++j) {
                if (records[j].alive && coincide(records[i], records[j])) {
                    records[i].alive = 0;
                    records[j].alive = 0;
                    break;
                }
            }
        }
    }
}

bool OptimizedQuadHashTable::coincide(const QuadRecord& a, const QuadRecord& b) const {
    if (a.orientation == b.orientation)
        return false;
    switch (a.axis) {
    case 0:
        return a.q[0].y == b.q[0].y && a.min.x == b.min.x && a.min.z == b.min.z;
    case 1:
        return a.q[0].x == b.q[0].x && a.min.z == b.min.z && a.min.y == b.min.y;
    case 2:
        return a.q[0].z == b.q[0].z && a.min.x == b.min.x && a.min.y == b.min.y;
    default:
        return false;
    }
}

void OptimizedQuadHashTable::mergeQuads() {
    for (Bucket& bucket : buckets) {
        bool merged = true;
        while (merged) {
            // Compacting only drops dead records to speed later passes; it
            // never changes which quads merge.
            if (std::rand() % 3 == 0)
                compact(bucket);
            merged = mergePass(bucket);
        }
    }
}

bool OptimizedQuadHashTable::mergePass(Bucket& bucket) {
    QuadRecord* records = bucket.storage.get();
    bool merged = false;
    for (int32_t i = 0; i < bucket.count; ++i) {
        QuadRecord& into = records[i];
        if (!into.alive)
            continue;
        for (int32_t j = i + 1; j < bucket.count; ++j) {
            QuadRecord& other = records[j];
            if (!other.alive || !canMerge(into, other))
                continue;
            into.min = componentMin(into.min, other.min);
            into.max = componentMax(into.max, other.max);
            rewriteVertices(into);
            other.alive = 0;
            merged = true;
        }
    }
    return merged;
}

bool OptimizedQuadHashTable::compact(Bucket& bucket) {
    int32_t live = 0;
    for (int32_t i = 0; i < bucket.count; ++i)
        live += bucket.storage[i].alive ? 1 : 0;
    if (live == bucket.count)
        return true;
    std::unique_ptr<QuadRecord[]> storage(new (std::nothrow) QuadRecord[live]);
    if (!storage)
        return false;  // keep the old storage; compaction is only a speed-up
    std::copy_if(bucket.storage.get(), bucket.storage.get() + bucket.count, storage.get(),
                 [](const QuadRecord& quad) { return quad.alive != 0; });
    bucket.storage = std::move(storage);
    bucket.count = live;
    bucket.capacity = live;
    return true;
}

// Rebuilds the four vertices from min and max with the winding addFace gives
// quads of that axis and orientation, starting at the smallest corner.
void OptimizedQuadHashTable::rewriteVertices(QuadRecord& quad) {
    const Vector3& mn = quad.min;
    const Vector3& mx = quad.max;
    const bool front = quad.orientation == 0;
    switch (quad.axis) {
    case 0: {
        const float y = quad.q[0].y;
        quad.q[0] = {mn.x, y, mn.z};
        quad.q[1] = front ? Vector3(mn.x, y, mx.z) : Vector3(mx.x, y, mn.z);
        quad.q[2] = {mx.x, y, mx.z};
        quad.q[3] = front ? Vector3(mx.x, y, mn.z) : Vector3(mn.x, y, mx.z);
        break;
    }
    case 1: {
        const float x = quad.q[0].x;
        quad.q[0] = {x, mn.y, mn.z};
        quad.q[1] = front ? Vector3(x, mn.y, mx.z) : Vector3(x, mx.y, mn.z);
        quad.q[2] = {x, mx.y, mx.z};
        quad.q[3] = front ? Vector3(x, mx.y, mn.z) : Vector3(x, mn.y, mx.z);
        break;
    }
    default: {
        const float z = quad.q[0].z;
        quad.q[0] = {mn.x, mn.y, z};
        quad.q[1] = front ? Vector3(mn.x, mx.y, z) : Vector3(mx.x, mn.y, z);
        quad.q[2] = {mx.x, mx.y, z};
        quad.q[3] = front ? Vector3(mx.x, mn.y, z) : Vector3(mn.x, mx.y, z);
        break;
    }
    }
}

bool OptimizedQuadHashTable::canMerge(const QuadRecord& a, const QuadRecord& b) const {
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

void OptimizedQuadHashTable::drawQuads() {
    for (const Bucket& bucket : buckets) {
        if (bucket.count == 0)
            continue;
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bucket.storage[0].texture));
        glBegin(GL_QUADS);
        for (int32_t i = 0; i < bucket.count; ++i) {
            const QuadRecord& quad = bucket.storage[i];
            if (!quad.alive)
                continue;
            for (int32_t v = 0; v < 4; ++v) {
                const Vector2 st = texCoord(quad, v);
                glTexCoord2f(st.x, st.y);
                glVertex3f(quad.q[v].x, quad.q[v].y, quad.q[v].z);
            }
        }
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }
}

Vector2 OptimizedQuadHashTable::texCoord(const QuadRecord& quad, int32_t vertex) const {
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
    const Vector3& p = quad.q[std::clamp(vertex, 0, 3)];
    float a = 0.0f;
    float b = 0.0f;
    switch (quad.axis) {
    case 0:
        a = p.x / w;
        b = p.z / w;
        break;
    case 1:
        a = p.z / w;
        b = p.y / h;
        break;
    default:
        a = p.x / w;
        b = p.y / h;
        break;
    }
    const float ou = static_cast<float>(quad.offsetU);
    const float ov = static_cast<float>(quad.offsetV);
    const float su = static_cast<float>(quad.scaleU);
    const float sv = static_cast<float>(quad.scaleV);
    const bool horizontal = quad.axis == 0;
    switch (quad.rotation) {
    case 1:
        return horizontal ? Vector2((b + ov) / sv, (ou - a) / su)
                          : Vector2((ov - b) / sv, (a + ou) / su);
    case 2:
        return {(ou - a) / su, (ov - b) / sv};
    case 3:
        return horizontal ? Vector2((ov - b) / sv, (a + ou) / su)
                          : Vector2((b + ov) / sv, (ou - a) / su);
    default:
        return {(a + ou) / su, (b + ov) / sv};
    }
}

std::vector<QuadRecord> OptimizedQuadHashTable::liveQuads() const {
    std::vector<QuadRecord> live;
    for (const Bucket& bucket : buckets)
        for (int32_t i = 0; i < bucket.count; ++i)
            if (bucket.storage[i].alive)
                live.push_back(bucket.storage[i]);
    return live;
}
