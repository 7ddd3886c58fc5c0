#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "world/CellBox.h"

class CellWriter;

// The flat region of a block face: the faces that lie in its plane, look the
// same way, carry its texture and reach it edge to edge through such faces,
// each one open to view (no used block in the cell in front of it). Cells
// are world-wide cells (CellBox); each face also knows its sector and its
// cell there, in whose coordinates the face's texture is laid.
class FlatRegion {
public:
    // The widest region on either axis of its plane: a texture scale is a
    // signed byte of blocks.
    static constexpr int32_t MaxBlocks = 127;

    // A face's plane: the world axes (0 x, 1 y, 2 z) of its two in-plane
    // axes a and b as the quad table lays textures along them, of its
    // normal, and whether it looks towards the normal's positive end.
    struct Axes {
        int32_t a, b, normal;
        bool positive;
    };
    struct Face {
        int32_t cell[3];   // world cell
        int32_t sector;    // index in the map's list
        int32_t local[3];  // the cell in that sector
    };

    static Axes axesOf(int32_t face);
    // The cells a search from cell may look at: the region's plane and the
    // cells in front of it, MaxBlocks around cell on the plane's axes.
    static CellBox searchBox(const int32_t cell[3], int32_t face);

    // Searches from face `face` of the used block in world cell `cell`
    // through writer, whose box must hold searchBox. The start face belongs
    // to the region even when covered. False (why says it) when there is no
    // used block in the cell or the region is wider than MaxBlocks.
    bool find(CellWriter& writer, const int32_t cell[3], int32_t face, std::string* why);

    int32_t face() const { return faceIndex; }
    int32_t texture() const { return regionTexture; }
    // The start face first.
    const std::vector<Face>& faces() const { return found; }
    // The cells the region covers, both ends included, on world axis axis.
    int32_t low(int32_t axis) const { return lowCell[axis]; }
    int32_t high(int32_t axis) const { return highCell[axis]; }
    // The box of the region's cells (one cell thick along the normal).
    CellBox box() const;

private:
    int32_t faceIndex = 0;
    int32_t regionTexture = 0;
    std::vector<Face> found;
    int32_t lowCell[3] = {0, 0, 0};
    int32_t highCell[3] = {0, 0, 0};
};
