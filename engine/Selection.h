#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "world/CellBox.h"

class GLContext;
struct WorldSettings;

// The box of cells the user selected for the region operations, or none. It
// stays until cleared or replaced, whatever the view or the edit mode.
class Selection {
public:
    // Wire-box colour: magenta is far from sky blue, grass green and road grey.
    static constexpr uint8_t Red = 255;
    static constexpr uint8_t Green = 0;
    static constexpr uint8_t Blue = 255;
    static constexpr float LineWidth = 2.0f;

    bool active() const { return current.has_value(); }
    // Valid while active.
    const CellBox& box() const { return *current; }
    void set(const CellBox& box) { current = box; }
    void clear() { current.reset(); }
    // One level more or less at the top (never below one level); false
    // without a selection.
    bool growUp();
    bool shrinkDown();
    // Its size in cells, across, up and deep: "12 X 3 X 8".
    std::string sizeText() const;
    static std::string sizeText(int64_t x, int64_t y, int64_t z);

    // Draws the wire box over everything: round its cells in the 3D view
    // (camera matrices in force), round its cells' plan squares in the plan
    // view. Leaves the render state as it was.
    void draw(GLContext& gl, const WorldSettings& settings) const;

private:
    void draw3D(const WorldSettings& settings) const;
    void drawPlan(GLContext& gl, const WorldSettings& settings) const;

    std::optional<CellBox> current;
};
