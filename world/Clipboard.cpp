#include "world/Clipboard.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Where each side face goes under a quarter turn (+x towards +z): the face
// looking along +x looks along +z, +z along -x, -x along -z, -z along +x.
int32_t turnedSide(int32_t face) {
    switch (face) {
    case FaceRightX:
        return FaceBackZ;
    case FaceBackZ:
        return FaceLeftX;
    case FaceLeftX:
        return FaceFrontZ;
    case FaceFrontZ:
        return FaceRightX;
    default:
        return face;
    }
}

uint8_t turnedTexture(uint8_t rotation, int32_t quarters) {
    return static_cast<uint8_t>((rotation + quarters) & 3);
}

}  // namespace

Clipboard::Clipboard(int32_t sizeX, int32_t sizeY, int32_t sizeZ, int32_t blockWidth,
                     int32_t blockHeight, std::vector<MapBlock> blocks,
                     std::vector<SpriteObject> sprites)
        : sizes{sizeX, sizeY, sizeZ}, blockWidth(blockWidth), blockHeight(blockHeight),
          blocks(std::move(blocks)), sprites(std::move(sprites)) {
    this->blocks.shrink_to_fit();
    this->sprites.shrink_to_fit();
}

int32_t Clipboard::sizeX() const {
    return turns % 2 == 0 ? sizes[0] : sizes[2];
}

int32_t Clipboard::sizeZ() const {
    return turns % 2 == 0 ? sizes[2] : sizes[0];
}

void Clipboard::rotateQuarter() {
    turns = (turns + 1) & 3;
}

// Headings of turned figures come out from 0 up to 360.
//
// Mirroring what was turned t times equals turning back t times what was
// mirrored: M R^t = R^-t M.
void Clipboard::mirror() {
    mirrored = !mirrored;
    turns = (4 - turns) & 3;
}

void Clipboard::orientCell(int32_t x, int32_t z, int32_t* ox, int32_t* oz) const {
    if (mirrored)
        x = sizes[0] - 1 - x;
    int32_t depth = sizes[2];  // cells along z as the content lies so far
    int32_t width = sizes[0];
    for (int32_t t = 0; t < turns; ++t) {
        const int32_t turnedX = depth - 1 - z;
        z = x;
        x = turnedX;
        std::swap(depth, width);
    }
    *ox = x;
    *oz = z;
}

std::vector<MapBlock> Clipboard::placedBlocks() const {
    if (turns == 0 && !mirrored)
        return blocks;  // taken in paste order
    std::vector<MapBlock> placed;
    placed.reserve(blocks.size());
    for (const MapBlock& block : blocks) {
        MapBlock out = block;
        orientCell(block.x, block.z, &out.x, &out.z);
        for (int32_t f = 0; f < BlockFaceCount; ++f) {
            int32_t face = f;
            if (mirrored && (face == FaceLeftX || face == FaceRightX))
                face = face == FaceLeftX ? FaceRightX : FaceLeftX;
            for (int32_t t = 0; t < turns; ++t)
                face = turnedSide(face);
            out.faces[face] = block.faces[f];
        }
        for (const int32_t flat : {FaceBottom, FaceTop}) {
            uint8_t& rotation = out.faces[flat].rotation;
            if (mirrored)
                rotation = static_cast<uint8_t>((4 - rotation) & 3);
            rotation = turnedTexture(rotation, turns);
        }
        placed.push_back(out);
    }
    std::sort(placed.begin(), placed.end(), [](const MapBlock& a, const MapBlock& b) {
        if (a.y != b.y)
            return a.y < b.y;
        if (a.z != b.z)
            return a.z < b.z;
        return a.x < b.x;
    });
    return placed;
}

std::vector<SpriteObject> Clipboard::placedSprites() const {
    std::vector<SpriteObject> placed = sprites;
    if (turns == 0 && !mirrored)
        return placed;
    const float w = static_cast<float>(blockWidth);
    for (SpriteObject& object : placed) {
        float width = static_cast<float>(sizes[0]) * w;
        float depth = static_cast<float>(sizes[2]) * w;
        if (mirrored) {
            object.position.x = width - object.position.x;
            object.angle = 180.0f - object.angle;
        }
        for (int32_t t = 0; t < turns; ++t) {
            const float turnedX = depth - object.position.z;
            object.position.z = object.position.x;
            object.position.x = turnedX;
            std::swap(width, depth);
        }
        object.angle = std::fmod(object.angle + 90.0f * static_cast<float>(turns), 360.0f);
        if (object.angle < 0.0f)
            object.angle += 360.0f;
        if (object.angle >= 360.0f)
            object.angle = 0.0f;  // a tiny negative heading rounded up
    }
    return placed;
}

size_t Clipboard::memoryBytes() const {
    size_t bytes = sizeof(Clipboard) + blocks.capacity() * sizeof(MapBlock) +
                   sprites.capacity() * sizeof(SpriteObject);
    for (const SpriteObject& object : sprites)
        bytes += object.name.capacity() > 15 ? object.name.capacity()
                                             : 0;  // beyond the short-string buffer
    return bytes;
}
