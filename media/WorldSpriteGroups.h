#pragma once
#include <cstdint>

// The figure types: the groups of the world sprite sheet in sheet order, so
// that a sprite object's type is an index here. People have four frames
// (front, back, two steps seen from the side, facing right); objects three
// (front, back, side). The media generator draws them; --info names them.
struct WorldSpriteGroup {
    const char* name;
    int frames;
};
constexpr WorldSpriteGroup WorldSpriteGroups[] = {
    {"man", 4},         {"woman", 4},         {"worker", 4}, {"elder", 4},    {"tree", 3},
    {"street lamp", 3}, {"traffic light", 3}, {"bush", 3},   {"car", 3},      {"bench", 3},
    {"dog", 4},         {"bus", 3},           {"taxi", 3},   {"fountain", 3},
};
constexpr int32_t WorldSpriteGroupCount =
    static_cast<int32_t>(sizeof(WorldSpriteGroups) / sizeof(WorldSpriteGroups[0]));
