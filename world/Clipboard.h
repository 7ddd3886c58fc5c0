#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/MapBlock.h"
#include "world/SpriteObject.h"

// Blocks and sprite figures taken from a box of cells, relative to the box's
// lowest corner, with the quarter turns and mirroring applied to them since.
//
// The records are kept as they were taken; the turns and the mirroring are
// kept as one orientation and applied when the content is placed, so any
// sequence of turns and mirrors that comes back to the start gives back the
// records exactly, and turning a large clipboard costs nothing.
//
// Placing a block turned a quarter: its side faces move round with it (the
// face that looked along +x looks along +z), keeping their materials, so
// facades stay upright; top and bottom faces turn their texture a quarter.
// Mirroring left-right (along the clipboard's x axis as it now lies): the
// blocks' places and their faces at x = 0 and x = 1 are mirrored, the
// pictures are not (top and bottom turn the other way by the turns they
// carried, which is the unmirrored picture nearest the mirrored one).
class Clipboard {
public:
    // Empty: no box, nothing held.
    Clipboard() = default;
    // What a copy took: a box of sizeX x sizeY x sizeZ cells, the used
    // blocks in it (x, y, z relative to the lowest corner, each cell at most
    // once; the used flag is set) and the figures (positions relative to the
    // lowest corner's world point), for cells of blockWidth x blockHeight.
    Clipboard(int32_t sizeX, int32_t sizeY, int32_t sizeZ, int32_t blockWidth, int32_t blockHeight,
              std::vector<MapBlock> blocks, std::vector<SpriteObject> sprites);

    // False until something was copied (an empty box copied still counts).
    bool holdsBox() const { return sizes[0] > 0; }
    // The box as it now lies (after the turns).
    int32_t sizeX() const;
    int32_t sizeY() const { return sizes[1]; }
    int32_t sizeZ() const;
    int64_t cellCount() const { return int64_t{sizes[0]} * sizes[1] * sizes[2]; }
    size_t blockCount() const { return blocks.size(); }
    size_t spriteCount() const { return sprites.size(); }
    // World units of the cells it was taken from.
    int32_t cellWidth() const { return blockWidth; }
    int32_t cellHeight() const { return blockHeight; }

    // A quarter turn about the vertical axis (+x towards +z); a left-right
    // mirror.
    void rotateQuarter();
    void mirror();
    int32_t quarterTurns() const { return turns; }
    bool isMirrored() const { return mirrored; }

    // The blocks as they now lie, relative to the lowest corner, ordered by
    // y, then z, then x (the order a paste writes them in).
    std::vector<MapBlock> placedBlocks() const;
    // The figures as they now lie, positions relative to the lowest corner's
    // world point, headings turned with them; in the order they were taken.
    std::vector<SpriteObject> placedSprites() const;

    // Bytes held: the records and nothing beside them.
    size_t memoryBytes() const;

private:
    // The place of an unturned cell once oriented.
    void orientCell(int32_t x, int32_t z, int32_t* ox, int32_t* oz) const;

    int32_t sizes[3] = {0, 0, 0};  // as taken
    int32_t blockWidth = 10;
    int32_t blockHeight = 15;
    int32_t turns = 0;  // applied after the mirror
    bool mirrored = false;
    std::vector<MapBlock> blocks;
    std::vector<SpriteObject> sprites;
};
