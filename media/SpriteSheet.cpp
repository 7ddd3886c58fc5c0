#include "media/SpriteSheet.h"

#include <algorithm>

#include "media/Textures.h"
#include "platform/GLContext.h"

SpriteSheet::SpriteSheet(GLContext* owner_, const uint8_t* rgbPixels, int32_t width, int32_t height,
                         int32_t textureId, uint8_t filterMode_)
        : owner(owner_), sheetWidth(width), sheetHeight(height), texture(textureId),
          filterMode(filterMode_) {
    rgba = rgbToRgba(rgbPixels, width, height);
    if (rgba.empty()) {
        sheetWidth = 0;
        sheetHeight = 0;
        return;
    }
    // Key-coloured pixels become transparent black.
    for (size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i] == ColourKeyRed && rgba[i + 1] == ColourKeyGreen &&
            rgba[i + 2] == ColourKeyBlue) {
            rgba[i] = rgba[i + 1] = rgba[i + 2] = rgba[i + 3] = 0;
        }
    }
    scanFrames();
    if (owner && owner->textures)
        owner->textures->uploadTexture(rgba.data(), sheetWidth, sheetHeight, texture, filterMode);
}

bool SpriteSheet::pixelIs(int32_t x, int32_t y, const uint8_t mark[3]) const {
    const size_t at =
        (static_cast<size_t>(y) * static_cast<size_t>(sheetWidth) + static_cast<size_t>(x)) * 4;
    return rgba[at] == mark[0] && rgba[at + 1] == mark[1] && rgba[at + 2] == mark[2];
}

bool SpriteSheet::isStartMark(int32_t x, int32_t y) const {
    return pixelIs(x, y, NewGroupMark) || pixelIs(x, y, SameGroupMark);
}

void SpriteSheet::scanFrames() {
    currentGroup = -1;
    int32_t y = 0;
    while (y < sheetHeight) {
        int32_t tallest = 0;
        int32_t x = 0;
        while (x < sheetWidth) {
            if (!isStartMark(x, y)) {
                ++x;
                continue;
            }
            int32_t right = x + 1;
            while (right < sheetWidth && !pixelIs(right, y, EndMark))
                ++right;
            if (right >= sheetWidth) {
                ++x;
                continue;
            }
            int32_t bottom = y + 1;
            while (bottom < sheetHeight && !pixelIs(right, bottom, EndMark))
                ++bottom;
            if (bottom >= sheetHeight) {
                ++x;
                continue;
            }
            addFrame(pixelIs(x, y, NewGroupMark), SpriteFrame{x + 1, y + 1, right - 1, bottom - 1});
            tallest = std::max(tallest, bottom - y);
            rewriteBorder(x, y, right, bottom);
            x = right + 1;
        }
        y = y + 1 + tallest;
    }
}

void SpriteSheet::addFrame(bool newGroup, const SpriteFrame& frame) {
    // A same-group mark before any new-group mark starts group 0 rather than
    // joining a group that does not exist.
    if (newGroup || currentGroup < 0)
        ++currentGroup;
    if (currentGroup == groups.count() && !groups.append(SpriteGroup())) {
        --currentGroup;
        return;
    }
    groups[currentGroup].frames.append(frame);
}

void SpriteSheet::copyColourToTransparent(int32_t x, int32_t y, int32_t fromX, int32_t fromY) {
    const size_t to =
        (static_cast<size_t>(y) * static_cast<size_t>(sheetWidth) + static_cast<size_t>(x)) * 4;
    const size_t from = (static_cast<size_t>(fromY) * static_cast<size_t>(sheetWidth) +
                         static_cast<size_t>(fromX)) *
                        4;
    rgba[to] = rgba[from];
    rgba[to + 1] = rgba[from + 1];
    rgba[to + 2] = rgba[from + 2];
    rgba[to + 3] = 0;
}

// Gives the frame a transparent rim that repeats its edge colours, so that
// the marks vanish and filtering at the frame's edge sees its own colours.
void SpriteSheet::rewriteBorder(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    for (int32_t x = left; x <= right; ++x)
        copyColourToTransparent(x, top, x, top + 1);
    for (int32_t x = left; x <= right; ++x)
        copyColourToTransparent(x, bottom, x, bottom - 1);
    for (int32_t y = top; y <= bottom; ++y)
        copyColourToTransparent(left, y, left + 1, y);
    for (int32_t y = top; y <= bottom; ++y)
        copyColourToTransparent(right, y, right - 1, y);
}

bool SpriteSheet::isValidFrame(int32_t group, int32_t frame) const {
    return group >= 0 && group < groups.count() && frame >= 0 && frame < groups[group].frameCount();
}

int32_t SpriteSheet::frameCount(int32_t group) const {
    return isValidFrame(group, 0) ? groups[group].frameCount() : 0;
}

void SpriteSheet::selectFrame(int32_t group, int32_t frame) const {
    if (!isValidFrame(group, frame) || !owner || !owner->textures)
        return;
    const SpriteFrame& f = groups[group].frames[frame];
    owner->textures->setSourceRect(f.left, f.top, f.right, f.bottom);
}
