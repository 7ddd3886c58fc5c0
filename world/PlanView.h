#pragma once
#include <cstdint>

// Where the plan view looks: its scroll in pixels and the level (a block row
// counted in whole blocks from y = 0) it shows and edits.
struct PlanView {
    float scrollX = 0.0f;
    float scrollY = 0.0f;
    int32_t level = 0;
};
