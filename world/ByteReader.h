#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/LittleEndian.h"

// Reads little-endian fields from a block of bytes in memory, checking every
// read against the bytes that remain; a failed read consumes nothing.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data(data), size(size) {}

    size_t position() const { return at; }
    size_t remaining() const { return size - at; }

    bool i32(int32_t* value) {
        const uint8_t* field = take(4);
        if (field)
            *value = littleEndian::loadI32(field);
        return field != nullptr;
    }
    bool f32(float* value) {
        const uint8_t* field = take(4);
        if (field)
            *value = littleEndian::loadF32(field);
        return field != nullptr;
    }
    // The next count bytes, consumed; null when fewer remain.
    const uint8_t* take(size_t count) {
        if (count > remaining())
            return nullptr;
        const uint8_t* field = data + at;
        at += count;
        return field;
    }
    // A zero-terminated string of any length, terminator consumed; false when
    // no terminator follows within the data.
    bool string(std::string* text);

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};
