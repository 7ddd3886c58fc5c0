#include "media/Picture.h"

bool Picture::opaque() const {
    for (size_t i = 3; i < rgba.size(); i += 4)
        if (rgba[i] != 255)
            return false;
    return true;
}
