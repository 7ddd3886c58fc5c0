#include "world/WorldSettings.h"

#include "platform/SystemClock.h"

bool WorldSettings::getTextureColour(int32_t textureId, int32_t& red, int32_t& green,
                                     int32_t& blue) const {
    for (const TextureColour& colour : textureColours) {
        if (colour.textureId == textureId) {
            red = colour.red;
            green = colour.green;
            blue = colour.blue;
            return true;
        }
    }
    return false;
}

void WorldSettings::touchMaterial() {
    materialShownAt = static_cast<int32_t>(getTickCount());
}
