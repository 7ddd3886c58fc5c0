#pragma once
// Groupings that the media generator produces and the program finds in the
// pictures; the archive members and the panel layout are the program's own
// (media/MediaArchive.h, media/InterfaceLayout.h).

#include "media/WorldSpriteGroups.h"

namespace media_layout {

// The world sprite groups are the program's own (media/WorldSpriteGroups.h).
inline constexpr const auto& WorldGroups = WorldSpriteGroups;
constexpr int WorldGroupCount = WorldSpriteGroupCount;

constexpr int LooseTextureCount = 31;

}  // namespace media_layout
