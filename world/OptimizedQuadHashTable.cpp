#include "world/OptimizedQuadHashTable.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
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

bool isNumber(float value) {
    return value == value;
}

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

// A point of a quad entered in an index: the record it belongs to and a
// small extra value (the orientation, or 0) that is part of the key.
struct PointEntry {
    Vector3 point;
    uint32_t extra;
    int32_t record;
};

// Working storage of the indexes, kept from one use to the next: sectors are
// rebuilt one after another on the program's one thread, and reusing the
// storage saves fresh pages for every bucket of every rebuild.
struct Scratch {
    std::vector<PointEntry> points;
    std::vector<int32_t> ids;
    std::vector<int32_t> gridIndices;
    std::vector<int32_t> tails;
    std::vector<int32_t> nexts;
};

Scratch& scratch() {
    static Scratch storage;
    return storage;
}

// Dense ids for points with an extra value of 0 or 1. When every point lies
// on the block grid (each coordinate an exact, non-negative multiple of the
// block size, as the faces of a sector's cells do) the id is the grid
// position, computed without hashing; otherwise points are hashed. Two points
// get one id exactly when they compare equal (with equal extras).
class PointIds {
public:
    PointIds(float blockWidth, float blockHeight)
            : cell{blockWidth, blockHeight, blockWidth}, inverse{1.0f / blockWidth,
                                                                 1.0f / blockHeight,
                                                                 1.0f / blockWidth} {}

    // Gives each entry its id (ids[k] for entries[k]); count() ids in all.
    void assign(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids) {
        ids.resize(entries.size());
        useGrid = fitGrid(entries, ids);
        if (useGrid)
            return;
        hashed.reset(new KeyIds(entries.size()));
        for (size_t k = 0; k < entries.size(); ++k)
            ids[k] = hashed->idOf(keyOf(entries[k].point, entries[k].extra));
    }

    // The id of a point entered after assign: the grid position, or a new
    // hashed id; -1 when the point is off the grid in use.
    int32_t enter(const Vector3& point, uint32_t extra) {
        if (useGrid)
            return gridId(point, extra);
        return hashed->idOf(keyOf(point, extra));
    }

    // The id of an entered point, or -1 when no entry has it.
    int32_t find(const Vector3& point, uint32_t extra) const {
        if (useGrid)
            return gridId(point, extra);
        return hashed->find(keyOf(point, extra));
    }

    int32_t count() const { return useGrid ? gridSize : hashed->count(); }

private:
    static constexpr int32_t largestGridIndex = 4096;

    // Grid index of a coordinate, or -1 off the grid. Each index stands for
    // the one float value index x cell (checked exactly), so equal indices
    // mean equal values; the nearest index is found through the reciprocal.
    int32_t gridIndex(float value, int axis) const {
        const float quotient = value * inverse[axis];
        if (!(value >= 0.0f) || !(quotient < static_cast<float>(largestGridIndex)))
            return -1;
        const int32_t index = static_cast<int32_t>(quotient + 0.5f);
        return static_cast<float>(index) * cell[axis] == value ? index : -1;
    }

    int32_t gridId(const Vector3& point, uint32_t extra) const {
        const int32_t x = gridIndex(point.x, 0), y = gridIndex(point.y, 1),
                      z = gridIndex(point.z, 2);
        if (x < 0 || y < 0 || z < 0 || x >= extent[0] || y >= extent[1] || z >= extent[2] ||
            extra > 1)
            return -1;
        return ((x * extent[1] + y) * extent[2] + z) * 2 + static_cast<int32_t>(extra);
    }

    // True when every entry lies on a grid small enough to index densely;
    // ids then holds each entry's grid id.
    bool fitGrid(const std::vector<PointEntry>& entries, std::vector<int32_t>& ids) {
        if (!(cell[0] > 0.0f) || !(cell[1] > 0.0f) || !std::isfinite(inverse[0]) ||
            !std::isfinite(inverse[1]))
            return false;
        std::vector<int32_t>& indices = scratch().gridIndices;
        indices.resize(entries.size() * 3);
        int32_t high[3] = {0, 0, 0};
        for (size_t k = 0; k < entries.size(); ++k) {
            const PointEntry& entry = entries[k];
            const float coordinate[3] = {entry.point.x, entry.point.y, entry.point.z};
            if (entry.extra > 1)
                return false;
            for (int axis = 0; axis < 3; ++axis) {
                const int32_t index = gridIndex(coordinate[axis], axis);
                if (index < 0)
                    return false;
                indices[k * 3 + static_cast<size_t>(axis)] = index;
                high[axis] = std::max(high[axis], index);
            }
        }
        const int64_t size = (high[0] + 1LL) * (high[1] + 1LL) * (high[2] + 1LL) * 2;
        if (size > static_cast<int64_t>(entries.size()) * 8 + 65536)
            return false;  // sparse over a wide grid: hashing costs less memory
        for (int axis = 0; axis < 3; ++axis)
            extent[axis] = high[axis] + 1;
        gridSize = static_cast<int32_t>(size);
        for (size_t k = 0; k < entries.size(); ++k)
            ids[k] = ((indices[k * 3] * extent[1] + indices[k * 3 + 1]) * extent[2] +
                      indices[k * 3 + 2]) *
                         2 +
                     static_cast<int32_t>(entries[k].extra);
        return true;
    }

    const float cell[3];
    const float inverse[3];
    bool useGrid = false;
    int32_t extent[3] = {0, 0, 0};
    int32_t gridSize = 0;
    std::unique_ptr<KeyIds> hashed;
};

// Lists of record indices grouped by key id, each list in ascending record
// order (compressed rows: the lists of all ids laid end to end).
struct GroupedIndices {
    std::vector<int32_t> start;  // list of id k: entries[start[k]] to entries[start[k + 1] - 1]
    std::vector<int32_t> entries;
    std::vector<int32_t> fill;

    // ids[k] is the id of points[k]; entries arrive in ascending record
    // order, so each list stays sorted.
    void build(const std::vector<PointEntry>& points, const std::vector<int32_t>& ids,
               int32_t idCount) {
        start.assign(static_cast<size_t>(idCount) + 1, 0);
        for (int32_t id : ids)
            ++start[static_cast<size_t>(id) + 1];
        for (size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        entries.resize(ids.size());
        fill.assign(start.begin(), start.end() - 1);
        for (size_t k = 0; k < ids.size(); ++k)
            entries[static_cast<size_t>(fill[static_cast<size_t>(ids[k])]++)] = points[k].record;
    }
};

// The grouped lists of the hidden-face search and of the merge's vertex
// index, kept like the scratch storage above.
GroupedIndices& squareGroups() {
    static GroupedIndices groups;
    return groups;
}

GroupedIndices& vertexLists() {
    static GroupedIndices lists;
    return lists;
}

// The plane and the smallest in-plane corner of a quad, as one point (the
// smallest corner with the plane's coordinate): two quads of one axis
// coincide (given opposite orientations) exactly when these points are equal.
bool squarePoint(const QuadRecord& quad, Vector3* point) {
    switch (quad.axis) {
    case 0:
        *point = {quad.min.x, quad.q[0].y, quad.min.z};
        break;
    case 1:
        *point = {quad.q[0].x, quad.min.y, quad.min.z};
        break;
    default:
        *point = {quad.min.x, quad.min.y, quad.q[0].z};
        break;
    }
    return isNumber(point->x) && isNumber(point->y) && isNumber(point->z);
}

bool isPoint(const Vector3& v) {
    return isNumber(v.x) && isNumber(v.y) && isNumber(v.z);
}

// From a vertex (with the quad's orientation) to the records of a bucket
// that have it: every live record's vertices when built, plus the vertices
// that records gained by growing, entered as they are added. Entries of
// vertices a record no longer has stay behind; every use checks canMerge on
// the record as it is now.
class VertexIndex {
public:
    VertexIndex(float blockWidth, float blockHeight) : w(blockWidth), h(blockHeight) {}

    void build(const QuadRecord* records, int32_t count) {
        std::vector<PointEntry>& points = scratch().points;
        points.clear();
        for (int32_t j = 0; j < count; ++j) {
            if (!records[j].alive)
                continue;
            for (const Vector3& v : records[j].q)
                if (isPoint(v))
                    points.push_back({v, records[j].orientation, j});
        }
        ids.reset(new PointIds(w, h));
        std::vector<int32_t>& pointIds = scratch().ids;
        ids->assign(points, pointIds);
        base.build(points, pointIds, ids->count());
        baseIds = ids->count();
        grown.clear();
    }

    // Enters the present vertices of record r; false when one cannot be
    // entered (off the grid in use), and the index must be built afresh.
    bool add(const QuadRecord& quad, int32_t r) {
        for (const Vector3& v : quad.q) {
            if (!isPoint(v))
                continue;
            const int32_t id = ids->enter(v, quad.orientation);
            if (id < 0)
                return false;
            grown[id].push_back(r);
        }
        return true;
    }

    // The lowest record j, after < j < limit, that is live and canMerge with
    // into; limit when there is none.
    int32_t firstMergeable(const OptimizedQuadHashTable& table, const QuadRecord* records,
                           const QuadRecord& into, int32_t after, int32_t limit) const {
        int32_t best = limit;
        for (const Vector3& v : into.q) {
            if (!isPoint(v))
                continue;
            const int32_t id = ids->find(v, into.orientation);
            if (id < 0)
                continue;
            if (id < baseIds) {
                const int32_t* first = base.entries.data() + base.start[static_cast<size_t>(id)];
                const int32_t* last = base.entries.data() + base.start[static_cast<size_t>(id) + 1];
                for (const int32_t* j = std::upper_bound(first, last, after);
                     j != last && *j < best; ++j) {
                    if (records[*j].alive && table.canMerge(into, records[*j])) {
                        best = *j;
                        break;
                    }
                }
            }
            if (grown.empty())
                continue;
            const auto extra = grown.find(id);
            if (extra == grown.end())
                continue;
            for (int32_t j : extra->second)
                if (j > after && j < best && records[j].alive && table.canMerge(into, records[j]))
                    best = j;
        }
        return best;
    }

    // Every record entered with vertex v (and orientation), whatever it is now.
    template <typename Visit>
    void forEachWith(const Vector3& v, uint32_t orientation, Visit visit) const {
        if (!isPoint(v))
            return;
        const int32_t id = ids->find(v, orientation);
        if (id < 0)
            return;
        if (id < baseIds)
            for (int32_t k = base.start[static_cast<size_t>(id)];
                 k < base.start[static_cast<size_t>(id) + 1]; ++k)
                visit(base.entries[static_cast<size_t>(k)]);
        const auto extra = grown.find(id);
        if (extra != grown.end())
            for (int32_t j : extra->second)
                visit(j);
    }

private:
    float w;
    float h;
    std::unique_ptr<PointIds> ids;
    GroupedIndices& base = vertexLists();
    int32_t baseIds = 0;
    std::unordered_map<int32_t, std::vector<int32_t>> grown;
};

}  // namespace

OptimizedQuadHashTable::OptimizedQuadHashTable(TamoEngineCore* core_) : core(core_) {}

OptimizedQuadHashTable::~OptimizedQuadHashTable() = default;

void OptimizedQuadHashTable::clear() {
    std::vector<Bucket>().swap(buckets);
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
    const float w = static_cast<float>(core->blockWidth);
    const float h = static_cast<float>(core->blockHeight);
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
        if (removeHiddenPairsOnGrid(bucket))
            continue;
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
    std::vector<PointEntry>& squareOfRecord = scratch().points;
    squareOfRecord.clear();
    for (int32_t i = 0; i < bucket.count; ++i) {
        Vector3 point;
        if (records[i].alive && squarePoint(records[i], &point))
            squareOfRecord.push_back({point, 0, i});
    }
    PointIds squares(static_cast<float>(core->blockWidth), static_cast<float>(core->blockHeight));
    std::vector<int32_t>& ids = scratch().ids;
    squares.assign(squareOfRecord, ids);
    GroupedIndices& groups = squareGroups();
    groups.build(squareOfRecord, ids, squares.count());

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

// The usual bucket: faces of one axis on the block grid, facing one of two
// ways. Walking the records in order, each live record pairs with the
// earliest unpaired earlier record of its square that faces the other way.
// With two orientations the unpaired records of a square always face one
// way, so this pairs exactly as each record taking the first later record
// facing the other way does. False, with nothing changed, for any other
// bucket.
bool OptimizedQuadHashTable::removeHiddenPairsOnGrid(Bucket& bucket) {
    QuadRecord* records = bucket.storage.get();
    const int32_t count = bucket.count;
    const float cell[3] = {static_cast<float>(core->blockWidth),
                           static_cast<float>(core->blockHeight),
                           static_cast<float>(core->blockWidth)};
    if (count == 0 || records[0].axis > 2 || !(cell[0] > 0.0f) || !(cell[1] > 0.0f))
        return false;
    const float inverse[3] = {1.0f / cell[0], 1.0f / cell[1], 1.0f / cell[2]};
    const auto gridIndex = [&](float value, int axis) {
        const float quotient = value * inverse[axis];
        if (!(value >= 0.0f) || !(quotient < 4096.0f))
            return -1;
        const int32_t index = static_cast<int32_t>(quotient + 0.5f);
        return static_cast<float>(index) * cell[axis] == value ? index : -1;
    };
    Scratch& work = scratch();
    work.gridIndices.resize(static_cast<size_t>(count) * 3);
    int32_t high[3] = {0, 0, 0};
    const uint8_t axis = records[0].axis;
    for (int32_t i = 0; i < count; ++i) {
        const QuadRecord& quad = records[i];
        if (quad.axis != axis || quad.orientation > 1)
            return false;
        int32_t* index = &work.gridIndices[static_cast<size_t>(i) * 3];
        Vector3 square;
        if (!quad.alive) {
            index[0] = -1;
            continue;
        }
        if (!squarePoint(quad, &square))
            return false;
        const float coordinate[3] = {square.x, square.y, square.z};
        for (int a = 0; a < 3; ++a) {
            index[a] = gridIndex(coordinate[a], a);
            if (index[a] < 0)
                return false;
            high[a] = std::max(high[a], index[a]);
        }
    }
    const int64_t squares = (high[0] + 1LL) * (high[1] + 1LL) * (high[2] + 1LL);
    if (squares > static_cast<int64_t>(count) * 8 + 65536)
        return false;

    // Per square the unpaired records, earliest first, as a linked queue.
    std::vector<int32_t>& head = work.ids;
    std::vector<int32_t>& tail = work.tails;
    std::vector<int32_t>& next = work.nexts;
    head.assign(static_cast<size_t>(squares), -1);
    tail.resize(static_cast<size_t>(squares));
    next.resize(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t* index = &work.gridIndices[static_cast<size_t>(i) * 3];
        if (index[0] < 0)
            continue;
        const size_t g = static_cast<size_t>(
            (static_cast<int64_t>(index[0]) * (high[1] + 1) + index[1]) * (high[2] + 1) + index[2]);
        const int32_t first = head[g];
        next[static_cast<size_t>(i)] = -1;
        if (first < 0) {
            head[g] = tail[g] = i;
        } else if (records[first].orientation != records[i].orientation &&
                   coincide(records[first], records[i])) {
            records[first].alive = 0;
            records[i].alive = 0;
            head[g] = next[static_cast<size_t>(first)];
        } else {
            next[static_cast<size_t>(tail[g])] = i;
            tail[g] = i;
        }
    }
    return true;
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
        // Dropping the faces that hidden-face removal killed first keeps the
        // passes to the live ones; compaction never changes which quads
        // merge. The table outlives the display list it filled, so what it
        // keeps afterwards is only what is live, a few quads per sector.
        compact(bucket);
        mergeBucket(bucket);
        compact(bucket);
    }
}

// The greedy merge, pass after pass until a pass merges nothing: in each
// pass every live record i in order absorbs every later live record that
// canMerge with i's rectangle as it grows.
//
// Any record that canMerge with i shares a vertex with it, so i's next merge
// is the lowest later record, among those indexed under i's vertices, that
// canMerge. Records after i do not change before i's turn, so an index of
// each record's vertices as they were when the pass began serves the pass.
//
// A record that absorbed nothing in a pass found no partner after it; its
// first merge in the next pass can only be with a record that grew in that
// pass. So after the first pass only the records that grew, and those that
// share a vertex with a later one that grew, need their turn; the others
// provably merge nothing. The pass count, and so the numbers drawn from the
// generator (one per pass, as the pairwise merge drew for compacting), stay
// as they were; intermediate compaction is left out, since it never changes
// which quads merge.
void OptimizedQuadHashTable::mergeBucket(Bucket& bucket) {
    QuadRecord* records = bucket.storage.get();
    const int32_t count = bucket.count;
    VertexIndex index(static_cast<float>(core->blockWidth), static_cast<float>(core->blockHeight));
    std::vector<int32_t> turns;  // records that take a turn this pass, in order
    std::vector<int32_t> grew;   // records that absorbed something last pass
    std::vector<uint8_t> listed(static_cast<size_t>(count), 0);
    bool firstPass = true;
    bool merged = true;
    while (merged) {
        std::rand();
        turns.clear();
        if (firstPass) {
            index.build(records, count);
            for (int32_t i = 0; i < count; ++i)
                if (records[i].alive)
                    turns.push_back(i);
        } else {
            bool entered = true;
            for (int32_t g : grew)
                if (records[g].alive)
                    entered = entered && index.add(records[g], g);
            if (!entered)
                index.build(records, count);
            for (int32_t g : grew) {
                if (!records[g].alive)
                    continue;
                const auto list = [&](int32_t r) {
                    if (r <= g && records[r].alive && !listed[static_cast<size_t>(r)]) {
                        listed[static_cast<size_t>(r)] = 1;
                        turns.push_back(r);
                    }
                };
                list(g);
                for (const Vector3& v : records[g].q)
                    index.forEachWith(v, records[g].orientation, list);
            }
            std::sort(turns.begin(), turns.end());
            for (int32_t r : turns)
                listed[static_cast<size_t>(r)] = 0;
        }
        merged = false;
        grew.clear();
        for (int32_t i : turns) {
            QuadRecord& into = records[i];
            if (!into.alive)
                continue;
            bool absorbed = false;
            for (int32_t after = i;;) {
                const int32_t next = index.firstMergeable(*this, records, into, after, count);
                if (next == count)
                    break;
                QuadRecord& other = records[next];
                into.min = componentMin(into.min, other.min);
                into.max = componentMax(into.max, other.max);
                rewriteVertices(into);
                other.alive = 0;
                absorbed = true;
                after = next;
            }
            if (absorbed) {
                grew.push_back(i);
                merged = true;
            }
        }
        firstPass = false;
    }
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
