#include "app/ButtonRegionList.h"

bool addRegion(ButtonRegionList& list, int32_t id, int32_t left, int32_t top, int32_t right,
               int32_t bottom) {
    if (id == 0 || hasRegion(list, id))
        return false;
    return list.append(ButtonRegion{left, top, right, bottom, id});
}

int32_t hitRegion(const ButtonRegionList& list, int32_t x, int32_t y) {
    for (const ButtonRegion& region : list) {
        if (region.left <= x && x <= region.right && region.top <= y && y <= region.bottom)
            return region.id;
    }
    return 0;
}

bool hasRegion(const ButtonRegionList& list, int32_t id) {
    for (const ButtonRegion& region : list) {
        if (region.id == id)
            return true;
    }
    return false;
}

void clearRegions(ButtonRegionList& list) {
    list.clear();
}
