#pragma once
#include <cstdint>

// GL texture names of the pictures the program loads from its archive; the
// loose block textures follow from FirstLooseTextureId (app/LooseTextures).
constexpr int32_t SkyTextureId = 1;
constexpr int32_t FontTextureId = 2;
constexpr int32_t PlanTileCurrentId = 3;
constexpr int32_t PlanTileOtherId = 4;
constexpr int32_t WorldSheetTextureId = 5;
constexpr int32_t InterfaceSheetTextureId = 6;
