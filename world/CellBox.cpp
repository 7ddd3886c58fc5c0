#include "world/CellBox.h"

#include <algorithm>
#include <cmath>

namespace {

// Points far outside the range of cells (or not numbers) go to its ends.
int32_t floorCell(float coordinate, int32_t cellSize) {
    const double cell = std::floor(static_cast<double>(coordinate / static_cast<float>(cellSize)));
    if (!(cell > INT32_MIN))
        return INT32_MIN;
    return cell < INT32_MAX ? static_cast<int32_t>(cell) : INT32_MAX;
}

}  // namespace

CellBox::CellBox(int32_t ax, int32_t ay, int32_t az, int32_t bx, int32_t by, int32_t bz) {
    const int32_t a[3] = {ax, ay, az};
    const int32_t b[3] = {bx, by, bz};
    for (int axis = 0; axis < 3; ++axis) {
        low[axis] = std::min(a[axis], b[axis]);
        high[axis] = std::max(a[axis], b[axis]);
    }
}

CellBox CellBox::spanning(const CellBox& a, const CellBox& b) {
    CellBox box;
    for (int axis = 0; axis < 3; ++axis) {
        box.low[axis] = std::min(a.low[axis], b.low[axis]);
        box.high[axis] = std::max(a.high[axis], b.high[axis]);
    }
    return box;
}

bool CellBox::contains(int32_t x, int32_t y, int32_t z) const {
    return low[0] <= x && x <= high[0] && low[1] <= y && y <= high[1] && low[2] <= z &&
           z <= high[2];
}

bool CellBox::containsPoint(const Vector3& p, int32_t blockWidth, int32_t blockHeight) const {
    int32_t x = 0, y = 0, z = 0;
    cellOf(p, blockWidth, blockHeight, &x, &y, &z);
    return contains(x, y, z);
}

CellBox CellBox::moved(int32_t dx, int32_t dy, int32_t dz) const {
    const int32_t d[3] = {dx, dy, dz};
    CellBox box;
    for (int axis = 0; axis < 3; ++axis) {
        // Shifted as a whole, so a box at the edge of the range keeps its size.
        const int64_t shift = std::clamp<int64_t>(d[axis], int64_t{INT32_MIN} - low[axis],
                                                  int64_t{INT32_MAX} - high[axis]);
        box.low[axis] = static_cast<int32_t>(low[axis] + shift);
        box.high[axis] = static_cast<int32_t>(high[axis] + shift);
    }
    return box;
}

CellBox CellBox::grownUp() const {
    CellBox box = *this;
    if (box.high[1] < INT32_MAX)
        ++box.high[1];
    return box;
}

CellBox CellBox::shrunkDown() const {
    CellBox box = *this;
    if (box.high[1] > box.low[1])
        --box.high[1];
    return box;
}

void CellBox::cellOf(const Vector3& p, int32_t blockWidth, int32_t blockHeight, int32_t* x,
                     int32_t* y, int32_t* z) {
    *x = floorCell(p.x, blockWidth);
    *y = floorCell(p.y, blockHeight);
    *z = floorCell(p.z, blockWidth);
}

Vector3 CellBox::cellOrigin(int32_t x, int32_t y, int32_t z, int32_t blockWidth,
                            int32_t blockHeight) {
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    return Vector3(static_cast<float>(x) * w, static_cast<float>(y) * h, static_cast<float>(z) * w);
}

Vector3 CellBox::cellCentre(int32_t x, int32_t y, int32_t z, int32_t blockWidth,
                            int32_t blockHeight) {
    // The same sums as the plan view's strokes, so both reach the same cell.
    const float w = static_cast<float>(blockWidth);
    const float h = static_cast<float>(blockHeight);
    return Vector3(static_cast<float>(x) * w + w * 0.5f, static_cast<float>(y) * h + h * 0.5f,
                   static_cast<float>(z) * w + w * 0.5f);
}

bool CellBox::operator==(const CellBox& o) const {
    return std::equal(low, low + 3, o.low) && std::equal(high, high + 3, o.high);
}
