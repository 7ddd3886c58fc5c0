#pragma once
#include <cstdint>

// Bytes read in order from somewhere: a file, or a generator that makes a
// file's bytes on demand (so a reader can be given more bytes than memory
// or the disk should hold). Readers check every count against remaining()
// before they reserve memory for it.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // True only when all count bytes were read; a count of 0 or less is false.
    virtual bool readBytes(void* buffer, int32_t count) = 0;
    // Bytes from the position to the end; -1 when unknown.
    virtual int64_t remaining() const = 0;
};
