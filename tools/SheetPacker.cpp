#include "tools/SheetPacker.h"

#include <algorithm>

SheetPacker::SheetPacker(Canvas& sheet) : sheet_(sheet) {}

void SheetPacker::newBand() {
    if (bandHeight_ == 0)
        return;
    // The scan resumes on the row below the lowest bottom-right mark; one spare row keeps bands apart.
    y_ += bandHeight_ + 1;
    x_ = 0;
    bandHeight_ = 0;
}

bool SheetPacker::addFrame(const Canvas& frame, bool startsGroup) {
    const int outerWidth = frame.width() + 2;
    const int outerHeight = frame.height() + 2;
    if (x_ + outerWidth > sheet_.width() || y_ + outerHeight > sheet_.height() ||
        (!startsGroup && groups_ == 0)) {
        failed_ = true;
        return false;
    }

    Canvas content = frame;
    avoidMarkerColours(content);
    sheet_.fillRect(x_, y_, x_ + outerWidth - 1, y_ + outerHeight - 1, KeyColour);
    for (int y = 0; y < content.height(); ++y)
        for (int x = 0; x < content.width(); ++x)
            sheet_.set(x_ + 1 + x, y_ + 1 + y, content.get(x, y));

    const int right = x_ + outerWidth - 1;
    const int bottom = y_ + outerHeight - 1;
    sheet_.set(x_, y_, startsGroup ? NewGroupMark : SameGroupMark);
    sheet_.set(right, y_, EndMark);
    sheet_.set(right, bottom, EndMark);

    if (startsGroup)
        ++groups_;
    bandHeight_ = std::max(bandHeight_, outerHeight);
    x_ += outerWidth + 1;
    return true;
}

void avoidMarkerColours(Canvas& picture) {
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            Rgb c = picture.get(x, y);
            if (c == NewGroupMark || c == SameGroupMark || c == EndMark) {
                c.g = static_cast<uint8_t>(c.g + 1);
                picture.set(x, y, c);
            }
        }
}
