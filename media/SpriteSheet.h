#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/DynArray.h"

class GLContext;

// The area strictly inside one frame's border, inclusive texel bounds.
struct SpriteFrame {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct SpriteGroup {
    DynArray<SpriteFrame> frames;
    int32_t frameCount() const { return frames.count(); }
};

// One raw RGB image holding many sprite frames. Each frame sits in a one-pixel
// border whose top-left corner carries a start mark (new group or same group)
// and whose top-right and bottom-right corners carry end marks. The sheet
// finds the frames when it is made, hides the marks, uploads the image as one
// texture and then selects frames as the texture table's source rectangle.
class SpriteSheet {
public:
    static constexpr uint8_t NewGroupMark[3] = {239, 79, 100};
    static constexpr uint8_t SameGroupMark[3] = {79, 171, 79};
    static constexpr uint8_t EndMark[3] = {79, 239, 239};

    // The caller keeps the RGB pixels. Null pixels or a size below 1 give a
    // sheet without frames and without a texture.
    SpriteSheet(GLContext* owner, const uint8_t* rgbPixels, int32_t width, int32_t height,
                int32_t textureId, uint8_t filterMode);
    SpriteSheet(const SpriteSheet&) = delete;
    SpriteSheet& operator=(const SpriteSheet&) = delete;

    bool isValidFrame(int32_t group, int32_t frame) const;
    // 0 for a group that does not exist.
    int32_t frameCount(int32_t group) const;
    // Sets the owner's source rectangle to the frame; an invalid frame leaves
    // the previous rectangle in force.
    void selectFrame(int32_t group, int32_t frame) const;

    int32_t groupCount() const { return groups.count(); }
    // Valid when isValidFrame(group, frame).
    const SpriteFrame& frameAt(int32_t group, int32_t frame) const {
        return groups[group].frames[frame];
    }
    int32_t textureId() const { return texture; }
    int32_t width() const { return sheetWidth; }
    int32_t height() const { return sheetHeight; }
    // The RGBA image as uploaded (marks rewritten), rows top down.
    const std::vector<uint8_t>& pixels() const { return rgba; }

private:
    void scanFrames();
    bool pixelIs(int32_t x, int32_t y, const uint8_t mark[3]) const;
    bool isStartMark(int32_t x, int32_t y) const;
    void addFrame(bool newGroup, const SpriteFrame& frame);
    void rewriteBorder(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void copyColourToTransparent(int32_t x, int32_t y, int32_t fromX, int32_t fromY);

    GLContext* owner;
    DynArray<SpriteGroup> groups;
    std::vector<uint8_t> rgba;
    int32_t sheetWidth;
    int32_t sheetHeight;
    int32_t texture;
    uint8_t filterMode;
    int32_t currentGroup = -1;
};
