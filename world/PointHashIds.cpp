#include "world/PointHashIds.h"

#include <cstring>

namespace {

// Bits of a coordinate that compare as the float does: -0 and +0 alike.
uint32_t coordinateBits(float value) {
    if (value == 0.0f)
        value = 0.0f;
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

uint32_t PointHashIds::Key::hash() const {
    uint64_t h = (static_cast<uint64_t>(a) * 0x9E3779B97F4A7C15ull) ^
                 (static_cast<uint64_t>(b) * 0xC2B2AE3D27D4EB4Full) ^
                 (static_cast<uint64_t>(c) * 0x165667B19E3779F9ull) ^
                 (static_cast<uint64_t>(extra) * 0x27D4EB2F165667C5ull);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 32;
    return static_cast<uint32_t>(h);
}

PointHashIds::PointHashIds(size_t expected) {
    size_t size = 16;
    while (size < expected * 2)
        size *= 2;
    slots.assign(size, -1);
    keys.reserve(expected);
}

PointHashIds::Key PointHashIds::keyOf(const Vector3& point, uint32_t extra) {
    return {coordinateBits(point.x), coordinateBits(point.y), coordinateBits(point.z), extra};
}

int32_t PointHashIds::idOf(const Vector3& point, uint32_t extra) {
    return idOfKey(keyOf(point, extra));
}

int32_t PointHashIds::idOfKey(const Key& key) {
    const size_t mask = slots.size() - 1;
    size_t at = key.hash() & mask;
    while (slots[at] >= 0) {
        if (keys[static_cast<size_t>(slots[at])] == key)
            return slots[at];
        at = (at + 1) & mask;
    }
    if ((keys.size() + 1) * 2 > slots.size()) {
        growTable();
        return idOfKey(key);
    }
    slots[at] = static_cast<int32_t>(keys.size());
    keys.push_back(key);
    return slots[at];
}

int32_t PointHashIds::find(const Vector3& point, uint32_t extra) const {
    const Key key = keyOf(point, extra);
    const size_t mask = slots.size() - 1;
    for (size_t at = key.hash() & mask; slots[at] >= 0; at = (at + 1) & mask)
        if (keys[static_cast<size_t>(slots[at])] == key)
            return slots[at];
    return -1;
}

void PointHashIds::growTable() {
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
