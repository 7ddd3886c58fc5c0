#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Vector3.h"

// Dense ids for points with a small extra value, by hashing: every distinct
// (point, extra) gets the next id, 0, 1, 2, ... in order of first
// appearance. Coordinates compare as floats do (-0 and +0 alike); a
// not-a-number coordinate equals nothing, so callers leave such points out.
// Open addressing over a power-of-two table.
class PointHashIds {
public:
    explicit PointHashIds(size_t expected);

    // The id of the point, entered first when it is new.
    int32_t idOf(const Vector3& point, uint32_t extra);
    // The id of an entered point, or -1.
    int32_t find(const Vector3& point, uint32_t extra) const;
    int32_t count() const { return static_cast<int32_t>(keys.size()); }

private:
    // Three coordinates and the extra value, as bits.
    struct Key {
        uint32_t a = 0;
        uint32_t b = 0;
        uint32_t c = 0;
        uint32_t extra = 0;

        bool operator==(const Key& o) const {
            return a == o.a && b == o.b && c == o.c && extra == o.extra;
        }
        uint32_t hash() const;
    };

    static Key keyOf(const Vector3& point, uint32_t extra);
    int32_t idOfKey(const Key& key);
    void growTable();

    std::vector<int32_t> slots;
    std::vector<Key> keys;
};
