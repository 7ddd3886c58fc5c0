#pragma once
#include <array>
#include <string>

#include "world/FaceMaterial.h"

// The five value lines the head-up display shows beside the material preview:
// scale u, scale v, rotation, offset u, offset v.
std::array<std::string, 5> materialHudLines(const FaceMaterial& material);
