#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// A decoded picture: width x height RGBA pixels, rows from the top, no padding.
struct Picture {
    std::vector<uint8_t> rgba;
    int32_t width = 0;
    int32_t height = 0;

    bool empty() const { return rgba.empty(); }
    // Whether no pixel has alpha below 255 (such a picture draws as an
    // opaque texture does).
    bool opaque() const;
};
