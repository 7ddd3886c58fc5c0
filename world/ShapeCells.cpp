#include "world/ShapeCells.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using Wide = unsigned __int128;

// Cells c with |2c - centre| <= axis: the low and high cell.
void axisBounds(int64_t centre, int64_t axis, int64_t* low, int64_t* high) {
    const int64_t lowSum = centre - axis, highSum = centre + axis;
    *low = lowSum >= 0 ? (lowSum + 1) / 2 : -((-lowSum) / 2);
    *high = highSum >= 0 ? highSum / 2 : -((-highSum + 1) / 2);
}

// p / q (q > 0) rounded to the nearest whole number, halves away from zero.
int64_t roundedQuotient(__int128 p, __int128 q) {
    return static_cast<int64_t>(p >= 0 ? (2 * p + q) / (2 * q) : -((-2 * p + q) / (2 * q)));
}

}  // namespace

bool ShapeCells::Round::contains(const int64_t d2[3], bool upright) const {
    Wide product = 1;
    for (int a = 0; a < 3; ++a) {
        if (upright && a == 1)
            continue;
        const int64_t magnitude = std::llabs(d2[a]);
        if (magnitude > axis[a])
            return false;  // outside on this axis alone (also every d of an axis 0 but 0)
        if (axis[a] > 0)
            product *= static_cast<Wide>(axis[a]) * static_cast<Wide>(axis[a]);
    }
    Wide sum = 0;
    for (int a = 0; a < 3; ++a) {
        if ((upright && a == 1) || axis[a] == 0)
            continue;
        const Wide share = product / (static_cast<Wide>(axis[a]) * static_cast<Wide>(axis[a]));
        const Wide d = static_cast<Wide>(std::llabs(d2[a]));
        sum += d * d * share;
    }
    return sum <= product;
}

ShapeCells ShapeCells::cylinder(int32_t cx, int32_t y0, int32_t cz, int32_t r, int32_t h,
                                bool hollow) {
    ShapeCells shape;
    shape.upright = true;
    shape.hollow = hollow;
    const int64_t centre[3] = {2 * int64_t{cx}, 0, 2 * int64_t{cz}};
    for (int a = 0; a < 3; ++a) {
        shape.outer.centre[a] = shape.inner.centre[a] = centre[a];
        shape.outer.axis[a] = 2 * int64_t{r};
        shape.inner.axis[a] = 2 * std::llabs(int64_t{r} - 1);
        axisBounds(centre[a], shape.outer.axis[a], &shape.bounds[a][0], &shape.bounds[a][1]);
    }
    shape.bounds[1][0] = y0;
    shape.bounds[1][1] = int64_t{y0} + h - 1;
    return shape;
}

ShapeCells ShapeCells::sphere(int32_t cx, int32_t cy, int32_t cz, int32_t r, bool hollow) {
    ShapeCells shape;
    shape.hollow = hollow;
    const int64_t centre[3] = {2 * int64_t{cx}, 2 * int64_t{cy}, 2 * int64_t{cz}};
    for (int a = 0; a < 3; ++a) {
        shape.outer.centre[a] = shape.inner.centre[a] = centre[a];
        shape.outer.axis[a] = 2 * int64_t{r};
        shape.inner.axis[a] = 2 * std::llabs(int64_t{r} - 1);
        axisBounds(centre[a], shape.outer.axis[a], &shape.bounds[a][0], &shape.bounds[a][1]);
    }
    return shape;
}

ShapeCells ShapeCells::cylinderInBox(const CellBox& box, bool hollow) {
    ShapeCells shape = ellipsoidInBox(box, hollow);
    shape.upright = true;
    // A box one cell across is wall through and through.
    shape.hollow = hollow && box.sizeX() > 1 && box.sizeZ() > 1;
    return shape;
}

ShapeCells ShapeCells::ellipsoidInBox(const CellBox& box, bool hollow) {
    ShapeCells shape;
    const int64_t low[3] = {box.lowX(), box.lowY(), box.lowZ()};
    const int64_t high[3] = {box.highX(), box.highY(), box.highZ()};
    shape.hollow = hollow && box.sizeX() > 1 && box.sizeY() > 1 && box.sizeZ() > 1;
    for (int a = 0; a < 3; ++a) {
        // Semi-axes of half the box: doubled, the box's size; one cell in, two less.
        shape.outer.centre[a] = shape.inner.centre[a] = low[a] + high[a];
        shape.outer.axis[a] = high[a] - low[a] + 1;
        shape.inner.axis[a] = std::max<int64_t>(0, high[a] - low[a] - 1);
        shape.bounds[a][0] = low[a];
        shape.bounds[a][1] = high[a];
    }
    return shape;
}

bool ShapeCells::inRound(const Round& round, int32_t x, int32_t y, int32_t z) const {
    const int64_t d2[3] = {2 * int64_t{x} - round.centre[0], 2 * int64_t{y} - round.centre[1],
                           2 * int64_t{z} - round.centre[2]};
    return round.contains(d2, upright);
}

bool ShapeCells::contains(int32_t x, int32_t y, int32_t z) const {
    const int64_t c[3] = {x, y, z};
    for (int a = 0; a < 3; ++a)
        if (c[a] < bounds[a][0] || c[a] > bounds[a][1])
            return false;
    return inRound(outer, x, y, z) && !(hollow && inRound(inner, x, y, z));
}

// A row of a round shape is one run of cells about its centre: it holds the
// cell nearest the centre when it holds any. The run's ends come from the
// ellipse's own equation and are then checked against the exact rule.
bool ShapeCells::span(const Round& round, int32_t y, int32_t z, int64_t* x0, int64_t* x1) const {
    const int64_t middle =
        round.centre[0] >= 0 ? round.centre[0] / 2 : -((1 - round.centre[0]) / 2);
    const auto in = [&](int64_t x) {
        return x >= bounds[0][0] && x <= bounds[0][1] &&
               inRound(round, static_cast<int32_t>(x), y, z);
    };
    int64_t seed = middle;
    if (!in(seed) && !in(++seed))
        return false;
    double rest = 1.0;
    const int64_t d[3] = {0, 2 * int64_t{y} - round.centre[1], 2 * int64_t{z} - round.centre[2]};
    for (int a = 1; a < 3; ++a)
        if (!(upright && a == 1) && round.axis[a] > 0) {
            const double share = static_cast<double>(d[a]) / static_cast<double>(round.axis[a]);
            rest -= share * share;
        }
    const double reach = static_cast<double>(round.axis[0]) * std::sqrt(std::max(0.0, rest));
    int64_t low = 0, high = 0;
    axisBounds(round.centre[0], static_cast<int64_t>(reach), &low, &high);
    low = std::min(std::max(low, bounds[0][0]), seed);
    high = std::max(std::min(high, bounds[0][1]), seed);
    while (!in(low))
        ++low;
    while (in(low - 1))
        --low;
    while (!in(high))
        --high;
    while (in(high + 1))
        ++high;
    *x0 = low;
    *x1 = high;
    return true;
}

int64_t ShapeCells::rowCount() const {
    const int64_t ys = bounds[1][1] - bounds[1][0] + 1, zs = bounds[2][1] - bounds[2][0] + 1;
    return ys > 0 && zs > 0 && bounds[0][1] >= bounds[0][0] ? ys * zs : 0;
}

void ShapeCells::visitRows(const RowVisitor& visit) const {
    if (rowCount() == 0)
        return;
    for (int64_t y = bounds[1][0]; y <= bounds[1][1]; ++y)
        for (int64_t z = bounds[2][0]; z <= bounds[2][1]; ++z) {
            const int32_t cy = static_cast<int32_t>(y), cz = static_cast<int32_t>(z);
            int64_t a = 0, b = 0, c = 0, e = 0;
            if (!span(outer, cy, cz, &a, &b))
                continue;
            if (!hollow || !span(inner, cy, cz, &c, &e)) {
                visit(static_cast<int32_t>(a), static_cast<int32_t>(b), cy, cz);
                continue;
            }
            if (a < c)
                visit(static_cast<int32_t>(a), static_cast<int32_t>(std::min(b, c - 1)), cy, cz);
            if (e < b)
                visit(static_cast<int32_t>(std::max(a, e + 1)), static_cast<int32_t>(b), cy, cz);
        }
}

int64_t ShapeCells::cellCount() const {
    int64_t cells = 0;
    visitRows([&](int32_t a, int32_t b, int32_t, int32_t) { cells += int64_t{b} - a + 1; });
    return cells;
}

void ShapeCells::visitLine(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1, int32_t z1,
                           const std::function<void(int32_t, int32_t, int32_t)>& visit) {
    const int64_t d[3] = {int64_t{x1} - x0, int64_t{y1} - y0, int64_t{z1} - z0};
    const int64_t n = std::max({std::llabs(d[0]), std::llabs(d[1]), std::llabs(d[2])});
    if (n == 0) {
        visit(x0, y0, z0);
        return;
    }
    for (int64_t i = 0; i <= n; ++i)
        visit(static_cast<int32_t>(x0 + roundedQuotient(__int128{d[0]} * i, n)),
              static_cast<int32_t>(y0 + roundedQuotient(__int128{d[1]} * i, n)),
              static_cast<int32_t>(z0 + roundedQuotient(__int128{d[2]} * i, n)));
}

int64_t ShapeCells::lineCellCount(int32_t x0, int32_t y0, int32_t z0, int32_t x1, int32_t y1,
                                  int32_t z1) {
    return std::max({std::llabs(int64_t{x1} - x0), std::llabs(int64_t{y1} - y0),
                     std::llabs(int64_t{z1} - z0)}) +
           1;
}
