#include "world/ByteReader.h"

#include <cstring>

bool ByteReader::string(std::string* text) {
    const void* end = std::memchr(data + at, 0, remaining());
    if (!end)
        return false;
    const size_t length = static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + at));
    text->assign(reinterpret_cast<const char*>(data + at), length);
    at += length + 1;
    return true;
}
