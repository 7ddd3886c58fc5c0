#pragma once
#include <cstdint>

// Textures 101 to 106 are building sides; side t goes with roof t + 6. The
// sectors give such blocks their roofs and the quad table stretches the
// sides once over a whole wall, so both must agree on the range.
inline bool isBuildingSide(int32_t texture) {
    return texture >= 101 && texture <= 106;
}

inline int32_t roofForBuildingSide(int32_t side) {
    return side + 6;
}
