#include <algorithm>
#include <vector>

#include "tools/Art.h"

namespace {

// A cell of the icon's little town: grid position and face colour.
struct Cube {
    int x, y, z;
    Rgb colour;
};

// Isometric projection of grid point (x, y, z) onto the icon, y up.
struct Projection {
    float originX, originY, side;
    void at(float x, float y, float z, std::vector<float>& xy) const {
        xy.push_back(originX + (x - z) * side);
        xy.push_back(originY + (x + z) * side * 0.5f - y * side);
    }
};

void drawCube(Canvas& icon, const Projection& p, const Cube& c) {
    const float x = float(c.x), y = float(c.y), z = float(c.z);
    const Rgb outline = shadeRgb(c.colour, 0.45f);
    std::vector<float> top, front, side;
    p.at(x, y + 1, z, top), p.at(x + 1, y + 1, z, top), p.at(x + 1, y + 1, z + 1, top),
        p.at(x, y + 1, z + 1, top);
    p.at(x, y, z + 1, front), p.at(x + 1, y, z + 1, front), p.at(x + 1, y + 1, z + 1, front),
        p.at(x, y + 1, z + 1, front);
    p.at(x + 1, y, z, side), p.at(x + 1, y, z + 1, side), p.at(x + 1, y + 1, z + 1, side),
        p.at(x + 1, y + 1, z, side);
    icon.fillPolygon(top, shadeRgb(c.colour, 1.15f));
    icon.fillPolygon(front, shadeRgb(c.colour, 0.85f));
    icon.fillPolygon(side, shadeRgb(c.colour, 0.65f));
    for (const std::vector<float>* face : {&top, &front, &side})
        for (size_t i = 0; i < 8; i += 2)
            icon.line((*face)[i], (*face)[i + 1], (*face)[(i + 2) % 8], (*face)[(i + 3) % 8], 1.0f,
                      outline);
}

}  // namespace

Canvas makeIcon() {
    constexpr int Size = 128;
    Canvas icon(Size, Size, Rgb{0, 0, 0});
    icon.verticalGradient(0, 0, Size - 1, Size - 1, Rgb{70, 128, 206}, Rgb{190, 218, 242});
    const Projection p{64.0f, 58.0f, 15.0f};
    // The ground: a green plot under the buildings.
    std::vector<float> ground;
    p.at(-0.5f, 0, -0.5f, ground), p.at(3.5f, 0, -0.5f, ground), p.at(3.5f, 0, 3.5f, ground),
        p.at(-0.5f, 0, 3.5f, ground);
    icon.fillPolygon(ground, Rgb{88, 150, 64});

    const Rgb brick{178, 74, 52}, stone{196, 188, 170}, roof{72, 84, 112};
    std::vector<Cube> town = {
        {0, 0, 0, brick}, {1, 0, 0, brick}, {0, 1, 0, brick}, {0, 2, 0, roof},  {2, 0, 1, stone},
        {2, 1, 1, stone}, {0, 0, 2, stone}, {1, 0, 2, roof},  {3, 0, 3, brick},
    };
    // Back to front, bottom to top: nearer faces cover farther ones.
    std::sort(town.begin(), town.end(), [](const Cube& a, const Cube& b) {
        return a.x + a.z != b.x + b.z ? a.x + a.z < b.x + b.z : a.y < b.y;
    });
    for (const Cube& cube : town)
        drawCube(icon, p, cube);
    return icon;
}
