#include "world/WorldBytes.h"

size_t WorldBytes::size() const {
    size_t total = 0;
    for (const Part& part : parts)
        total += part->size();
    return total;
}

std::vector<uint8_t> WorldBytes::joined() const {
    std::vector<uint8_t> bytes;
    bytes.reserve(size());
    for (const Part& part : parts)
        bytes.insert(bytes.end(), part->begin(), part->end());
    return bytes;
}
