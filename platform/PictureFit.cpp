#include "platform/PictureFit.h"

#include <algorithm>

namespace {

// Division rounding towards minus infinity: points left of the picture stay
// left of it.
int64_t floorDivide(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

int32_t toPicture(int32_t t, int32_t start, int32_t shown, int32_t picture) {
    if (shown <= 0)
        return t;
    return static_cast<int32_t>(floorDivide(static_cast<int64_t>(t - start) * picture, shown));
}

int32_t fromPicture(int32_t p, int32_t start, int32_t shown, int32_t picture) {
    if (picture <= 0)
        return p;
    return start + static_cast<int32_t>(floorDivide((2 * static_cast<int64_t>(p) + 1) * shown,
                                                    2 * int64_t{picture}));
}

int32_t edgeToPicture(int32_t t, int32_t target, int32_t mapped, int32_t picture) {
    if (t <= 0)
        return t;
    if (t >= target - 1)
        return picture - 1 + (t - (target - 1));
    // Inside the target: never on an edge of the picture.
    return std::max(1, std::min(picture - 2, mapped));
}

}  // namespace

PictureFit::PictureFit(int32_t pictureWidth_, int32_t pictureHeight_, int32_t targetWidth_,
                       int32_t targetHeight_)
        : pictureWidth(pictureWidth_), pictureHeight(pictureHeight_), targetWidth(targetWidth_),
          targetHeight(targetHeight_) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) {
        left = top = 0;
        width = targetWidth > 0 ? targetWidth : pictureWidth;
        height = targetHeight > 0 ? targetHeight : pictureHeight;
        return;
    }
    // Wider than the picture: full height, bars left and right; else full
    // width, bars above and below.
    if (int64_t{targetWidth} * pictureHeight >= int64_t{targetHeight} * pictureWidth) {
        height = targetHeight;
        width = static_cast<int32_t>(int64_t{targetHeight} * pictureWidth / pictureHeight);
    } else {
        width = targetWidth;
        height = static_cast<int32_t>(int64_t{targetWidth} * pictureHeight / pictureWidth);
    }
    left = (targetWidth - width) / 2;
    top = (targetHeight - height) / 2;
}

int32_t PictureFit::toPictureX(int32_t x) const {
    return toPicture(x, left, width, pictureWidth);
}

int32_t PictureFit::toPictureY(int32_t y) const {
    return toPicture(y, top, height, pictureHeight);
}

int32_t PictureFit::fromPictureX(int32_t x) const {
    return fromPicture(x, left, width, pictureWidth);
}

int32_t PictureFit::fromPictureY(int32_t y) const {
    return fromPicture(y, top, height, pictureHeight);
}

int32_t PictureFit::edgeToPictureX(int32_t x) const {
    return edgeToPicture(x, targetWidth, toPictureX(x), pictureWidth);
}

int32_t PictureFit::edgeToPictureY(int32_t y) const {
    return edgeToPicture(y, targetHeight, toPictureY(y), pictureHeight);
}
