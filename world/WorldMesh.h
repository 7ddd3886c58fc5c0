#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Vector2.h"
#include "platform/Vector3.h"

class SpriteSheet;
class TamoMap;
class TamoSpriteObjectSet;

// The world as textured quads, for writing it out: what the program draws, in
// world units with y up. Block quads are the merged quads each sector's quad
// table compiles, grouped by texture; each sprite object is one upright quad
// showing the front frame of its sheet group, facing the way it heads.
struct WorldMesh {
    // How far a figure's quad moves along its normal for each earlier figure
    // in its plane: figures set in a row at one heading would otherwise be
    // coplanar, overlapping quads that flicker in a viewer. A fiftieth of a
    // unit is far below what shows beside a block's 10 units and still a few
    // float steps at world coordinates of 60,000.
    static constexpr float CoplanarHair = 0.02f;

    // Corners counter-clockwise seen from the front, with the texture
    // coordinates the program gives them (s to the right, t down the image).
    struct Quad {
        Vector3 corner[4];
        Vector2 texCoord[4];
    };
    struct Part {
        std::string name;
        // The sprite object's id; -1 for the blocks.
        int32_t id = -1;
        int32_t texture = 0;
        std::vector<Quad> quads;
    };

    // One part per texture, ascending, named "blocks <texture>".
    std::vector<Part> blocks;
    // One part per sprite object whose type is a group of the sheet, in the
    // set's order, named after the object. The k-th figure (from 0, in that
    // order) whose quad lies in the plane of earlier ones is moved k hairs
    // along its normal, so that no two figures' quads coincide.
    std::vector<Part> sprites;

    // Merges every sector's faces as a frame would compile them: a sector
    // with edits waiting is rebuilt first, then its table is filled and
    // merged again (which needs no GL context) and its quads are read.
    void addBlocks(TamoMap& map);
    // Nothing without a sheet.
    void addSprites(const TamoSpriteObjectSet& set, const SpriteSheet* sheet);

    int32_t quadCount() const;
    // The box around every corner; false when there is none.
    bool bounds(Vector3* low, Vector3* high) const;
    // The middle of the box's floor; the origin when there is no box.
    Vector3 groundMiddle() const;
    // Adds offset to every corner.
    void moveBy(const Vector3& offset);
};
