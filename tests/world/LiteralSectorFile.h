#pragma once
// A sector record written and read one field at a time, as first written:
// the oracle for the chunked reader and writer of the sector.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/DynArray.h"
#include "platform/Vector3.h"
#include "world/MapBlock.h"

namespace literal {

class FieldWriter {
public:
    void i32(int32_t v) { raw(&v, 4); }
    void f32(float v) { raw(&v, 4); }
    void u8(uint8_t v) { raw(&v, 1); }
    const std::vector<uint8_t>& bytes() const { return out; }

private:
    void raw(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        out.insert(out.end(), b, b + n);
    }
    std::vector<uint8_t> out;
};

// Header, the count of used blocks, then each used block in array order.
inline std::vector<uint8_t> sectorRecord(int32_t size, const Vector3& origin,
                                         const DynArray<MapBlock>& blocks) {
    FieldWriter w;
    int32_t used = 0;
    for (const MapBlock& b : blocks)
        used += b.used ? 1 : 0;
    w.i32(size);
    w.f32(origin.x);
    w.f32(origin.y);
    w.f32(origin.z);
    w.i32(used);
    for (const MapBlock& b : blocks) {
        if (!b.used)
            continue;
        w.i32(b.x);
        w.i32(b.y);
        w.i32(b.z);
        for (const FaceMaterial& f : b.faces) {
            w.i32(f.texture);
            w.i32(f.offsetU);
            w.i32(f.offsetV);
            w.u8(f.rotation);
            w.u8(static_cast<uint8_t>(f.scaleU));
            w.u8(static_cast<uint8_t>(f.scaleV));
        }
    }
    return w.bytes();
}

// Reads the block records after a header field by field; false at the first
// field missing or out of range (cell outside 0 to size - 1, rotation above
// 3, scale 0 or -128).
inline bool readBlocks(const uint8_t* data, size_t length, int32_t size, int32_t count,
                       std::vector<MapBlock>* blocks) {
    size_t at = 0;
    auto field = [&](void* out, size_t n) {
        if (at + n > length)
            return false;
        std::memcpy(out, data + at, n);
        at += n;
        return true;
    };
    for (int32_t i = 0; i < count; ++i) {
        MapBlock b;
        if (!field(&b.x, 4) || !field(&b.y, 4) || !field(&b.z, 4))
            return false;
        for (int32_t index : {b.x, b.y, b.z})
            if (index < 0 || index >= size)
                return false;
        for (FaceMaterial& f : b.faces) {
            if (!field(&f.texture, 4) || !field(&f.offsetU, 4) || !field(&f.offsetV, 4) ||
                !field(&f.rotation, 1) || !field(&f.scaleU, 1) || !field(&f.scaleV, 1))
                return false;
            if (f.rotation > 3 || f.scaleU == 0 || f.scaleU == -128 || f.scaleV == 0 ||
                f.scaleV == -128)
                return false;
        }
        b.used = true;
        blocks->push_back(b);
    }
    return true;
}

}  // namespace literal
