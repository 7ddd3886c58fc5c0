#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "world/FaceMaterial.h"

// Draws a texture over the screen rectangle (x1, y1)-(x2, y2) (pixels, origin
// top left, y down) on currentGLContext, in the current colour: stretched
// once, or, when tiled, repeated once every 1 / texelScale pixels. x1 > x2
// mirrors the picture. Does nothing while there is no current context. The
// texturing switch and the bound texture are as before afterwards.
void fillRectWithTexture(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t textureId,
                         bool tiled, float texelScale);

// The five value lines the head-up display shows beside the material preview:
// scale u, scale v, rotation, offset u, offset v.
std::array<std::string, 5> materialHudLines(const FaceMaterial& material);
