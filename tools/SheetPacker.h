#pragma once
#include "tools/Canvas.h"

// Marker colours that frame each picture of a sprite sheet.
constexpr Rgb kNewGroupMark{239, 79, 100};
constexpr Rgb kSameGroupMark{79, 171, 79};
constexpr Rgb kEndMark{79, 239, 239};

// Places frames on a sprite sheet in bands, left to right, writing the marker
// pixels around each frame: the start mark at the top-left corner of the
// one-pixel border, end marks at the top-right and bottom-right corners.
class SheetPacker {
public:
    explicit SheetPacker(Canvas& sheet);

    // Frames of a band share their top row; the next band starts below the tallest one.
    void newBand();
    // Returns false (and places nothing) when the frame does not fit the sheet.
    bool addFrame(const Canvas& frame, bool startsGroup);

    int groupCount() const { return groups_; }
    // False once any frame could not be placed.
    bool allPlaced() const { return !failed_; }

private:
    Canvas& sheet_;
    int x_ = 0;
    int y_ = 0;
    int bandHeight_ = 0;
    int groups_ = 0;
    bool failed_ = false;
};

// Moves any pixel that happens to equal a marker colour off it, so that only
// real markers are found by the scan.
void avoidMarkerColours(Canvas& picture);
