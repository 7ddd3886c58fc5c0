#include "world/OptimizedQuadHashTable.h"

#include <GL/gl.h>

#include <algorithm>
#include <new>
#include <utility>

#include "platform/GLContext.h"
#include "world/HiddenFaceRemoval.h"
#include "world/QuadMerge.h"
#include "world/QuadScratch.h"

OptimizedQuadHashTable::OptimizedQuadHashTable(int32_t blockWidth_, int32_t blockHeight_,
                                               std::shared_ptr<QuadScratch> scratch_,
                                               Shortcuts shortcuts_)
        : blockWidth(blockWidth_), blockHeight(blockHeight_), grid(blockWidth_, blockHeight_),
          scratch(scratch_ ? std::move(scratch_) : std::make_shared<QuadScratch>()),
          shortcuts(shortcuts_) {}

OptimizedQuadHashTable::~OptimizedQuadHashTable() = default;

void OptimizedQuadHashTable::clear() {
    std::vector<QuadBucket>().swap(buckets);
    noHiddenPairs = false;
}

bool OptimizedQuadHashTable::addFace(const Vector3& p1, const Vector3& p2, int32_t orientation,
                                     int32_t texture, int32_t offsetU, int32_t offsetV,
                                     int32_t rotation, int32_t scaleU, int32_t scaleV) {
    QuadRecord quad;
    if (!faceQuad(p1, p2, orientation, texture, offsetU, offsetV, rotation, scaleU, scaleV, quad))
        return false;
    return addQuad(quad);
}

bool OptimizedQuadHashTable::faceQuad(const Vector3& p1, const Vector3& p2, int32_t orientation,
                                      int32_t texture, int32_t offsetU, int32_t offsetV,
                                      int32_t rotation, int32_t scaleU, int32_t scaleV,
                                      QuadRecord& quad) const {
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    const Vector3 a(p1.x * w, p1.y * h, p1.z * w);
    const Vector3 b(p2.x * w, p2.y * h, p2.z * w);

    quad = QuadRecord();
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
    return true;
}

void OptimizedQuadHashTable::compile(GLContext& gl) {
    mergeFaces();
    drawQuads(gl);
}

void OptimizedQuadHashTable::mergeFaces() {
    removeHiddenPairs();
    mergeQuads();
}

bool OptimizedQuadHashTable::addBucket() {
    QuadBucket bucket;
    if (!bucket.reserveInitial())
        return false;
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
    noHiddenPairs = false;
    return buckets[bucketIndex].append(quad);
}

bool OptimizedQuadHashTable::reserveInBucket(int32_t bucketIndex, int32_t records) {
    return bucketIndex >= 0 && bucketIndex < bucketCount() && records >= 0 &&
           buckets[bucketIndex].reserve(records);
}

bool OptimizedQuadHashTable::addQuad(const QuadRecord& quad) {
    int32_t index = 0;
    while (index < bucketCount() &&
           (buckets[index].count() == 0 || !sameKey(buckets[index].records()[0], quad)))
        ++index;
    return appendToBucket(quad, index);
}

bool OptimizedQuadHashTable::sameKey(const QuadRecord& a, const QuadRecord& b) const {
    return a.axis == b.axis && a.texture == b.texture && a.offsetU == b.offsetU &&
           a.offsetV == b.offsetV && a.rotation == b.rotation && a.scaleU == b.scaleU &&
           a.scaleV == b.scaleV;
}

void OptimizedQuadHashTable::removeHiddenPairs() {
    if (noHiddenPairs)
        return;
    HiddenFaceRemoval removal(*this, grid, *scratch);
    for (QuadBucket& bucket : buckets)
        removal.removeFrom(bucket.records(), bucket.count());
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
    QuadMerge merge(*this, grid, *scratch);
    for (QuadBucket& bucket : buckets) {
        // Dropping the faces that hidden-face removal killed first keeps the
        // passes to the live ones; compaction never changes which quads
        // merge. The table outlives the display list it filled, so what it
        // keeps afterwards is only what is live, in storage of that size.
        bucket.compact(false);
        merge.mergeBucket(bucket.records(), bucket.count());
        bucket.compact();
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

// Texturing is switched on before the first bucket drawn and off after the
// last, not around each: the same picture and the same state afterwards,
// with fewer state changes for the driver to validate on every call of the
// list.
void OptimizedQuadHashTable::drawQuads(GLContext& gl) {
    bool texturing = false;
    for (const QuadBucket& bucket : buckets) {
        if (bucket.count() == 0)
            continue;
        if (!texturing)
            gl.setTexturing(true);
        texturing = true;
        gl.bindTexture(bucket.records()[0].texture);
        glBegin(GL_QUADS);
        for (int32_t i = 0; i < bucket.count(); ++i) {
            const QuadRecord& quad = bucket.records()[i];
            if (!quad.alive)
                continue;
            for (int32_t v = 0; v < 4; ++v) {
                const Vector2 st = texCoord(quad, v);
                glTexCoord2f(st.x, st.y);
                glVertex3f(quad.q[v].x, quad.q[v].y, quad.q[v].z);
            }
        }
        glEnd();
    }
    if (texturing)
        gl.setTexturing(false);
}

// 0 for a quad without area: it draws nothing either way.
int32_t OptimizedQuadHashTable::quadFacing(const QuadRecord& quad) {
    const Vector3 a = quad.q[1] - quad.q[0], b = quad.q[2] - quad.q[0];
    const float normal = quad.axis == 0   ? a.z * b.x - a.x * b.z
                         : quad.axis == 1 ? a.y * b.z - a.z * b.y
                                          : a.x * b.y - a.y * b.x;
    return normal > 0.0f ? 1 : normal < 0.0f ? -1 : 0;
}

bool OptimizedQuadHashTable::quadArrays(std::vector<float>& vertices,
                                        std::vector<QuadRange>& ranges) const {
    try {
        vertices.clear();
        ranges.clear();
        int32_t first = 0;
        // Each bucket's quads facing up its axis, then those facing down (then
        // any without area), so that a draw can leave out a run that faces
        // away from the eye. Two quads of one axis facing opposite ways never
        // both show at one pixel, so this order draws the bucket's picture.
        for (const QuadBucket& bucket : buckets) {
            for (const int32_t facing : {1, -1, 0}) {
                QuadRange range;
                range.texture = bucket.count() > 0 ? bucket.records()[0].texture : 0;
                range.first = first;
                range.facing = facing;
                for (int32_t i = 0; i < bucket.count(); ++i) {
                    const QuadRecord& quad = bucket.records()[i];
                    if (!quad.alive || quadFacing(quad) != facing)
                        continue;
                    const float plane = quad.axis == 0   ? quad.q[0].y
                                        : quad.axis == 1 ? quad.q[0].x
                                                         : quad.q[0].z;
                    range.planeLow = range.count == 0 ? plane : std::min(range.planeLow, plane);
                    range.planeHigh = range.count == 0 ? plane : std::max(range.planeHigh, plane);
                    range.axis = quad.axis == 0 ? 1 : quad.axis == 1 ? 0 : 2;
                    for (int32_t v = 0; v < 4; ++v) {
                        const Vector2 st = texCoord(quad, v);
                        vertices.insert(vertices.end(),
                                        {st.x, st.y, quad.q[v].x, quad.q[v].y, quad.q[v].z});
                    }
                    range.count += 4;
                }
                first += range.count;
                if (range.count > 0)
                    ranges.push_back(range);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

Vector2 OptimizedQuadHashTable::texCoord(const QuadRecord& quad, int32_t vertex) const {
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
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
    for (const QuadBucket& bucket : buckets)
        for (int32_t i = 0; i < bucket.count(); ++i)
            if (bucket.records()[i].alive)
                live.push_back(bucket.records()[i]);
    return live;
}

int32_t OptimizedQuadHashTable::liveQuadCount() const {
    int32_t live = 0;
    for (const QuadBucket& bucket : buckets)
        for (int32_t i = 0; i < bucket.count(); ++i)
            live += bucket.records()[i].alive ? 1 : 0;
    return live;
}

// Corners are whole block indices from 0 to cells times the block size; all
// exact below 2^24.
bool OptimizedQuadHashTable::cornersExact(int32_t cells) const {
    const int64_t largestExact = int64_t{1} << 24;
    const int64_t blockSize = std::max(blockWidth, blockHeight);
    return blockWidth >= 1 && blockHeight >= 1 && cells >= 1 &&
           static_cast<int64_t>(cells) * blockSize <= largestExact;
}
