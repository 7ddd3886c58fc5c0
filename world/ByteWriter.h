#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/LittleEndian.h"

class FileStream;

// Writes little-endian fields to a stream through a buffer, so that a record
// of many fields costs one stream call per buffer rather than one per field;
// or appends them to bytes in memory (a buffer at a time). Remembers the first failure; finish
// writes what is left and reports.
class ByteWriter {
public:
    // What is still buffered when the writer goes without finish is dropped.
    explicit ByteWriter(FileStream& stream);
    explicit ByteWriter(std::vector<uint8_t>& memory);
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    void i32(int32_t value) {
        if (uint8_t* field = reserve(4))
            littleEndian::storeI32(field, value);
    }
    void f32(float value) {
        if (uint8_t* field = reserve(4))
            littleEndian::storeF32(field, value);
    }
    void u8(uint8_t value) {
        if (uint8_t* field = reserve(1))
            *field = value;
    }
    void bytes(const void* data, size_t count);
    // Room for count bytes (at most BufferBytes) that the caller fills in
    // order; null once a write has failed.
    uint8_t* reserve(size_t count) {
        if (count > BufferBytes - used && !flush())
            return nullptr;
        uint8_t* room = buffer.get() + used;
        used += count;
        return room;
    }
    // Writes what is buffered; true when every byte reached the stream.
    bool finish();

    static constexpr size_t BufferBytes = 256 * 1024;

private:
    bool flush();

    FileStream* stream = nullptr;
    std::vector<uint8_t>* memory = nullptr;
    std::unique_ptr<uint8_t[]> buffer;
    size_t used = 0;
    bool failed = false;
};
