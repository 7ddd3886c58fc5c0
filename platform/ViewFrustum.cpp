#include "platform/ViewFrustum.h"

#include <cmath>

ViewFrustum::ViewFrustum(const double projection[16], const double modelView[16]) {
    // clip = projection x modelView; element (row r, column c) at [c * 4 + r].
    double clip[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + r] * modelView[c * 4 + k];
            clip[c * 4 + r] = sum;
        }
    const auto row = [&](int r, int c) { return clip[c * 4 + r]; };
    // A point is inside when -w <= x, y, z <= w in clip space: each plane is
    // the fourth row plus or minus one of the first three.
    for (int p = 0; p < 6; ++p) {
        const int axis = p / 2;
        const double sign = (p % 2 == 0) ? 1.0 : -1.0;
        double* plane = planes[p];
        for (int c = 0; c < 4; ++c)
            plane[c] = row(3, c) + sign * row(axis, c);
        const double norm =
            std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        for (int c = 0; c < 4; ++c)
            plane[c] /= norm;
    }
    everything = false;
}

bool ViewFrustum::mayShow(const Vector3& low, const Vector3& high) const {
    if (everything)
        return true;
    for (const auto& plane : planes) {
        // The corner of the box furthest along the plane's normal.
        const double x = plane[0] >= 0.0 ? high.x : low.x;
        const double y = plane[1] >= 0.0 ? high.y : low.y;
        const double z = plane[2] >= 0.0 ? high.z : low.z;
        // Written so that a plane that is not a number never leaves a box out.
        if (plane[0] * x + plane[1] * y + plane[2] * z + plane[3] < -Margin)
            return false;
    }
    return true;
}
