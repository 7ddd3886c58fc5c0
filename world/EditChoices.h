#pragma once
#include <cstdint>

#include "world/FaceMaterial.h"
#include "world/PlanView.h"

// What a person looks at the world with and what their edits put in: the
// view (3D or the plan of one level), the material of new blocks and painted
// faces, the type and team of new sprite objects. Whoever hosts the world
// owns these; the world's operations take them as arguments, and those that
// the program has always called without them read them from the host.
struct EditChoices {
    bool view3D = true;
    FaceMaterial material;
    float planScrollX = 0.0f;
    float planScrollY = 0.0f;
    int32_t currentLevel = 0;
    int32_t spriteType = 0;
    int32_t spriteTeam = 0;

    PlanView planView() const { return PlanView{planScrollX, planScrollY, currentLevel}; }
};
