#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "world/CellBox.h"

class GLContext;
struct EditChoices;
struct PlanView;
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
    void set(const CellBox& box);
    // The box a drag spans from cell from to cell to, which it remembers.
    void setDrag(const int32_t from[3], const int32_t to[3]);
    // The cells where the selection's drag began and ended; for a box set
    // otherwise (or grown since), its lowest and highest corner. Valid while
    // active.
    void dragEnds(int32_t from[3], int32_t to[3]) const;
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
    void draw(GLContext& gl, const WorldSettings& settings, const EditChoices& choices) const;
    // Draws any box so, in the colour given.
    static void drawBox(GLContext& gl, const WorldSettings& settings, const EditChoices& choices,
                        const CellBox& box, uint8_t red, uint8_t green, uint8_t blue);

private:
    static void draw3D(const WorldSettings& settings, const CellBox& box);
    static void drawPlan(GLContext& gl, const WorldSettings& settings, const PlanView& plan,
                         const CellBox& box, uint8_t red, uint8_t green, uint8_t blue);

    std::optional<CellBox> current;
    int32_t ends[2][3] = {{0, 0, 0}, {0, 0, 0}};
};
