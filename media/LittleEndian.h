#pragma once
#include <cstdint>
#include <cstring>

// Fixed little-endian byte layouts of 32-bit fields, whatever the machine's
// byte order: the one home of the encoding that file streams and the map
// file use. Floats travel as the bits of their IEEE-754 single.
namespace littleEndian {

inline void storeU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t loadU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

inline void storeI32(uint8_t* at, int32_t value) {
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    storeU32(at, raw);
}

inline int32_t loadI32(const uint8_t* at) {
    const uint32_t raw = loadU32(at);
    int32_t value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

inline void storeF32(uint8_t* at, float value) {
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    storeU32(at, raw);
}

inline float loadF32(const uint8_t* at) {
    const uint32_t raw = loadU32(at);
    float value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

}  // namespace littleEndian
