#include "world/ByteWriter.h"

#include <algorithm>
#include <new>

#include "media/FileStream.h"

ByteWriter::ByteWriter(FileStream& stream)
        : stream(&stream), buffer(new (std::nothrow) uint8_t[BufferBytes]) {
    failed = !buffer;
}

ByteWriter::ByteWriter(std::vector<uint8_t>& memory)
        : memory(&memory), buffer(new (std::nothrow) uint8_t[BufferBytes]) {
    failed = !buffer;
}

bool ByteWriter::flush() {
    if (failed)
        return false;
    if (used > 0 && stream && !stream->writeBytes(buffer.get(), static_cast<int32_t>(used)))
        failed = true;
    if (used > 0 && memory) {
        try {
            memory->insert(memory->end(), buffer.get(), buffer.get() + used);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    }
    used = 0;
    return !failed;
}

void ByteWriter::bytes(const void* data, size_t count) {
    const uint8_t* from = static_cast<const uint8_t*>(data);
    while (count > 0 && !failed) {
        const size_t part = count < BufferBytes ? count : BufferBytes;
        if (uint8_t* room = reserve(part))
            std::copy(from, from + part, room);
        from += part;
        count -= part;
    }
}

bool ByteWriter::finish() {
    return flush();
}
