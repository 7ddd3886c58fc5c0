#include "world/OptimizedQuadHashTable.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "engine/TamoEngineCore.h"

namespace {

constexpr int32_t initialBucketCapacity = 32;

Vector3 componentMin(const Vector3& a, const Vector3& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}

Vector3 componentMax(const Vector3& a, const Vector3& b) {
    return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}

// Bits of a coordinate that compare as the float does: -0 and +0 alike.
// NaN equals nothing, so callers leave such values out of every index.
uint32_t coordinateBits(float value) {
    if (value == 0.0f)
        value = 0.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool isNumber(float value) { return value == value; }

// Three coordinates and one more small value (an orientation), hashed as bits.
struct PointKey {
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
    uint32_t extra = 0;

    bool operator==(const PointKey& o) const {
        return a == o.a && b == o.b && c == o.c && extra == o.extra;
    }
    uint32_t hash() const {
        uint64_t h = (static_cast<uint64_t>(a) * 0x9E3779B97F4A7C15ull) ^
                     (static_cast<uint64_t>(b) * 0xC2B2AE3D27D4EB4Full) ^
                     (static_cast<uint64_t>(c) * 0x165667B19E3779F9ull) ^
                     (static_cast<uint64_t>(extra) * 0x27D4EB2F165667C5ull);
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        return static_cast<uint32_t>(h);
    }
};

PointKey keyOf(const Vector3& p, uint32_t extra) {
    return {coordinateBits(p.x), coordinateBits(p.y), coordinateBits(p.z), extra};
}

// Gives every distinct key a dense id (0, 1, 2, ... in order of first
// appearance): open addressing over a power-of-two table.
class KeyIds {
public:
    explicit KeyIds(size_t expected) {
        size_t size = 16;
        while (size < expected * 2)
            size *= 2;
        slots.assign(size, -1);
        keys.reserve(expected);
    }

    int32_t idOf(const PointKey& key) {
        const size_t mask = slots.size() - 1;
        size_t at = key.hash() & mask;
        while (slots[at] >= 0) {
            if (keys[static_cast<size_t>(slots[at])] == key)
                return slots[at];
            at = (at + 1) & mask;
        }
        if ((keys.size() + 1) * 2 > slots.size()) {
            growTable();
            return idOf(key);
        }
        slots[at] = static_cast<int32_t>(keys.size());
        keys.push_back(key);
        return slots[at];
    }

    int32_t find(const PointKey& key) const {
        const size_t mask = slots.size() - 1;
        for (size_t at = key.hash() & mask; slots[at] >= 0; at = (at + 1) & mask)
            if (keys[static_cast<size_t>(slots[at])] == key)
                return slots[at];
        return -1;
    }

    int32_t count() const { return static_cast<int32_t>(keys.size()); }

private:
    void growTable() {
        std::vector<int32_t> bigger(slots.size() * 2, -1);
        const size_t mask = bigger.size() - 1;
        for (size_t id = 0; id < keys.size(); ++id) {
            size_t at = keys[id].hash() & mask;
            while (bigger[at] >= 0)
                at = (at + 1) & mask;
            bigger[at] = static_cast<int32_t>(id);
        }
        slots.swap(bigger);
    }

    std::vector<int32_t> slots;
    std::vector<PointKey> keys;
};

// Lists of record indices grouped by key id, each list in ascending record
// order (compressed rows: the lists of all ids laid end to end).
struct GroupedIndices {
    std::vector<int32_t> start;  // list of id k: entries[start[k]] to entries[start[k + 1] - 1]
    std::vector<int32_t> entries;

    void build(const std::vector<std::pair<int32_t, int32_t>>& idAndRecord, int32_t idCount) {
        start.assign(static_cast<size_t>(idCount) + 1, 0);
        for (const auto& pair : idAndRecord)
            ++start[static_cast<size_t>(pair.first) + 1];
        for (size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        entries.resize(idAndRecord.size());
        std::vector<int32_t> fill(start.begin(), start.end() - 1);
        // Pairs arrive in ascending record order, so each list stays sorted.
        for (const auto& pair : idAndRecord)
            entries[static_cast<size_t>(fill[static_cast<size_t>(pair.first)]++)] = pair.second;
    }
};

// The plane and the smallest in-plane corner of a quad: two quads of one
// axis coincide (given opposite orientations) exactly when these are equal.
bool squareKey(const QuadRecord& quad, PointKey* key) {
    float plane = 0.0f, first = 0.0f, second = 0.0f;
    switch (quad.axis) {
    case 0:
        plane = quad.q[0].y, first = quad.min.x, second = quad.min.z;
        break;
    case 1:
        plane = quad.q[0].x, first = quad.min.z, second = quad.min.y;
        break;
    default:
        plane = quad.q[0].z, first = quad.min.x, second = quad.min.y;
        break;
    }
    if (!isNumber(plane) || !isNumber(first) || !isNumber(second))
        return false;
    *key = {coordinateBits(plane), coordinateBits(first), coordinateBits(second), 0};
    return true;
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
        bool oneAxis = true;
        for (int32_t i = 1; i < bucket.count && oneAxis; ++i)
            oneAxis = bucket.storage[i].axis == bucket.storage[0].axis;
        if (bucket.count > 0 && oneAxis && bucket.storage[0].axis <= 2)
            removeHiddenPairsIndexed(bucket);
        else
            removeHiddenPairsPairwise(bucket);
    }
}

// Each live record i in order, with the first later live record that lies on
// the same square facing the other way: both go. Only records of one square
// can pair, so the records are grouped by square and each group is walked in
// record order, which pairs exactly as comparing every later record would.
void OptimizedQuadHashTable::removeHiddenPairsIndexed(Bucket& bucket) {
    QuadRecord* records = bucket.storage.get();
    KeyIds squares(static_cast<size_t>(bucket.count));
    std::vector<std::pair<int32_t, int32_t>> squareOfRecord;
    squareOfRecord.reserve(static_cast<size_t>(bucket.count));
    for (int32_t i = 0; i < bucket.count; ++i) {
        PointKey key;
        if (records[i].alive && squareKey(records[i], &key))
            squareOfRecord.emplace_back(squares.idOf(key), i);
    }
    GroupedIndices groups;
    groups.build(squareOfRecord, squares.count());

    std::vector<int32_t> waiting;  // per group: later records not yet paired
    for (int32_t g = 0; g < squares.count(); ++g) {
        const int32_t* first = groups.entries.data() + groups.start[static_cast<size_t>(g)];
        const int32_t* last = groups.entries.data() + groups.start[static_cast<size_t>(g) + 1];
        if (last - first < 2)
            continue;
        if (last - first == 2) {
            if (coincide(records[first[0]], records[first[1]]))
                records[first[0]].alive = records[first[1]].alive = 0;
            continue;
        }
        pairWithinSquare(records, first, last);
    }
}

// Many faces on one square (repeated blocks): each live record in order takes
// the first later live one of another orientation. The records of each
// orientation wait in their own queue, whose head only moves forward, so the
// group costs its size times the number of orientations in it.
void OptimizedQuadHashTable::pairWithinSquare(QuadRecord* records, const int32_t* first,
                                              const int32_t* last) {
    struct Queue {
        uint8_t orientation;
        std::vector<int32_t> members;
        size_t head = 0;
    };
    std::vector<Queue> queues;
    for (const int32_t* i = first; i != last; ++i) {
        const uint8_t orientation = records[*i].orientation;
        auto queue = std::find_if(queues.begin(), queues.end(),
                                  [&](const Queue& q) { return q.orientation == orientation; });
        if (queue == queues.end())
            queue = queues.insert(queues.end(), Queue{orientation, {}, 0});
        queue->members.push_back(*i);
    }
    for (const int32_t* i = first; i != last; ++i) {
        if (!records[*i].alive)
            continue;
        Queue* partner = nullptr;
        for (Queue& queue : queues) {
            if (queue.orientation == records[*i].orientation)
                continue;
            while (queue.head < queue.members.size() &&
                   (queue.members[queue.head] <= *i || !records[queue.members[queue.head]].alive))
                ++queue.head;
            if (queue.head < queue.members.size() &&
                (!partner || queue.members[queue.head] < partner->members[partner->head]))
                partner = &queue;
        }
        if (partner && coincide(records[*i], records[partner->members[partner->head]])) {
            records[*i].alive = 0;
            records[partner->members[partner->head]].alive = 0;
        }
    }
}

// A bucket whose records do not all lie on one axis (filled record by record
// by a caller): every later record compared.
void OptimizedQuadHashTable::removeHiddenPairsPairwise(Bucket& bucket) {
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
        // The table outlives the display list it filled: keep only what is
        // live, so a built sector holds a few quads rather than every face.
        compact(bucket);
    }
}

// One pass of the greedy merge: each live record i in order absorbs every
// later live record that canMerge with i's rectangle as it grows. Any record
// that canMerge with i shares a vertex with it, so the candidates are found
// through an index from vertex (and orientation) to the records having it,
// built at the start of the pass: records after i do not change before i's
// turn, so the index holds for them. i's next merge is the lowest later
// record among its vertices' lists that canMerge, as the pairwise scan finds.
bool OptimizedQuadHashTable::mergePass(Bucket& bucket) {
    QuadRecord* records = bucket.storage.get();
    KeyIds vertices(static_cast<size_t>(bucket.count) * 2);
    std::vector<std::pair<int32_t, int32_t>> vertexOfRecord;
    vertexOfRecord.reserve(static_cast<size_t>(bucket.count) * 4);
    for (int32_t j = 0; j < bucket.count; ++j) {
        const QuadRecord& quad = records[j];
        if (!quad.alive)
            continue;
        for (const Vector3& v : quad.q)
            if (isNumber(v.x) && isNumber(v.y) && isNumber(v.z))
                vertexOfRecord.emplace_back(vertices.idOf(keyOf(v, quad.orientation)), j);
    }
    if (vertexOfRecord.empty())
        return false;
    GroupedIndices lists;
    lists.build(vertexOfRecord, vertices.count());

    bool merged = false;
    for (int32_t i = 0; i < bucket.count; ++i) {
        QuadRecord& into = records[i];
        if (!into.alive)
            continue;
        int32_t after = i;
        for (;;) {
            int32_t next = bucket.count;
            for (const Vector3& v : into.q) {
                if (!isNumber(v.x) || !isNumber(v.y) || !isNumber(v.z))
                    continue;
                const int32_t id = vertices.find(keyOf(v, into.orientation));
                if (id < 0)
                    continue;
                const int32_t* first = lists.entries.data() + lists.start[static_cast<size_t>(id)];
                const int32_t* last = lists.entries.data() + lists.start[static_cast<size_t>(id) + 1];
                for (const int32_t* j = std::upper_bound(first, last, after);
                     j != last && *j < next; ++j) {
                    if (records[*j].alive && canMerge(into, records[*j])) {
                        next = *j;
                        break;
                    }
                }
            }
            if (next == bucket.count)
                break;
            QuadRecord& other = records[next];
            into.min = componentMin(into.min, other.min);
            into.max = componentMax(into.max, other.max);
            rewriteVertices(into);
            other.alive = 0;
            merged = true;
            after = next;
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
