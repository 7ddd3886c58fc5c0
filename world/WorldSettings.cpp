#include "world/WorldSettings.h"

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

bool WorldSettings::setTextureColour(const TextureColour& colour) {
    for (TextureColour& known : textureColours)
        if (known.textureId == colour.textureId) {
            known = colour;
            return true;
        }
    return textureColours.append(colour);
}
