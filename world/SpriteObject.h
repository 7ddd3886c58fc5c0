#pragma once
#include <cstdint>
#include <string>

#include "platform/Vector3.h"

// One flat figure standing in the world. The set (TamoSpriteObjectSet) owns
// every object; the name is owned by its object.
struct SpriteObject {
    int32_t id = 0;
    Vector3 position;
    float angle = 0.0f;    // heading in degrees, 0 along +x, 90 along +z
    int32_t type = 0;      // sprite-sheet group that provides the pictures
    int32_t team = 0;      // colour of the id label
    float height = 30.0f;  // world units; the label stands 1.2 x height above
    std::string name;
    bool selected = false;
};

// True when a and b hold the same fields a saved file (and a change sent to a
// shared city) carries; selection is the user's, not the world's.
inline bool sameSavedFields(const SpriteObject& a, const SpriteObject& b) {
    return a.id == b.id && a.position == b.position && a.angle == b.angle && a.type == b.type &&
           a.team == b.team && a.height == b.height && a.name == b.name;
}
