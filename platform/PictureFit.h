#pragma once
#include <cstdint>

// Where a picture of fixed size shows on a target of another size (a window,
// a drawable): scaled by one factor so that it fits, centred, with bars on two
// sides when the shapes differ. Both sides count pixels from the top left.
class PictureFit {
public:
    PictureFit(int32_t pictureWidth, int32_t pictureHeight, int32_t targetWidth,
               int32_t targetHeight);

    // The picture pixel under target pixel x or y. Points outside the shown
    // rectangle map outside the picture, as a point beside a window does.
    int32_t toPictureX(int32_t x) const;
    int32_t toPictureY(int32_t y) const;
    // The target pixel that shows the centre of picture pixel x or y; maps
    // back to x or y whenever the picture is shown at least at its own size.
    int32_t fromPictureX(int32_t x) const;
    int32_t fromPictureY(int32_t y) const;
    // As toPicture, for tests against the picture's edges: the target's own
    // outermost pixels give the picture's outermost pixels and no other
    // target pixel does, bars and scaling notwithstanding; points beyond the
    // target stay beyond the picture.
    int32_t edgeToPictureX(int32_t x) const;
    int32_t edgeToPictureY(int32_t y) const;

    int32_t pictureWidth, pictureHeight;
    int32_t targetWidth, targetHeight;
    // The rectangle the picture fills on the target.
    int32_t left, top, width, height;
};
