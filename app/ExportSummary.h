#pragma once
#include <cstdint>
#include <string>

// What an export wrote, for the one line --export prints on success.
struct ExportSummary {
    // The files written besides the pictures ("city.glb", "city.obj and city.mtl").
    std::string written;
    int64_t triangles = 0;
    int32_t materials = 0;
    int32_t pictures = 0;

    // "wrote city.glb: 1234 triangles, 7 materials, 6 pictures".
    std::string line() const;
};
