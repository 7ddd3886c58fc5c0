#pragma once
#include "platform/Vector3.h"

// The six planes of a view volume (left, right, bottom, top, near, far),
// taken from the product of a projection and a model-view matrix (column
// major, as OpenGL keeps them), and a test whether a box may show in it.
//
// The test only ever errs towards showing: a box is outside only when it lies
// wholly beyond one plane by more than a margin that covers float rounding of
// the vertices the box stands for. Planes that are not numbers (a camera
// without a direction) leave every box showing.
class ViewFrustum {
public:
    // A frustum that shows every box.
    ViewFrustum() = default;
    ViewFrustum(const double projection[16], const double modelView[16]);

    // Whether anything inside the box low to high (world units) may reach
    // the picture.
    bool mayShow(const Vector3& low, const Vector3& high) const;

    // How far beyond a plane a box must lie, in world units, to be left out.
    static constexpr double Margin = 1.0;

private:
    // a x + b y + c z + d >= 0 inside; (a, b, c) of length 1.
    double planes[6][4] = {};
    bool everything = true;
};
