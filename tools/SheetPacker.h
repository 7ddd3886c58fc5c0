#pragma once
#include "media/SpriteSheet.h"
#include "tools/Canvas.h"

// Marker colours that frame each picture of a sprite sheet: the ones the
// program's sheet reader looks for.
constexpr Rgb markColour(const uint8_t (&mark)[3]) {
    return Rgb{mark[0], mark[1], mark[2]};
}
constexpr Rgb NewGroupMark = markColour(SpriteSheet::NewGroupMark);
constexpr Rgb SameGroupMark = markColour(SpriteSheet::SameGroupMark);
constexpr Rgb EndMark = markColour(SpriteSheet::EndMark);

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
