#pragma once
// Groupings that the media generator produces and the program finds in the
// pictures; the archive members and the panel layout are the program's own
// (media/MediaArchive.h, media/InterfaceLayout.h).

namespace media_layout {

// World sprite groups in sheet order. People have four frames (front, back,
// two steps seen from the side, facing right); objects three (front, back, side).
struct SpriteGroup {
    const char* name;
    int frames;
};
constexpr SpriteGroup WorldGroups[] = {
    {"man", 4},         {"woman", 4},         {"worker", 4}, {"elder", 4},    {"tree", 3},
    {"street lamp", 3}, {"traffic light", 3}, {"bush", 3},   {"car", 3},      {"bench", 3},
    {"dog", 4},         {"bus", 3},           {"taxi", 3},   {"fountain", 3},
};
constexpr int WorldGroupCount = sizeof(WorldGroups) / sizeof(WorldGroups[0]);

constexpr int LooseTextureCount = 31;

}  // namespace media_layout
