#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/DynArray.h"

// A clickable rectangle of an interface panel, in client pixels; all four
// bounds are inclusive. Ids are positive; 0 means "no region".
struct ButtonRegion {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    int32_t id;
};

// Regions in insertion order, no two with the same id.
using ButtonRegionList = DynArray<ButtonRegion>;

// Appends the region; refuses (false, list unchanged) id 0 and an id already present.
bool addRegion(ButtonRegionList& list, int32_t id, int32_t left, int32_t top, int32_t right,
               int32_t bottom);
// The id of the first region containing (x, y), or 0.
int32_t hitRegion(const ButtonRegionList& list, int32_t x, int32_t y);
bool hasRegion(const ButtonRegionList& list, int32_t id);
void clearRegions(ButtonRegionList& list);
